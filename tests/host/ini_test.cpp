#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "FakeUi.h"
#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"
#include "settings/LikePattern.h"
#include "settings/ini.h"

namespace {

using Names = std::vector<std::wstring>;

// A settings.ini in a fresh start folder, read through the real file code.
class IniTest : public ::testing::Test {
protected:
    // The file's lines joined by "|", so that a whole file fits on one line; "||" holds a
    // blank line, and empty text makes an empty file.
    void WriteIni(const std::wstring& text) {
        tmp.WriteLines("settings.ini", text.empty() ? Names{} : Text::Split(text, L'|'));
    }
    std::string IniBytes() const { return tmp.ReadBytes("settings.ini"); }
    short Check(const std::wstring& text) {
        WriteIni(text);
        return settings.CheckIniFile();
    }

    TempFolder tmp;
    FakeUi ui{tmp.path()};
    PortableFileSystem fs;
    ini settings{fs, ui};
};

Names ToVector(const NameList& list) {
    return Names(list.begin(), list.end());
}

// The bytes of a file whose CRLF lines are joined by "|".
std::string Crlf(const std::string& lines) {
    std::string bytes;
    for (const char c : lines) bytes += c == '|' ? std::string("\r\n") : std::string(1, c);
    return bytes + "\r\n";
}

// Notes what reached the disk by the time settings.ini was replaced; a locked one cannot be
// replaced, as when another program holds it open.
class JournalingFileSystem : public PortableFileSystem {
public:
    std::vector<std::string> journal;
    bool locked = false;

    std::unique_ptr<TextWriter> OpenTextFileForWriting(const std::wstring& path) override {
        struct Noting : TextWriter {
            std::unique_ptr<TextWriter> real;
            std::vector<std::string>& journal;
            Noting(std::unique_ptr<TextWriter> w, std::vector<std::string>& j)
                : real(std::move(w)), journal(j) {}
            void Write(const std::wstring& text) override { real->Write(text); }
            void WriteLine(const std::wstring& text) override { real->WriteLine(text); }
            void Flush() override {
                journal.push_back("flush");
                real->Flush();
            }
            void Close() override {
                journal.push_back("close");
                real->Close();
            }
        };
        return std::make_unique<Noting>(PortableFileSystem::OpenTextFileForWriting(path), journal);
    }
    void ReplaceFile(const std::wstring& source, const std::wstring& destination) override {
        if (locked) throw PlatformError(EACCES, L"Die Datei ist gesperrt.");
        journal.push_back("replace");
        PortableFileSystem::ReplaceFile(source, destination);
    }
};

// The section every file needs, the one [ProgramFile] needs, and one complete message.
const std::wstring kSize = L"[GetFileSize]|URL=http://x||";
const std::wstring kVersions = L"[SupportedAccessVersions]|a.b.c=d||";
const std::wstring kMessage = L"[osVer_1]|Meldung=T|LinkInfo=|LinkSP=|Icon=OK";

}  // namespace

TEST_F(IniTest, LastMatchingLineWinsItsValueStopsAtTheSecondEqualsSignAndOnlyBlanksInsideCount) {
    WriteIni(
        L"[GetFileSize]|URL=http://erste|URL=http://zweite||[ProgramFile]|URL=http://archiv/"
        L"Größe€||"
        L"[GetFileSize]|URL=http://h/size.php?filename=Zelbar.exe");
    EXPECT_EQ(settings.GetValue(L"GetFileSize", L"URL"), L"http://h/size.php?filename");
    EXPECT_EQ(settings.GetValue(L"ProgramFile", L"URL"), L"http://archiv/Größe€");

    // Letter case and blanks inside a line are significant; blanks around it are not, as
    // for the start-up check, which lets such a file through.
    WriteIni(L"[Shortcuts] |Desktop=Zelbar||[Folder]| URL=http://a |Key = Wert||[folder]|URL=b");
    EXPECT_EQ(settings.GetValue(L"Shortcuts", L"Desktop"), L"Zelbar");
    EXPECT_EQ(ToVector(settings.GetKeys(L"Folder")), (Names{L"URL", L"Key "}));
    EXPECT_EQ(settings.GetValue(L"Folder", L"URL"), L"http://a");
    EXPECT_EQ(settings.GetValue(L"folder", L"URL"), L"b");
    WriteIni(L"  [GetFileSize]  |   URL=http://x   ");
    ASSERT_EQ(settings.CheckIniFile(), ini::kUsable);
    EXPECT_EQ(settings.GetValue(L"GetFileSize", L"URL"), L"http://x");
}

TEST_F(IniTest, SectionEndsAtEmptyHeaderShapedOrEqualsFreeLine) {
    WriteIni(L"[Leer]|a=1||b=2|[Kopf]|a=1|[x=y]|b=2|[Kommentar]|a=1|; Kommentar|b=2");
    for (const wchar_t* section : {L"Leer", L"Kopf", L"Kommentar"}) {
        EXPECT_EQ(settings.GetValue(section, L"a"), L"1") << section;
        EXPECT_EQ(settings.GetValue(section, L"b"), L"") << section;
    }
}

TEST_F(IniTest, SectionsAreTheTrimmedHeaderLinesWithoutAnyBracketAndMayReopen) {
    WriteIni(
        L"  [GetFileSize]  |URL=http://x|[[Ver]schachtelt]|[ mit Leer ]|[offen|zu]|\t[Tab]||[]");
    EXPECT_EQ(ToVector(settings.GetSections()),
              (Names{L"GetFileSize", L"Verschachtelt", L" mit Leer ", L""}));

    // Its own header right under a section line only ends the section; a later copy reopens it.
    WriteIni(L"[A]|x=1|[A]|y=2||[A]|z=3");
    EXPECT_EQ(ToVector(settings.GetKeys(L"A")), (Names{L"x", L"z"}));
}

TEST_F(IniTest, KeyIsReplacedOrAddedBeforeTheLineThatEndsItsSection) {
    const struct {
        const wchar_t* before;
        const char* after;
    } cases[] = {
        // Every line of the key in every copy of the section; other sections keep theirs.
        {L"[S]|k=alt|k=alt|x=1||[B]|k=1||[S]|k=alt", "[S]|k=neu|k=neu|x=1||[B]|k=1||[S]|k=neu"},
        // Added once, before the blank line, the next header or the end of the file.
        {L"[S]|x=1||[S]|y=2", "[S]|x=1|k=neu||[S]|y=2"},
        {L"[S]|x=1|[B]|y=2", "[S]|x=1|k=neu|[B]|y=2"},
        {L"[B]|y=2||[S]|x=1", "[B]|y=2||[S]|x=1|k=neu"},
        // A missing section is appended, kept apart by one blank line.
        {L"[B]|y=2", "[B]|y=2||[S]|k=neu"},
        {L"[B]|y=2|", "[B]|y=2||[S]|k=neu"},
        {L"", "[S]|k=neu"}};
    for (const auto& c : cases) {
        WriteIni(c.before);
        settings.WriteKeyValuePair(L"S", L"k", L"neu");
        EXPECT_EQ(IniBytes(), Crlf(c.after));
    }
    EXPECT_FALSE(tmp.Exists("settings.ini.tmp"));
}

TEST_F(IniTest, FailedReplaceLeavesTheFileWholeAndTheNewTextInTheCopy) {
    WriteIni(L"[S]|k=alt");
    JournalingFileSystem locked;
    locked.locked = true;
    EXPECT_THROW(ini(locked, ui).WriteKeyValuePair(L"S", L"k", L"neu"), PlatformError);
    EXPECT_EQ(IniBytes(), Crlf("[S]|k=alt"));
    EXPECT_EQ(tmp.ReadBytes("settings.ini.tmp"), Crlf("[S]|k=neu"));
}

// After a power cut a renamed file whose text was never flushed can be empty.
TEST_F(IniTest, NewTextIsOnTheDiskBeforeItReplacesTheFile) {
    WriteIni(L"[S]|k=alt");
    JournalingFileSystem journaling;
    ini(journaling, ui).WriteKeyValuePair(L"S", L"k", L"neu");
    EXPECT_EQ(journaling.journal, (std::vector<std::string>{"flush", "close", "replace"}));
    EXPECT_EQ(IniBytes(), Crlf("[S]|k=neu"));
}

TEST_F(IniTest, FilesKeepingEveryRuleAreUsable) {
    const std::wstring usable[] = {
        L"[SupportedAccessVersions]|Access.Application.16=Access 2016||"
        L"[GetFileSize]|URL=https://download.example/getsize.php||"
        L"[ProgramFile]|URL=http://download.example/Zelbar11.exe||"
        L"[osVer_10.0]|Meldung=Windows 10 wird unterstützt.|LinkInfo=|"
        L"LinkSP=Hinweise: <a href#EQUAL#\"http://example/sp\">Service Pack</a>|Icon=OK||"
        L"[accessVer_16.0]|Meldung=|LinkInfo=|LinkSP=|icon=warning|Zusatz=||"
        L"[Runtime]|Datei=runtime.exe||[Shortcuts]|Desktop=Zelbar 11",
        kSize, L"  [GetFileSize]  |   URL=http://x   |     |[Runtime]|a=b",
        // Without a blank line the URL line counts as a message line and escapes its rule.
        kSize + kMessage + L"|[GetFileSize]|URL=ftp://x"};
    for (const std::wstring& text : usable) {
        EXPECT_EQ(Check(text), ini::kUsable) << ::testing::PrintToString(text);
    }
}

TEST_F(IniTest, FilesBreakingARuleAreRefused) {
    EXPECT_EQ(settings.CheckIniFile(), ini::kMissing);
    const std::wstring refused[] = {
        L"[Runtime]|a=b", kSize + L"[ProgramFile]|URL=http://y",
        // Key lines stand inside a section, have a key and, outside messages, a value.
        L"a=b|" + kSize, kSize + L"a=b", kSize + L"[Runtime]|; Kommentar",
        kSize + L"[Runtime]|Datei=", kSize + L"[Runtime]|=Wert", kSize + kMessage + L"|; Kommentar",
        kSize + kMessage + L"|=Wert", L"[GetFileSize]|\tURL=http://x",
        L"[GetFileSize]|url=http://x",
        L"[SupportedAccessVersions]|Access.Application=Access||" + kSize,
        // A header without a blank line before it keeps the rule of the section above.
        L"[SupportedAccessVersions]|a.b.c=d|[ProgramFile]|URL=http://y||" + kSize,
        kSize + L"[osVer_1]|Meldung=T|LinkInfo=|LinkSP=|Icon=Fehler",
        // Each message section needs its own four lines.
        kSize + kMessage + L"||[accessVer_1]|Meldung=T"};
    for (const std::wstring& text : refused) {
        EXPECT_EQ(Check(text), ini::kBroken) << ::testing::PrintToString(text);
    }
}

TEST_F(IniTest, UrlSectionsTakeOnlyHttpAndHttpsAddresses) {
    for (const wchar_t* header : {L"[GetFileSize]", L"[ProgramFile]", L"[Folder]", L"[Versions]"}) {
        const std::wstring file = kVersions + kSize + header;
        EXPECT_EQ(Check(file + L"|URL=http://a"), ini::kUsable) << header;
        EXPECT_EQ(Check(file + L"|URL=https://a"), ini::kUsable) << header;
        EXPECT_EQ(Check(file + L"|URL=ftp://a"), ini::kBroken) << header;
    }
}

TEST_F(IniTest, MessageSectionNeedsAllFourLinesWhereverItEnds) {
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

// A naive recursive matcher needs exponential time here; the test would hang.
TEST(LikePatternTest, ManyStarsOnLongLinesStayFast) {
    EXPECT_FALSE(Like(std::wstring(20000, L'a'), L"*a*a*a*a*a*a*a*a*b"));
}
