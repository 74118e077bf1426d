#include <gtest/gtest.h>

#include "FakeAccessMachine.h"
#include "syscheck/checkVersions.h"

namespace {

class CheckVersionsTest : public ::testing::Test, public FakeAccessMachine {
protected:
    void WriteSupported(const std::vector<std::wstring>& entries) {
        std::vector<std::wstring> lines{L"[GetFileSize]", L"URL=http://127.0.0.1/size.php", L"",
                                        L"[SupportedAccessVersions]"};
        lines.insert(lines.end(), entries.begin(), entries.end());
        tmp.WriteLines("settings.ini", lines);
    }

    checkVersions check{platform};
};

// The report in one line: "status older CurVer|ProgID|command", ProgIDs
// shortened to their number (".11").
std::wstring Summary(const AccessReport& r) {
    return Text::ReplaceAll(Text::FromInt(r.status) + L" " + Text::FromInt(r.olderVersions) + L" " +
                                r.curVer + L"|" + r.progId + L"|" + r.commandLine,
                            L"Access.Application", L"");
}

}  // namespace

TEST_F(CheckVersionsTest, ReportNamesTheSupportedVersionToUseOrCountsTheOlderOnes) {
    struct Case {
        std::vector<std::wstring> supported;   // version numbers in file order
        std::vector<std::wstring> registered;  // each with the open command "cmd <n>"
        std::wstring curVer;                   // empty: no CurVer key
        std::wstring report;
    };
    for (const Case& c : {Case{{L"9", L"10", L"11"}, {L"10", L"11"}, L"11", L"0 0 .11|.11|cmd 11"},
                          // CurVer is not supported: the earliest installed in file order.
                          Case{{L"9", L"11", L"10"}, {L"10", L"11"}, L"12", L"0 0 .12|.11|cmd 11"},
                          // Only versions up to the first listed number count as older.
                          Case{{L"9", L"11"}, {L"8", L"3", L"10"}, L"8", L"2 2 ||"},
                          Case{{L"9", L"11"}, {L"10"}, L"", L"1 0 ||"},
                          // Taken as written, the key matches no ProgID but still gives its number.
                          Case{{L"9 ", L"11"}, {L"9"}, L"", L"2 1 ||"}}) {
        shell.defaults.clear();
        std::vector<std::wstring> lines;
        for (const std::wstring& n : c.supported)
            lines.push_back(L"Access.Application." + n + L"=x");
        WriteSupported(lines);
        for (const std::wstring& n : c.registered)
            shell.Register(L"Access.Application." + n, L"cmd " + n);
        if (!c.curVer.empty())
            shell.defaults[L"Access.Application\\CurVer"] = L"Access.Application." + c.curVer;
        EXPECT_EQ(Summary(check.CheckAccessVersion()), c.report);
    }
    // A supported version without open command has none to report.
    shell.defaults = {{L"Access.Application.10", L"Access XP"}};
    WriteSupported({L"Access.Application.10=x"});
    EXPECT_EQ(Summary(check.CheckAccessVersion()), L"0 0 |.10|");
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

    // The older versions are counted up to the first supported number, in 16 bits.
    for (const std::vector<std::wstring>& section :
         {std::vector<std::wstring>{L"Access.Application.99999=viel zu neu"},
          std::vector<std::wstring>{}}) {
        WriteSupported(section);
        EXPECT_THROW(check.CheckAccessVersion(), SupportedVersionsError);
    }
}
