#include <gtest/gtest.h>

#include <cerrno>

#include "IniFileTest.h"
#include "platform/PlatformError.h"

namespace {

using Lines = std::vector<std::wstring>;

class IniValidationTest : public IniFileTest {
protected:
    short Check(const Lines& lines) {
        WriteIni(lines);
        return settings.CheckIniFile();
    }

    // The file a product release ships, every rule exercised once.
    static Lines ReleaseFile() {
        return {L"[SupportedAccessVersions]",
                L"Access.Application.16=Access 2016",
                L"Access.Application.14=Access 2010",
                L"",
                L"[GetFileSize]",
                L"URL=http://download.example/getsize.php",
                L"",
                L"[ProgramFile]",
                L"URL=http://download.example/Zelbar11.exe",
                L"",
                L"[osVer_10.0]",
                L"Meldung=Windows 10 wird unterstützt.",
                L"LinkInfo=",
                L"LinkSP=Hinweise: <a href#EQUAL#\"http://example/sp\">Service Pack</a>",
                L"Icon=OK",
                L"",
                L"[accessVer_16.0]",
                L"Meldung=Access 2016 ist geeignet.",
                L"LinkInfo=",
                L"LinkSP=",
                L"Icon=Warning",
                L"Zusatz=wird übergangen",
                L"",
                L"[Runtime]",
                L"Datei=runtime.exe",
                L"",
                L"[Shortcuts]",
                L"Desktop=Zelbar 11",
                L"StartmenuFolder=Zelbar"};
    }

    static Lines Message(const Lines& body) {
        Lines lines{L"[GetFileSize]", L"URL=http://x", L"", L"[osVer_10.0]"};
        lines.insert(lines.end(), body.begin(), body.end());
        return lines;
    }
};

// Opening fails although the file is there, e.g. when another program holds it.
class LockedFileSystem : public PortableFileSystem {
public:
    std::unique_ptr<TextReader> OpenTextFileForReading(const std::wstring& path) override {
        throw PlatformError(EACCES, L"Die Datei „" + path + L"“ ist gesperrt.");
    }
};

}  // namespace

TEST_F(IniValidationTest, MissingFileGivesOne) {
    EXPECT_EQ(settings.CheckIniFile(), ini::kMissing);
    tmp.WriteBytes("settings.ini/x", "");
    EXPECT_EQ(settings.CheckIniFile(), ini::kMissing) << "a folder is not the file";
}

TEST_F(IniValidationTest, ReleaseFileAndMinimalFileAreUsable) {
    EXPECT_EQ(Check(ReleaseFile()), ini::kUsable);
    EXPECT_EQ(Check({L"[GetFileSize]", L"URL=http://download.example/getsize.php"}), ini::kUsable);
}

TEST_F(IniValidationTest, SizeQuerySectionIsRequiredAndProgramFileNeedsVersions) {
    EXPECT_EQ(Check({L"[Runtime]", L"a=b"}), ini::kBroken);
    EXPECT_EQ(Check({L"[GetFileSize]", L"URL=http://x", L"", L"[ProgramFile]", L"URL=http://y"}),
              ini::kBroken);
    EXPECT_EQ(Check({L"[ProgramFile]", L"URL=http://y", L"", L"[SupportedAccessVersions]",
                     L"a.b.c=d", L"", L"[GetFileSize]", L"URL=http://x"}),
              ini::kUsable);
}

TEST_F(IniValidationTest, UrlSectionsAcceptHttpAndHttpsOnlyWithUpperCaseKey) {
    for (const wchar_t* header : {L"[GetFileSize]", L"[ProgramFile]", L"[Folder]", L"[Versions]"}) {
        SCOPED_TRACE(header);
        const Lines prefix{L"[SupportedAccessVersions]", L"a.b.c=d", L"", L"[GetFileSize]",
                           L"URL=http://size", L"", header};
        auto with = [&](const std::wstring& line) {
            Lines lines = prefix;
            lines.push_back(line);
            return Check(lines);
        };
        EXPECT_EQ(with(L"URL=http://download.example/a"), ini::kUsable);
        EXPECT_EQ(with(L"URL=https://download.example/a"), ini::kUsable);
        EXPECT_EQ(with(L"url=https://download.example/a"), ini::kBroken);
        EXPECT_EQ(with(L"URL=ftp://download.example/a"), ini::kBroken);
        EXPECT_EQ(with(L"URL=HTTPS://download.example/a"), ini::kBroken);
        EXPECT_EQ(with(L"Adresse=http://download.example/a"), ini::kBroken);
    }
}

TEST_F(IniValidationTest, SupportedVersionLinesNeedTwoPointsAndAValue) {
    const Lines size{L"", L"[GetFileSize]", L"URL=http://x"};
    auto with = [&](const std::wstring& line) {
        Lines lines{L"[SupportedAccessVersions]", line};
        lines.insert(lines.end(), size.begin(), size.end());
        return Check(lines);
    };
    EXPECT_EQ(with(L"Access.Application.16=Access 2016"), ini::kUsable);
    EXPECT_EQ(with(L"Access.Application=Access"), ini::kBroken);
    EXPECT_EQ(with(L"Access.Application.16="), ini::kBroken);
}

TEST_F(IniValidationTest, HeaderWithoutBlankLineKeepsThePreviousRule) {
    EXPECT_EQ(Check({L"[SupportedAccessVersions]", L"a.b.c=d", L"[ProgramFile]",
                     L"URL=http://archiv", L"", L"[GetFileSize]", L"URL=http://x"}),
              ini::kBroken);
    EXPECT_EQ(Check({L"[GetFileSize]", L"URL=http://x", L"[Shortcuts]", L"Desktop=Zelbar"}),
              ini::kBroken);
}

TEST_F(IniValidationTest, KeyLinesMustStandInsideASection) {
    EXPECT_EQ(Check({L"a=b", L"[GetFileSize]", L"URL=http://x"}), ini::kBroken);
    EXPECT_EQ(Check({L"[GetFileSize]", L"URL=http://x", L"", L"a=b"}), ini::kBroken);
}

TEST_F(IniValidationTest, EmptyValueIsAllowedOnlyInMessageSections) {
    EXPECT_EQ(Check({L"[GetFileSize]", L"URL=http://x", L"", L"[Runtime]", L"Datei="}),
              ini::kBroken);
    EXPECT_EQ(Check(Message({L"Meldung=", L"LinkInfo=", L"LinkSP=", L"Icon=OK", L"Frei="})),
              ini::kUsable);
    EXPECT_EQ(Check(Message({L"Meldung=", L"LinkInfo=", L"LinkSP=", L"Icon=OK", L"=Wert"})),
              ini::kBroken);
}

TEST_F(IniValidationTest, LineWithoutEqualsIsRefusedEverywhere) {
    EXPECT_EQ(Check({L"; Kommentar", L"[GetFileSize]", L"URL=http://x"}), ini::kBroken);
    EXPECT_EQ(Check({L"[GetFileSize]", L"URL=http://x", L"", L"[Runtime]", L"; Kommentar"}),
              ini::kBroken);
    EXPECT_EQ(Check(Message({L"Meldung=", L"; Kommentar", L"LinkInfo=", L"LinkSP=", L"Icon=OK"})),
              ini::kBroken);
}

TEST_F(IniValidationTest, MessageSectionNeedsAllFourLinesAndAKnownIcon) {
    const Lines complete{L"Meldung=Text", L"LinkInfo=", L"LinkSP=", L"Icon=Warning"};
    for (size_t missing = 0; missing < complete.size(); ++missing) {
        Lines body = complete;
        body.erase(body.begin() + static_cast<std::ptrdiff_t>(missing));
        body.push_back(L"");
        EXPECT_EQ(Check(Message(body)), ini::kBroken) << "without " << missing;
    }
    EXPECT_EQ(Check(Message({L"Meldung=Text", L"LinkInfo=", L"LinkSP=", L"Icon=Fehler", L""})),
              ini::kBroken);
    EXPECT_EQ(Check(Message({L"Meldung=Text", L"LinkInfo=", L"LinkSP=", L"icon=warning", L""})),
              ini::kUsable);
    EXPECT_EQ(Check(Message({L"meldung=Text", L"LinkInfo=", L"LinkSP=", L"Icon=OK", L""})),
              ini::kBroken);
}

TEST_F(IniValidationTest, MessageSectionAtTheEndOfTheFileIsCheckedToo) {
    EXPECT_EQ(Check(Message({L"Meldung=Text", L"LinkInfo=", L"Icon=OK"})), ini::kBroken);
    EXPECT_EQ(Check(Message({L"Meldung=Text", L"LinkInfo=", L"LinkSP=", L"Icon=OK"})),
              ini::kUsable);
}

TEST_F(IniValidationTest, OpenMessageSectionTakesTheKeyLinesOfTheNextHeader) {
    // Without a blank line the URL line counts as a message line and escapes its rule.
    EXPECT_EQ(Check({L"[osVer_10.0]", L"Meldung=Text", L"LinkInfo=", L"LinkSP=", L"Icon=OK",
                     L"[GetFileSize]", L"URL=ftp://x"}),
              ini::kUsable);
}

TEST_F(IniValidationTest, BlanksAroundLinesAreIgnoredButTabsAreNot) {
    EXPECT_EQ(Check({L"  [GetFileSize]  ", L"   URL=http://x   ", L"     ", L"[Runtime]", L"a=b"}),
              ini::kUsable);
    EXPECT_EQ(Check({L"[GetFileSize]", L"\tURL=http://x"}), ini::kBroken);
    EXPECT_EQ(Check({L"[GetFileSize]", L"URL=http://x", L"\t", L"[Runtime]", L"a=b"}),
              ini::kBroken);
}

TEST_F(IniValidationTest, FileThatCannotBeOpenedReachesTheCaller) {
    WriteIni({L"[GetFileSize]", L"URL=http://x"});
    LockedFileSystem locked;
    const ini lockedIni(locked, ui);
    EXPECT_THROW(lockedIni.CheckIniFile(), PlatformError);
}
