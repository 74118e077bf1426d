// The finishing work of the last page on real folders: the start command of
// the shortcuts, the move of the temporary folder into the installation
// folder, the start-menu folder below the user's programs folder, and what a
// failing step leaves behind.
#include "finish/Fertigstellung.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "FakeShell.h"
#include "FakeUi.h"
#include "FakeWizardHost.h"
#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"

namespace {

const wchar_t kOfficeCommand[] =
    L"\"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";

class NoOsInfo : public OsInfo {
public:
    std::wstring OperatingSystemVersion() override { return L"10.0.19045"; }
};

class FertigstellungTest : public ::testing::Test {
protected:
    FertigstellungTest() {
        tmp.WriteLines(
            "start/settings.ini",
            {L"[GetFileSize]", L"URL=http://127.0.0.1/size", L"", L"[Shortcuts]", L"Desktop=Zelbar",
             L"StartmenuFolder=Zelbar", L"StartmenuZelbar=Zelbar starten",
             L"StartmenuUpdate=Zelbar aktualisieren", L"StartmenuAnmeldung=Zelbar Anmeldung",
             L"StartmenuHistory=Versionshinweise", L"StartmenuSchnellstart=Schnellstart"});
        std::filesystem::create_directories(tmp.Native("user/Desktop"));
        std::filesystem::create_directories(tmp.Native("user/Startmenü/Programme"));
        shell.desktop = tmp.Program(L"user\\Desktop");
        shell.programs = tmp.Program(L"user\\Startmenü\\Programme");
        host.accessPath = kOfficeCommand;
        host.zelbarPath = tmp.Program(L"Zelbar\\");
        host.tempFolder = L"temp_2024_3_9-1457\\";
    }

    // A file of the temporary folder, given relative to it.
    void Downloaded(const std::string& relative, const std::string& bytes) {
        tmp.WriteBytes("Zelbar/temp_2024_3_9-1457/" + relative, bytes);
    }
    std::string Installed(const std::string& relative) const {
        return tmp.ReadBytes("Zelbar/" + relative);
    }
    bool TempFolderExists() const { return tmp.Exists("Zelbar/temp_2024_3_9-1457"); }

    static std::string MessageOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const PlatformError& e) {
            return Text::ToUtf8(e.message());
        }
        return "(no error)";
    }

    TempFolder tmp;
    PortableFileSystem fs;
    FakeUi ui{tmp.Program(L"start")};
    FakeShell shell;
    NoOsInfo os;
    Platform platform{fs, shell, os, ui};
    FakeWizardHost host{fs};
    Fertigstellung finish{host, platform};
};

TEST_F(FertigstellungTest, StartCommandIsAccessWithQuotedDatabaseWorkgroupAndUser) {
    host.zelbarPath = L"C:\\Zelbar\\";
    EXPECT_EQ(finish.GetAccessExe(), L"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE");
    EXPECT_EQ(
        finish.GetStartArguments(),
        L"\"C:\\Zelbar\\ZelbarProg.mdb\" /wrkgrp \"C:\\Zelbar\\Zelbar.mdw\" /user UserZelbar");
}

TEST_F(FertigstellungTest, AccessPathWithoutQuotedProgramFileIsExplainedInGerman) {
    for (const wchar_t* stored :
         {L"C:\\Office\\MSACCESS.EXE /NOSTARTUP %1", L"\"C:\\Office\\MSACCESS.EXE /NOSTARTUP",
          L"\"\" /NOSTARTUP", L""}) {
        host.accessPath = stored;
        const std::string message = MessageOf([&] { finish.GetAccessExe(); });
        EXPECT_NE(message.find("keine Programmdatei in Anführungszeichen"), std::string::npos)
            << message;
        EXPECT_NE(message.find(Text::ToUtf8(stored)), std::string::npos) << message;
    }

    Downloaded("ZelbarProg.mdb", "neu");
    const std::string message = MessageOf([&] { finish.Fertigstellen({true, true, true}); });
    EXPECT_NE(message.find("Die Verknüpfung konnte nicht angelegt werden: " +
                           Text::ToUtf8(shell.desktop) + "\\Zelbar.lnk"),
              std::string::npos)
        << message;
    EXPECT_TRUE(TempFolderExists());

    // Without shortcuts the installation can still be completed.
    finish.Fertigstellen({false, false, true});
    EXPECT_EQ(Installed("ZelbarProg.mdb"), "neu");
}

TEST_F(FertigstellungTest, StartMenuFolderIsMadeBelowProgramsWithEveryMissingLevel) {
    std::filesystem::remove_all(tmp.Native("user/Startmenü/Programme"));
    tmp.WriteLines("start/settings.ini",
                   {L"[GetFileSize]", L"URL=http://127.0.0.1/size", L"", L"[Shortcuts]",
                    L"StartmenuFolder=Zelbar GmbH\\Zelbar 11", L"StartmenuHistory=Neu"});

    finish.Fertigstellen({true, true, true});
    EXPECT_EQ(FakeShell::ReadLink(shell.programs + L"\\Zelbar GmbH\\Zelbar 11\\Neu.lnk").target,
              host.zelbarPath + L"History.txt");

    // A second run finds every level in place and rewrites the entry.
    finish.Fertigstellen({true, true, true});
    EXPECT_TRUE(tmp.Exists("user/Startmenü/Programme/Zelbar GmbH/Zelbar 11/Neu.lnk"));
}

TEST_F(FertigstellungTest, FailedMoveNamesTheFileKeepsTheTempFolderAndCanBeRepeated) {
    Downloaded("ZelbarProg.mdb", "prog");
    Downloaded("Zelbar.mdw", "mdw");
    // Something the move cannot replace stands where ZelbarProg.mdb belongs.
    std::filesystem::create_directories(tmp.Native("Zelbar/ZelbarProg.mdb"));

    const std::string message = MessageOf([&] { finish.Fertigstellen({true, true, true}); });
    EXPECT_NE(message.find("konnte nicht in den Installationsordner verschoben werden: "),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("Zelbar\\ZelbarProg.mdb\r\n"), std::string::npos) << message;
    EXPECT_NE(message.find("erneut auf „Fertig stellen“"), std::string::npos) << message;
    EXPECT_EQ(tmp.ReadBytes("Zelbar/temp_2024_3_9-1457/ZelbarProg.mdb"), "prog");
    EXPECT_EQ(host.deleteTempFolderCalls, 0);
    EXPECT_TRUE(shell.runCommands.empty());

    std::filesystem::remove(tmp.Native("Zelbar/ZelbarProg.mdb"));
    finish.Fertigstellen({true, true, true});
    EXPECT_EQ(Installed("ZelbarProg.mdb"), "prog");
    EXPECT_EQ(Installed("Zelbar.mdw"), "mdw");
    EXPECT_FALSE(TempFolderExists());
    EXPECT_EQ(shell.runCommands.size(), 1u);
}

TEST_F(FertigstellungTest, WithoutTempFolderNameTheInstallationFolderIsLeftAlone) {
    tmp.WriteBytes("Zelbar/ZelbarData.mdb", "daten");
    host.tempFolder.clear();
    shell.runFails = true;

    finish.Fertigstellen({false, false, true});

    EXPECT_EQ(Installed("ZelbarData.mdb"), "daten");
    EXPECT_EQ(host.deleteTempFolderCalls, 0);
    EXPECT_EQ(shell.runCommands.size(), 1u);
}

}  // namespace
