// checkVersions on the host: a real settings.ini in a temporary start folder,
// a registry of ProgIDs held by a fake shell, and program-file versions.
#include <gtest/gtest.h>

#include "FakeAccessMachine.h"
#include "FakeUi.h"
#include "TempFolder.h"
#include "syscheck/checkVersions.h"

namespace {

const wchar_t kCommand11[] =
    L"\"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
const wchar_t kCommand10[] =
    L"\"C:\\Programme\\Microsoft Office\\Office10\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
const std::vector<std::wstring> kStandard{L"Access.Application.9=Access 2000",
                                          L"Access.Application.10=Access XP",
                                          L"Access.Application.11=Access 2003"};

class CheckVersionsTest : public ::testing::Test {
protected:
    void WriteSupported(const std::vector<std::wstring>& entries) {
        std::vector<std::wstring> lines{L"[GetFileSize]", L"URL=http://127.0.0.1/size.php", L"",
                                        L"[SupportedAccessVersions]"};
        lines.insert(lines.end(), entries.begin(), entries.end());
        tmp.WriteLines("settings.ini", lines);
    }
    void SetCurVer(const std::wstring& progId) {
        shell.defaults[L"Access.Application"] = L"Microsoft Access-Anwendung";
        shell.defaults[L"Access.Application\\CurVer"] = progId;
    }

    TempFolder tmp;
    FakeUi ui{tmp.wpath()};
    VersionedFileSystem fs;
    FakeRegistryShell shell;
    FixedOsInfo os;
    Platform platform{fs, shell, os, ui};
    checkVersions check{platform};
};

}  // namespace

TEST_F(CheckVersionsTest, CurVerWinsWhenSupportedOtherwiseEarliestInstalledInFileOrder) {
    struct Case {
        const char* name;
        std::vector<std::wstring> supported;
        const wchar_t* curVer;  // nullptr: no CurVer key
        bool openCommands;
        const wchar_t* progId;
        const wchar_t* commandLine;
    };
    const std::vector<std::wstring> reordered{kStandard[0], kStandard[2], kStandard[1]};
    for (const Case& c : {
             Case{"CurVer supported", kStandard, L"Access.Application.11", true,
                  L"Access.Application.11", kCommand11},
             Case{"CurVer not supported", reordered, L"Access.Application.12", true,
                  L"Access.Application.11", kCommand11},
             Case{"no CurVer", kStandard, nullptr, true, L"Access.Application.10", kCommand10},
             Case{"no open command", kStandard, L"Access.Application.11", false,
                  L"Access.Application.11", L""},
         }) {
        SCOPED_TRACE(c.name);
        shell.defaults.clear();
        WriteSupported(c.supported);
        for (const auto& [progId, command] : {std::pair{L"Access.Application.10", kCommand10},
                                              std::pair{L"Access.Application.11", kCommand11}}) {
            if (c.openCommands) shell.Register(progId, command);
            shell.defaults[progId] = L"Microsoft Access-Datenbank";
        }
        if (c.curVer) SetCurVer(c.curVer);

        const AccessReport report = check.CheckAccessVersion();
        EXPECT_EQ(report.status, AccessReport::kSupported);
        EXPECT_EQ(report.olderVersions, 0);
        EXPECT_EQ(report.curVer, c.curVer ? c.curVer : L"");
        EXPECT_EQ(report.progId, c.progId);
        EXPECT_EQ(report.commandLine, c.commandLine);
    }
}

TEST_F(CheckVersionsTest, WithoutSupportedVersionOnlyOlderOnesUpToFirstListedNumberCount) {
    struct Case {
        const char* name;
        std::wstring firstSupported;
        std::vector<std::wstring> registered;
        short status;
        short olderVersions;
    };
    for (const Case& c : {
             // 10 lies above the first listed number and is not supported either.
             Case{"older ones",
                  L"Access.Application.9=Access 2000",
                  {L"Access.Application.8", L"Access.Application.3", L"Access.Application.10"},
                  AccessReport::kTooOld,
                  2},
             Case{"none",
                  L"Access.Application.9=Access 2000",
                  {L"Access.Application.10"},
                  AccessReport::kNoAccess,
                  0},
             // Taken as written, the key matches no ProgID but still gives its number.
             Case{"key with blank",
                  L"Access.Application.9 =Access 2000",
                  {L"Access.Application.9"},
                  AccessReport::kTooOld,
                  1},
         }) {
        SCOPED_TRACE(c.name);
        shell.defaults.clear();
        WriteSupported({c.firstSupported, L"Access.Application.11=Access 2003"});
        for (const std::wstring& progId : c.registered) shell.Register(progId, kCommand10);
        SetCurVer(c.registered.front());

        const AccessReport report = check.CheckAccessVersion();
        EXPECT_EQ(report.status, c.status);
        EXPECT_EQ(report.olderVersions, c.olderVersions);
        EXPECT_EQ(report.curVer + report.progId + report.commandLine, L"");
    }
}

TEST_F(CheckVersionsTest, SectionLinesAreTakenAsWrittenUpToFirstLineWithoutEquals) {
    tmp.WriteLines("settings.ini",
                   {L"[SupportedAccessVersions] ", L"Access.Application.7=nicht im Abschnitt", L"",
                    L"[SupportedAccessVersions]", L"Access.Application.9 =Leerzeichen",
                    L"Access.Application.10=XP=zweites", L"Access.Application.9 =doppelt",
                    L"[Runtime]", L"Access.Application.12=nach dem Abschnitt", L"",
                    L"[SupportedAccessVersions]", L"Access.Application.11=Access 2003"});

    const checkVersions::VersionTable expected{{L"Access.Application.9 ", L"Leerzeichen"},
                                               {L"Access.Application.10", L"XP"},
                                               {L"Access.Application.11", L"Access 2003"}};
    EXPECT_EQ(check.ReadSupportedVersions(), expected);
}

TEST_F(CheckVersionsTest, UnreadableFileOrUnusableSectionFailsTheCheck) {
    EXPECT_THROW(check.CheckAccessVersion(), PlatformError);

    for (const std::vector<std::wstring>& section :
         {std::vector<std::wstring>{L"Access.Application.neun=Access 2000"},
          std::vector<std::wstring>{L"Access.Application.99999=viel zu neu"},
          std::vector<std::wstring>{}}) {
        WriteSupported(section);
        EXPECT_THROW(check.CheckAccessVersion(), SupportedVersionsError);
    }
    // With a supported version installed nothing needs counting.
    WriteSupported({L"Access.Application.neun=Access 2000"});
    shell.Register(L"Access.Application.neun", kCommand11);
    EXPECT_EQ(check.CheckAccessVersion().status, AccessReport::kSupported);
}

TEST_F(CheckVersionsTest, RegistryProbesReportFailureAsNumberOrEmptyText) {
    shell.Register(L"Access.Application.11", kCommand11);
    EXPECT_EQ(check.ExistsKey(L"Access.Application.11\\shell\\open\\command\\"), 0);
    EXPECT_EQ(check.ExistsKey(L"Access.Application.12"), 2);
    EXPECT_EQ(check.GetKeyValue(L"Access.Application.11\\shell\\open\\command"), kCommand11);
    EXPECT_EQ(check.GetKeyValue(L"Access.Application.12"), L"");
}

TEST_F(CheckVersionsTest, AccessVersionComesFromProgramFileBetweenFirstTwoQuotes) {
    fs.versions[L"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE"] = L"11.0.6566.0";
    EXPECT_EQ(check.GetAccessVersionNr(kCommand11), L"11.0.6566.0");
    EXPECT_EQ(fs.asked.back(), L"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE");

    EXPECT_THROW(check.GetAccessVersionNr(kCommand10), PlatformError);
    EXPECT_THROW(check.GetAccessVersionNr(L""), PlatformError);
    EXPECT_THROW(check.GetAccessVersionNr(L"C:\\Office\\MSACCESS.EXE /NOSTARTUP"), PlatformError);
    EXPECT_EQ(fs.asked.size(), 2u);  // no program path, nothing asked
}

TEST(AccessReportTest, EntriesOneToFiveAreTheNamedFields) {
    const AccessReport report{3, L"cur", L"prog", L"cmd", AccessReport::kTooOld};
    const std::vector<std::wstring> items{L"3", L"cur", L"prog", L"cmd", L"2"};
    for (int key = 1; key <= 5; ++key) {
        EXPECT_EQ(report.Item(Text::FromInt(key)), items[key - 1]);
    }
    EXPECT_THROW(report.Item(L"6"), std::out_of_range);
}
