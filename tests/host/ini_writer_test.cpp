#include <cerrno>

#include "IniFileTest.h"
#include "platform/PlatformError.h"

namespace {

class IniWriterTest : public IniFileTest {};

// The bytes of a file whose CRLF lines are joined by "|".
std::string Crlf(const std::string& lines) {
    std::string bytes;
    for (const char c : lines) bytes += c == '|' ? std::string("\r\n") : std::string(1, c);
    return bytes + "\r\n";
}

// Replacing settings.ini fails, as when another program holds it open.
class LockedSettingsFileSystem : public PortableFileSystem {
public:
    void CopyFile(const std::wstring&, const std::wstring&) override {
        throw PlatformError(EACCES, L"Die Datei ist gesperrt.");
    }
};

}  // namespace

TEST_F(IniWriterTest, KeyIsReplacedOrAddedBeforeTheLineThatEndsItsSection) {
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
        {L"", "[S]|k=neu"},
    };
    for (const auto& c : cases) {
        WriteIni(c.before);
        settings.WriteKeyValuePair(L"S", L"k", L"neu");
        EXPECT_EQ(IniBytes(), Crlf(c.after));
    }
    EXPECT_FALSE(tmp.Exists("settings.ini.tmp"));
}

TEST_F(IniWriterTest, FailedReplaceLeavesTheFileWholeAndTheNewTextInTheCopy) {
    WriteIni(L"[S]|k=alt");
    LockedSettingsFileSystem locked;
    EXPECT_THROW(ini(locked, ui).WriteKeyValuePair(L"S", L"k", L"neu"), PlatformError);
    EXPECT_EQ(IniBytes(), Crlf("[S]|k=alt"));
    EXPECT_EQ(tmp.ReadBytes("settings.ini.tmp"), Crlf("[S]|k=neu"));
}
