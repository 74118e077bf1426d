// checkVersions against the real registry of the Wine prefix (filled with
// reg.exe per case), the real file system and the fixture Access program,
// whose version resource says 11.0.6566.0.
#include <gtest/gtest.h>

#include <cwctype>

#include "platform/FileSystem_win.h"
#include "platform/OsInfo_win.h"
#include "platform/PlatformError.h"
#include "platform/Shell_win.h"
#include "support/AccessRegistry.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"
#include "syscheck/checkVersions.h"

using namespace wintest;

namespace {

class CheckVersionsWineTest : public ::testing::Test {
protected:
    CheckVersionsWineTest() { ui.startFolder = folder.path(); }

    void WriteSettings(const std::vector<std::string>& supportedSection) {
        std::string text = "[GetFileSize]\r\nURL=http://127.0.0.1/size.php\r\n\r\n";
        for (const std::string& line : supportedSection) text += line + "\r\n";
        WriteBytes(folder / L"settings.ini", text + "\r\n");
    }
    void WriteStandardSettings() {
        WriteSettings({"[SupportedAccessVersions]", "Access.Application.9=Access 2000",
                       "Access.Application.10=Access XP", "Access.Application.11=Access 2003"});
    }
    static std::wstring FakeOfficeCommand(const std::wstring& office) {
        return AccessRegistry::OpenCommandFor(L"C:\\Programme\\Microsoft Office\\" + office +
                                              L"\\MSACCESS.EXE");
    }

    AccessRegistry registry;
    TempFolder folder;
    PumpingFakeUi ui;
    WinFileSystem fs;
    WinShell shell;
    WmiOsInfo os;
    Platform platform{fs, shell, os, ui};
    checkVersions check{platform};
};

}  // namespace

TEST_F(CheckVersionsWineTest, CurVerChoosesSupportedVersionAndItsCommandGivesTheFileVersion) {
    WriteStandardSettings();
    const std::wstring command = AccessRegistry::OpenCommandFor(FixtureExe(L"fixture_access"));
    registry.Register(L"Access.Application.10", FakeOfficeCommand(L"Office10"));
    registry.Register(L"Access.Application.11", command);
    registry.SetCurVer(L"Access.Application.11");

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kSupported);
    EXPECT_EQ(report.olderVersions, 0);
    EXPECT_EQ(report.curVer, L"Access.Application.11");
    EXPECT_EQ(report.progId, L"Access.Application.11");
    // Read through "...\shell\open\command\" + "\": the doubled backslash.
    EXPECT_EQ(report.commandLine, command);
    EXPECT_EQ(check.GetAccessVersionNr(report.commandLine), L"11.0.6566.0");
}

TEST_F(CheckVersionsWineTest, CurVerNamingUnsupportedVersionLetsEarliestInFileOrderWin) {
    WriteSettings({"[SupportedAccessVersions]", "Access.Application.9=Access 2000",
                   "Access.Application.11=Access 2003", "Access.Application.10=Access XP"});
    registry.Register(L"Access.Application.10", FakeOfficeCommand(L"Office10"));
    registry.Register(L"Access.Application.11", FakeOfficeCommand(L"OFFICE11"));
    registry.Register(L"Access.Application.12", FakeOfficeCommand(L"OFFICE12"));
    registry.SetCurVer(L"Access.Application.12");

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kSupported);
    EXPECT_EQ(report.curVer, L"Access.Application.12");
    EXPECT_EQ(report.progId, L"Access.Application.11");
    EXPECT_EQ(report.commandLine, FakeOfficeCommand(L"OFFICE11"));
}

TEST_F(CheckVersionsWineTest, WithoutCurVerTheFirstSupportedVersionFoundIsUsed) {
    WriteStandardSettings();
    registry.Register(L"Access.Application.10", FakeOfficeCommand(L"Office10"));
    registry.Register(L"Access.Application.11", FakeOfficeCommand(L"OFFICE11"));

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kSupported);
    EXPECT_EQ(report.curVer, L"");
    EXPECT_EQ(report.progId, L"Access.Application.10");
    EXPECT_EQ(report.commandLine, FakeOfficeCommand(L"Office10"));
}

TEST_F(CheckVersionsWineTest, OnlyOlderVersionsGiveStatusTwoWithTheirCount) {
    WriteStandardSettings();
    registry.AddProgId(L"Access.Application.8");
    registry.AddProgId(L"Access.Application.7");
    registry.SetCurVer(L"Access.Application.8");

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kTooOld);
    EXPECT_EQ(report.olderVersions, 2);
    EXPECT_EQ(report.curVer, L"");
    EXPECT_EQ(report.commandLine, L"");
}

TEST_F(CheckVersionsWineTest, NoAccessGivesStatusOne) {
    WriteStandardSettings();
    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kNoAccess);
    EXPECT_EQ(report.olderVersions, 0);
}

TEST_F(CheckVersionsWineTest, KeyWithTrailingBlankMatchesNoRegisteredProgId) {
    WriteSettings({"[SupportedAccessVersions]", "Access.Application.11 =Access 2003"});
    registry.Register(L"Access.Application.11", FakeOfficeCommand(L"OFFICE11"));

    const AccessReport report = check.CheckAccessVersion();
    // Not supported as written; counted as an older version up to 11 instead.
    EXPECT_EQ(report.status, AccessReport::kTooOld);
    EXPECT_EQ(report.olderVersions, 1);
    EXPECT_NE(check.ExistsKey(L"Access.Application.11 "), 0);
    EXPECT_EQ(check.ExistsKey(L"Access.Application.11"), 0);
}

TEST_F(CheckVersionsWineTest, HeaderWithTrailingBlankDoesNotOpenTheSection) {
    WriteSettings({"[SupportedAccessVersions] ", "Access.Application.11=Access 2003", "",
                   "[SupportedAccessVersions]", "Access.Application.12=Access 2007"});
    registry.Register(L"Access.Application.11", FakeOfficeCommand(L"OFFICE11"));

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kTooOld);
    EXPECT_EQ(report.olderVersions, 1);
}

TEST_F(CheckVersionsWineTest, ProgramFileWithoutVersionOrMissingIsTold) {
    // A program without a version resource has no version to match a section.
    EXPECT_EQ(check.GetAccessVersionNr(AccessRegistry::OpenCommandFor(FixtureExe(L"exit_with"))),
              L"");
    EXPECT_THROW(check.GetAccessVersionNr(FakeOfficeCommand(L"OFFICE99")), PlatformError);
}

TEST_F(CheckVersionsWineTest, OsVersionIsThreeNumbersFromWmi) {
    const std::wstring version = check.GetOSVersion();
    int points = 0;
    for (wchar_t c : version) {
        if (c == L'.') {
            ++points;
        } else {
            EXPECT_TRUE(std::iswdigit(c)) << Narrow(version);
        }
    }
    EXPECT_EQ(points, 2) << Narrow(version);
}
