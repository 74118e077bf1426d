// checkVersions on the host: a real settings.ini in a temporary start folder,
// a registry of ProgIDs held by a fake shell, and a fixed OS version.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "FakeUi.h"
#include "FixedOsInfo.h"
#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"
#include "platform/Text.h"
#include "syscheck/checkVersions.h"

namespace {

constexpr std::uint32_t kFileNotFound = 2;
const wchar_t kRoot[] = L"HKEY_CLASSES_ROOT\\";

// HKEY_CLASSES_ROOT as a set of keys with default values. Like the shell
// object, a name ending in backslashes reads the key's default value.
class FakeRegistryShell : public Shell {
public:
    std::map<std::wstring, std::wstring> defaults;  // key below HKCR → default value

    std::wstring regRead(const std::wstring& name) override {
        if (!Text::StartsWith(name, kRoot) || !Text::EndsWith(name, L"\\")) {
            throw PlatformError(87, L"unexpected registry name " + name);
        }
        std::wstring key = name.substr(std::wstring(kRoot).size());
        while (!key.empty() && key.back() == L'\\') key.pop_back();
        const auto it = defaults.find(key);
        if (it == defaults.end()) throw PlatformError(kFileNotFound, L"missing " + key);
        return it->second;
    }
    void Run(const std::wstring&) override {}
    unsigned long Run(const std::wstring&, WindowStyle, bool) override { return 0; }
    std::wstring SpecialFolders(const std::wstring&) override { return L""; }
    std::unique_ptr<Shortcut> CreateShortcut(const std::wstring&) override { return nullptr; }
};

// Real files, but version resources exist only on Windows: the version of a
// program file is looked up here, and the path asked for is recorded.
class VersionedFileSystem : public PortableFileSystem {
public:
    std::map<std::wstring, std::wstring> versions;
    std::vector<std::wstring> asked;
    std::wstring GetFileVersion(const std::wstring& path) override {
        asked.push_back(path);
        const auto it = versions.find(path);
        if (it == versions.end()) throw PlatformError(kFileNotFound, L"keine Datei " + path);
        return it->second;
    }
};

const wchar_t kCommand11[] =
    L"\"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
const wchar_t kCommand10[] =
    L"\"C:\\Programme\\Microsoft Office\\Office10\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";

class CheckVersionsTest : public ::testing::Test {
protected:
    void WriteSupported(const std::vector<std::wstring>& entries) {
        std::vector<std::wstring> lines{L"[GetFileSize]", L"URL=http://127.0.0.1/size.php", L"",
                                        L"[SupportedAccessVersions]"};
        lines.insert(lines.end(), entries.begin(), entries.end());
        lines.push_back(L"");
        tmp.WriteLines("settings.ini", lines);
    }
    void WriteStandardSection() {
        WriteSupported({L"Access.Application.9=Access 2000", L"Access.Application.10=Access XP",
                        L"Access.Application.11=Access 2003"});
    }
    void Register(const std::wstring& progId, const std::wstring& command) {
        shell.defaults[progId] = L"Microsoft Access-Datenbank";
        shell.defaults[progId + L"\\shell\\open\\command"] = command;
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

TEST_F(CheckVersionsTest, CurVerNamingSupportedVersionChoosesItWithItsOpenCommand) {
    WriteStandardSection();
    Register(L"Access.Application.10", kCommand10);
    Register(L"Access.Application.11", kCommand11);
    SetCurVer(L"Access.Application.11");

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kSupported);
    EXPECT_EQ(report.olderVersions, 0);
    EXPECT_EQ(report.curVer, L"Access.Application.11");
    EXPECT_EQ(report.progId, L"Access.Application.11");
    EXPECT_EQ(report.commandLine, kCommand11);
    EXPECT_EQ(report.Item(L"1"), L"0");
    EXPECT_EQ(report.Item(L"2"), L"Access.Application.11");
    EXPECT_EQ(report.Item(L"3"), L"Access.Application.11");
    EXPECT_EQ(report.Item(L"4"), kCommand11);
    EXPECT_EQ(report.Item(L"5"), L"0");
    EXPECT_THROW(report.Item(L"6"), std::out_of_range);
}

TEST_F(CheckVersionsTest, CurVerNamingUnsupportedVersionLetsEarliestInstalledInFileOrderWin) {
    WriteSupported({L"Access.Application.9=Access 2000", L"Access.Application.11=Access 2003",
                    L"Access.Application.10=Access XP"});
    Register(L"Access.Application.10", kCommand10);
    Register(L"Access.Application.11", kCommand11);
    SetCurVer(L"Access.Application.12");

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kSupported);
    EXPECT_EQ(report.curVer, L"Access.Application.12");
    EXPECT_EQ(report.progId, L"Access.Application.11");
    EXPECT_EQ(report.commandLine, kCommand11);
}

TEST_F(CheckVersionsTest, MissingCurVerFallsBackToFirstSupportedVersionFound) {
    WriteStandardSection();
    Register(L"Access.Application.10", kCommand10);
    Register(L"Access.Application.11", kCommand11);

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kSupported);
    EXPECT_EQ(report.curVer, L"");
    EXPECT_EQ(report.progId, L"Access.Application.10");
    EXPECT_EQ(report.commandLine, kCommand10);
}

TEST_F(CheckVersionsTest, SupportedVersionWithoutOpenCommandHasEmptyCommandLine) {
    WriteStandardSection();
    shell.defaults[L"Access.Application.11"] = L"Microsoft Access-Datenbank";
    SetCurVer(L"Access.Application.11");

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kSupported);
    EXPECT_EQ(report.progId, L"Access.Application.11");
    EXPECT_EQ(report.commandLine, L"");
}

TEST_F(CheckVersionsTest, OnlyOlderVersionsUpToFirstListedNumberAreCounted) {
    WriteSupported({L"Access.Application.9=Access 2000", L"Access.Application.11=Access 2003"});
    shell.defaults[L"Access.Application.8"] = L"Access 97";
    shell.defaults[L"Access.Application.3"] = L"Access 2.0";
    // Above the first listed number and not supported: neither older nor usable.
    shell.defaults[L"Access.Application.10"] = L"Access XP";
    SetCurVer(L"Access.Application.8");

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kTooOld);
    EXPECT_EQ(report.olderVersions, 2);
    EXPECT_EQ(report.curVer, L"");
    EXPECT_EQ(report.progId, L"");
    EXPECT_EQ(report.commandLine, L"");
}

TEST_F(CheckVersionsTest, NoAccessAtAllGivesStatusOneWithCountZero) {
    WriteSupported({L"Access.Application.9=Access 2000", L"Access.Application.11=Access 2003"});
    shell.defaults[L"Access.Application.10"] = L"Access XP";  // above 9: not counted

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kNoAccess);
    EXPECT_EQ(report.olderVersions, 0);
    EXPECT_EQ(report.Item(L"5"), L"1");
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

TEST_F(CheckVersionsTest, KeyWithTrailingBlankMatchesNoRegistryKeyButStillGivesItsNumber) {
    WriteSupported({L"Access.Application.9 =Access 2000"});
    Register(L"Access.Application.9", kCommand10);

    const AccessReport report = check.CheckAccessVersion();
    EXPECT_EQ(report.status, AccessReport::kTooOld);
    EXPECT_EQ(report.olderVersions, 1);
}

TEST_F(CheckVersionsTest, UnusableSectionIsReportedWhenOlderVersionsMustBeCounted) {
    WriteSupported({L"Access.Application.neun=Access 2000"});
    EXPECT_THROW(check.CheckAccessVersion(), SupportedVersionsError);

    WriteSupported({L"Access.Application.99999=viel zu neu"});
    EXPECT_THROW(check.CheckAccessVersion(), SupportedVersionsError);

    tmp.WriteLines("settings.ini", {L"[GetFileSize]", L"URL=http://127.0.0.1/size.php"});
    EXPECT_THROW(check.CheckAccessVersion(), SupportedVersionsError);

    // With a supported version installed nothing needs counting.
    WriteSupported({L"Access.Application.neun=Access 2000"});
    Register(L"Access.Application.neun", kCommand11);
    EXPECT_EQ(check.CheckAccessVersion().status, AccessReport::kSupported);
}

TEST_F(CheckVersionsTest, MissingSettingsFileFailsTheCheck) {
    EXPECT_THROW(check.CheckAccessVersion(), PlatformError);
}

TEST_F(CheckVersionsTest, RegistryProbesReportFailureAsNumberOrEmptyText) {
    Register(L"Access.Application.11", kCommand11);
    EXPECT_EQ(check.ExistsKey(L"Access.Application.11"), 0);
    EXPECT_EQ(check.ExistsKey(L"Access.Application.11\\shell\\open\\command\\"), 0);
    EXPECT_EQ(check.ExistsKey(L"Access.Application.12"), static_cast<std::int32_t>(kFileNotFound));
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

TEST_F(CheckVersionsTest, OsVersionIsWhatTheSystemReports) {
    os.version = L"6.1.7601";
    EXPECT_EQ(check.GetOSVersion(), L"6.1.7601");
}
