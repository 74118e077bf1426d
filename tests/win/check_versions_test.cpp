// checkVersions on the seams the host tests cannot show: the prefix's registry
// (filled with reg.exe) and the version resources of real program files.
#include <gtest/gtest.h>

#include "TempFolder.h"

#include "platform/FileSystem_win.h"
#include "platform/OsInfo_win.h"
#include "platform/PlatformError.h"
#include "platform/Shell_win.h"
#include "support/AccessRegistry.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"
#include "syscheck/checkVersions.h"

using namespace wintest;

TEST(CheckVersionsWineTest, RegisteredAccessIsFoundWithItsCommandAndItsProgramFilesVersion) {
    AccessRegistry registry;
    TempFolder folder;
    PumpingFakeUi ui;
    ui.startFolder = folder.path();
    WinFileSystem fs;
    WinShell shell;
    WmiOsInfo os;
    const Platform platform{fs, shell, os, ui};
    checkVersions check(platform);
    WriteBytes(folder / L"settings.ini",
               "[SupportedAccessVersions]\r\nAccess.Application.9=Access 2000\r\n"
               "Access.Application.11=Access 2003\r\n");
    const std::wstring command = AccessRegistry::OpenCommandFor(FixtureExe(L"fixture_access"));
    registry.Register(L"Access.Application.11", command);
    registry.SetCurVer(L"Access.Application.11");

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kSupported);
    EXPECT_EQ(report.curVer, L"Access.Application.11");
    // Read through "...\shell\open\command\" + "\": the doubled backslash.
    EXPECT_EQ(report.commandLine, command);
    EXPECT_EQ(check.GetAccessVersionNr(report.commandLine), L"11.0.6566.0");
    // Neither a ProgID that is not there nor a name with a trailing blank is found.
    EXPECT_NE(check.ExistsKey(L"Access.Application.9"), 0);
    EXPECT_NE(check.ExistsKey(L"Access.Application.11 "), 0);

    // A program without a version resource has no version to match a section.
    EXPECT_EQ(check.GetAccessVersionNr(AccessRegistry::OpenCommandFor(FixtureExe(L"exit_with"))),
              L"");
    EXPECT_THROW(check.GetAccessVersionNr(AccessRegistry::OpenCommandFor(folder / L"fehlt.exe")),
                 PlatformError);
}
