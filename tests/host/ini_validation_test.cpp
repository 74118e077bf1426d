#include "IniFileTest.h"
#include "settings/IniValidator.h"

namespace {

class IniValidationTest : public IniFileTest {
protected:
    short Check(const std::wstring& text) {
        WriteIni(text);
        return settings.CheckIniFile();
    }
};

// The section every file needs, the one [ProgramFile] needs, and one complete message.
const std::wstring kSize = L"[GetFileSize]|URL=http://x||";
const std::wstring kVersions = L"[SupportedAccessVersions]|a.b.c=d||";
const std::wstring kMessage = L"[osVer_1]|Meldung=T|LinkInfo=|LinkSP=|Icon=OK";

}  // namespace

TEST_F(IniValidationTest, MissingFileGivesOne) {
    EXPECT_EQ(settings.CheckIniFile(), 1);
}

TEST_F(IniValidationTest, FilesKeepingEveryRuleAreUsable) {
    const std::wstring usable[] = {
        L"[SupportedAccessVersions]|Access.Application.16=Access 2016||"
        L"[GetFileSize]|URL=https://download.example/getsize.php||"
        L"[ProgramFile]|URL=http://download.example/Zelbar11.exe||"
        L"[osVer_10.0]|Meldung=Windows 10 wird unterstützt.|LinkInfo=|"
        L"LinkSP=Hinweise: <a href#EQUAL#\"http://example/sp\">Service Pack</a>|Icon=OK||"
        L"[accessVer_16.0]|Meldung=|LinkInfo=|LinkSP=|icon=warning|Zusatz=||"
        L"[Runtime]|Datei=runtime.exe||[Shortcuts]|Desktop=Zelbar 11",
        kSize,
        L"  [GetFileSize]  |   URL=http://x   |     |[Runtime]|a=b",
        // Without a blank line the URL line counts as a message line and escapes its rule.
        kSize + kMessage + L"|[GetFileSize]|URL=ftp://x",
    };
    for (const std::wstring& text : usable) {
        EXPECT_EQ(Check(text), ini::kUsable) << ::testing::PrintToString(text);
    }
}

TEST_F(IniValidationTest, FilesBreakingARuleAreRefused) {
    const std::wstring refused[] = {
        L"[Runtime]|a=b",
        kSize + L"[ProgramFile]|URL=http://y",
        // Key lines stand inside a section, have a key and, outside messages, a value.
        L"a=b|" + kSize,
        kSize + L"a=b",
        kSize + L"[Runtime]|; Kommentar",
        kSize + L"[Runtime]|Datei=",
        kSize + L"[Runtime]|=Wert",
        kSize + kMessage + L"|; Kommentar",
        kSize + kMessage + L"|=Wert",
        L"[GetFileSize]|\tURL=http://x",
        L"[SupportedAccessVersions]|Access.Application=Access||" + kSize,
        // A header without a blank line before it keeps the rule of the section above.
        L"[SupportedAccessVersions]|a.b.c=d|[ProgramFile]|URL=http://y||" + kSize,
        kSize + L"[osVer_1]|Meldung=T|LinkInfo=|LinkSP=|Icon=Fehler",
        // Each message section needs its own four lines.
        kSize + kMessage + L"||[accessVer_1]|Meldung=T",
    };
    for (const std::wstring& text : refused) {
        EXPECT_EQ(Check(text), ini::kBroken) << ::testing::PrintToString(text);
    }
}

TEST_F(IniValidationTest, UrlSectionsTakeOnlyHttpAndHttpsAddresses) {
    for (const wchar_t* header : {L"[GetFileSize]", L"[ProgramFile]", L"[Folder]", L"[Versions]"}) {
        const std::wstring file = kVersions + kSize + header;
        EXPECT_EQ(Check(file + L"|URL=http://a"), ini::kUsable) << header;
        EXPECT_EQ(Check(file + L"|URL=https://a"), ini::kUsable) << header;
        EXPECT_EQ(Check(file + L"|URL=ftp://a"), ini::kBroken) << header;
    }
}

TEST_F(IniValidationTest, MessageSectionNeedsAllFourLinesWhereverItEnds) {
    const std::wstring lines[] = {L"Meldung=T", L"LinkInfo=", L"LinkSP=", L"Icon=Warning"};
    for (int missing = 0; missing < 4; ++missing) {
        std::wstring file = kSize + L"[accessVer_1]";
        for (int i = 0; i < 4; ++i) {
            if (i != missing) file += L"|" + lines[i];
        }
        EXPECT_EQ(Check(file), ini::kBroken) << "at the end, without line " << missing;
        EXPECT_EQ(Check(file + L"|"), ini::kBroken) << "before a blank, without line " << missing;
    }
}

// A later line that keeps the rules must not clear what an earlier one broke.
TEST(IniValidatorTest, BrokenFileStaysBrokenWhateverFollows) {
    IniValidator validator;
    for (const wchar_t* line : {L"[GetFileSize]", L"URL=ftp://x", L"URL=http://x"}) {
        validator.Check(line);
    }
    EXPECT_EQ(validator.Finish(), ini::kBroken);
}
