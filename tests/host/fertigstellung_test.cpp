#include "finish/Fertigstellung.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>

#include "FakeArchiveTrust.h"
#include "FakeShell.h"
#include "FakeUi.h"
#include "FakeWizardHost.h"
#include "FixedOsInfo.h"
#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"

namespace {

const wchar_t kAccess[] = L"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE";

// Replacing an installed file fails when told to, as when Access holds it open; a listing
// misses a file when told to, as one on a share that hiccupped once did.
class LockableFileSystem : public PortableFileSystem {
public:
    bool replaceFails = false;
    std::wstring unlisted;
    void ReplaceFile(const std::wstring& source, const std::wstring& destination) override {
        if (replaceFails) throw PlatformError(32, L"Die Datei wird verwendet.");
        PortableFileSystem::ReplaceFile(source, destination);
    }
    FolderItem GetFolder(const std::wstring& path) override {
        FolderItem item = PortableFileSystem::GetFolder(path);
        item.Files.erase(std::remove(item.Files.begin(), item.Files.end(), unlisted),
                         item.Files.end());
        return item;
    }
};

class FertigstellungTest : public ::testing::Test {
public:
    FertigstellungTest() {
        // The start-menu folder has two levels, both missing.
        Shortcuts({L"Desktop=Zelbar", L"StartmenuFolder=Zelbar GmbH\\Zelbar 11",
                   L"StartmenuZelbar=Zelbar starten", L"StartmenuUpdate=Zelbar aktualisieren",
                   L"StartmenuAnmeldung=Zelbar Anmeldung", L"StartmenuHistory=Versionshinweise",
                   L"StartmenuSchnellstart=Schnellstart"});
        std::filesystem::create_directories(tmp.Native("user/Desktop"));
        std::filesystem::create_directories(tmp.Native("user/Startmenü/Programme"));
        shell.desktop = tmp / L"user\\Desktop";
        shell.programs = tmp / L"user\\Startmenü\\Programme";
        host.accessPath = std::wstring(L"\"") + kAccess + L"\" /NOSTARTUP \"%1\"";
        host.zelbarPath = tmp / L"Zelbar\\";
        host.tempFolder = L"temp_2024_3_9-1457\\";
        Downloaded("ZelbarProg.mdb", "prog neu");
    }

    void Shortcuts(std::vector<std::wstring> lines) {
        lines.insert(lines.begin(),
                     {L"[GetFileSize]", L"URL=http://127.0.0.1/size", L"", L"[Shortcuts]"});
        tmp.WriteLines("start/settings.ini", lines);
    }
    // A file of the temporary folder, given relative to it.
    void Downloaded(const std::string& relative, const std::string& bytes) {
        tmp.WriteBytes("Zelbar/temp_2024_3_9-1457/" + relative, bytes);
    }
    std::string Installed(const std::string& relative) const {
        return tmp.ReadBytes("Zelbar/" + relative);
    }
    bool TempFolderExists() const { return tmp.Exists("Zelbar/temp_2024_3_9-1457"); }
    // How many files and folders lie below the test's folder.
    std::ptrdiff_t Entries(const std::string& relative) const {
        const std::filesystem::recursive_directory_iterator all(tmp.Native(relative));
        return std::distance(begin(all), end(all));
    }
    std::string MessageOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const PlatformError& e) {
            return Text::ToUtf8(e.message());
        }
        return "(no error)";
    }

    TempFolder tmp;
    LockableFileSystem fs;
    FakeUi ui{tmp / L"start"};
    FakeShell shell;
    FixedOsInfo os;
    FakeArchiveTrust trust;
    Platform platform{fs, shell, os, ui, trust};
    FakeWizardHost host{fs};
    Fertigstellung finish{host, platform};
};

TEST_F(FertigstellungTest, FinishMakesTheStartMenuAndMovesTheFilesOverReadOnlyOnes) {
    Downloaded("Vorlagen/Brief.dot", "brief neu");
    tmp.WriteBytes("Zelbar/ZelbarProg.mdb", "prog alt");
    std::filesystem::permissions(tmp.Native("Zelbar/ZelbarProg.mdb"),
                                 std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    tmp.WriteBytes("Zelbar/Vorlagen/Brief.dot", "brief alt");
    tmp.WriteBytes("Zelbar/Vorlagen/Eigene.dot", "eigene");

    finish.Fertigstellen({true, true, true});

    const std::wstring zelbar = host.zelbarPath;
    const std::wstring start =
        L"\"" + zelbar + L"ZelbarProg.mdb\" /wrkgrp \"" + zelbar + L"Zelbar.mdw\" /user UserZelbar";
    const std::wstring menu = shell.programs + L"\\Zelbar GmbH\\Zelbar 11\\";
    const std::pair<std::wstring, FakeShell::Link> links[] = {
        {menu + L"Zelbar starten.lnk", {kAccess, start}},
        {menu + L"Zelbar aktualisieren.lnk", {zelbar + L"Update.exe", L""}},
        {menu + L"Zelbar Anmeldung.lnk", {zelbar + L"Zelbar Anmeldung.xls", L""}},
        {menu + L"Versionshinweise.lnk", {zelbar + L"History.txt", L""}},
        {menu + L"Schnellstart.lnk", {zelbar + L"Schnellstart.html", L""}}};
    for (const auto& [path, link] : links) {
        const FakeShell::Link made = FakeShell::ReadLink(path);
        EXPECT_EQ(made.target, link.target) << Text::ToUtf8(path);
        EXPECT_EQ(made.arguments, link.arguments) << Text::ToUtf8(path);
    }

    // Downloaded files replace the installed ones, read-only too; the user's own stay.
    EXPECT_EQ(Installed("ZelbarProg.mdb"), "prog neu");
    EXPECT_EQ(Installed("Vorlagen/Brief.dot"), "brief neu");
    EXPECT_EQ(Installed("Vorlagen/Eigene.dot"), "eigene");
}

// The desktop and the quick start left out here; the start menu left out below.
TEST_F(FertigstellungTest, OnlyChosenAndNamedShortcutsAreMadeAndTheRestStillHappens) {
    Shortcuts({L"Desktop=Zelbar", L"StartmenuFolder=Zelbar", L"StartmenuHistory=Neu"});
    finish.Fertigstellen({false, true, false});
    EXPECT_EQ(Entries("user/Desktop"), 0);
    EXPECT_EQ(Entries("user/Startmenü/Programme"), 2);
    EXPECT_TRUE(tmp.Exists("user/Startmenü/Programme/Zelbar/Neu.lnk"));
    EXPECT_EQ(Installed("ZelbarProg.mdb"), "prog neu");
    EXPECT_TRUE(shell.runCommands.empty());
}

TEST_F(FertigstellungTest, AccessPathWithoutQuotedProgramFileIsExplainedInGerman) {
    for (const wchar_t* stored :
         {L"C:\\Office\\MSACCESS.EXE /NOSTARTUP %1", L"\"C:\\Office\\MSACCESS.EXE /NOSTARTUP",
          L"\"\" /NOSTARTUP", L""}) {
        host.accessPath = stored;
        const std::string message = MessageOf([&] { finish.GetAccessExe(); });
        EXPECT_NE(message.find("keine Programmdatei in Anführungszeichen"), std::string::npos)
            << message;
        EXPECT_NE(message.find(Text::ToUtf8(*stored ? stored : L"(leer)")), std::string::npos)
            << message;
    }

    const std::string message = MessageOf([&] { finish.Fertigstellen({true, true, true}); });
    EXPECT_NE(message.find("Die Verknüpfung konnte nicht angelegt werden: " +
                           Text::ToUtf8(shell.desktop) + "\\Zelbar.lnk"),
              std::string::npos)
        << message;
    EXPECT_TRUE(TempFolderExists());

    // Without shortcuts the installation can still be completed, and none is tried.
    finish.Fertigstellen({false, false, true});
    EXPECT_EQ(Installed("ZelbarProg.mdb"), "prog neu");
    EXPECT_EQ(Entries("user/Startmenü/Programme"), 0);
}

TEST_F(FertigstellungTest, FailedReplaceNamesTheFileKeepsBothCopiesAndCanBeRepeated) {
    Downloaded("Zelbar.mdw", "mdw");
    tmp.WriteBytes("Zelbar/ZelbarProg.mdb", "prog alt");
    fs.replaceFails = true;

    const std::string message = MessageOf([&] { finish.Fertigstellen({true, true, true}); });
    EXPECT_EQ(message.find("Die vorhandene Datei konnte nicht ersetzt werden: "), 0u) << message;
    EXPECT_NE(message.find("Zelbar\\ZelbarProg.mdb\r\nDie Datei wird verwendet."),
              std::string::npos);
    EXPECT_NE(message.find("erneut auf „Fertig stellen“"), std::string::npos) << message;
    EXPECT_EQ(Installed("ZelbarProg.mdb"), "prog alt");
    EXPECT_EQ(tmp.ReadBytes("Zelbar/temp_2024_3_9-1457/ZelbarProg.mdb"), "prog neu");
    EXPECT_EQ(host.deleteTempFolderCalls, 0);
    EXPECT_TRUE(shell.runCommands.empty());

    fs.replaceFails = false;
    finish.Fertigstellen({true, true, true});  // finds the start-menu folder made the first time
    EXPECT_EQ(Installed("ZelbarProg.mdb"), "prog neu");
    EXPECT_EQ(Installed("Zelbar.mdw"), "mdw");
    EXPECT_FALSE(TempFolderExists());
    EXPECT_EQ(shell.runCommands.size(), 1u);
}

// The temporary folder goes only as far as it is empty: a file the move did not take stays, and
// the message says where.
TEST_F(FertigstellungTest, FileTheMoveMissedIsNeverDestroyedAndItsFolderIsNamed) {
    Downloaded("Vorlagen/Brief.dot", "brief");
    host.RecordTempFolder(host.zelbarPath + host.tempFolder);
    fs.unlisted = L"Brief.dot";
    const std::string message = MessageOf([&] { finish.Fertigstellen({false, false, true}); });
    EXPECT_NE(message.find(Text::ToUtf8(host.zelbarPath) + "temp_2024_3_9-1457\u201c"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("erneut auf „Fertig stellen“"), std::string::npos) << message;
    EXPECT_EQ(tmp.ReadBytes("Zelbar/temp_2024_3_9-1457/Vorlagen/Brief.dot"), "brief");
    EXPECT_EQ(Installed("ZelbarProg.mdb"), "prog neu");
    EXPECT_TRUE(shell.runCommands.empty());
    // Leaving now ("Abbrechen") must not take what the message points to.
    host.DeleteTempFolder();
    EXPECT_EQ(tmp.ReadBytes("Zelbar/temp_2024_3_9-1457/Vorlagen/Brief.dot"), "brief");

    fs.unlisted.clear();
    finish.Fertigstellen({false, false, true});
    EXPECT_EQ(Installed("Vorlagen/Brief.dot"), "brief");
    EXPECT_FALSE(TempFolderExists());
}

TEST_F(FertigstellungTest, WithoutTempFolderTheInstallationFolderIsLeftAlone) {
    tmp.WriteBytes("Zelbar/ZelbarData.mdb", "daten");
    // A quick-start page that does not open changes nothing either.
    shell.runFails = true;

    host.tempFolder.clear();
    finish.Fertigstellen({false, false, true});
    EXPECT_EQ(Installed("ZelbarData.mdb"), "daten");
    EXPECT_TRUE(TempFolderExists());

    host.tempFolder = L"temp_2024_3_9-1457\\";
    std::filesystem::remove_all(tmp.Native("Zelbar/temp_2024_3_9-1457"));
    finish.Fertigstellen({false, false, true});
    EXPECT_EQ(Installed("ZelbarData.mdb"), "daten");
    EXPECT_EQ(host.deleteTempFolderCalls, 0);
    EXPECT_EQ(shell.runCommands.size(), 2u);
}

}  // namespace
