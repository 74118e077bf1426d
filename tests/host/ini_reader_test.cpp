#include <gtest/gtest.h>

#include "IniFileTest.h"
#include "platform/PlatformError.h"

namespace {

class IniReaderTest : public IniFileTest {};

using Names = std::vector<std::wstring>;

Names ToVector(const NameList& list) { return Names(list.begin(), list.end()); }

}  // namespace

TEST_F(IniReaderTest, FilenameFollowsTheStartFolderAtEveryCall) {
    EXPECT_EQ(settings.filename(), tmp.wpath() + L"\\settings.ini");
    ui.startFolder = L"C:\\Setup";
    EXPECT_EQ(settings.filename(), L"C:\\Setup\\settings.ini");
}

TEST_F(IniReaderTest, LastMatchingLineWinsAcrossReopenedSections) {
    WriteIni({L"[GetFileSize]", L"URL=http://erste", L"URL=http://zweite", L"",
              L"[ProgramFile]", L"URL=http://archiv", L"", L"[GetFileSize]", L"URL=http://dritte"});
    EXPECT_EQ(settings.GetValue(L"GetFileSize", L"URL"), L"http://dritte");
    EXPECT_EQ(settings.GetValue(L"ProgramFile", L"URL"), L"http://archiv");
}

TEST_F(IniReaderTest, SectionEndsAtEmptyHeaderShapedOrEqualsFreeLine) {
    WriteIni({L"[Leer]", L"a=1", L"", L"b=2",
              L"[Kopf]", L"a=1", L"[Andere]", L"b=2",
              L"[Kommentar]", L"a=1", L"; Kommentar", L"b=2"});
    for (const wchar_t* section : {L"Leer", L"Kopf", L"Kommentar"}) {
        SCOPED_TRACE(section);
        EXPECT_EQ(settings.GetValue(section, L"a"), L"1");
        EXPECT_EQ(settings.GetValue(section, L"b"), L"");
        EXPECT_EQ(ToVector(settings.GetKeys(section)), (Names{L"a"}));
    }
    // Only the walked section's own header is ignored after a section line.
    EXPECT_EQ(settings.GetValue(L"Andere", L"b"), L"2");
}

TEST_F(IniReaderTest, HeaderRightAfterASectionLineDoesNotReopenIt) {
    WriteIni({L"[A]", L"x=1", L"[A]", L"y=2", L"", L"[A]", L"z=3"});
    EXPECT_EQ(settings.GetValue(L"A", L"x"), L"1");
    EXPECT_EQ(settings.GetValue(L"A", L"y"), L"");
    EXPECT_EQ(settings.GetValue(L"A", L"z"), L"3");
    EXPECT_EQ(ToVector(settings.GetKeys(L"A")), (Names{L"x", L"z"}));
}

TEST_F(IniReaderTest, ValueStopsAtTheSecondEqualsSign) {
    WriteIni({L"[ProgramFile]", L"URL=http://h/size.php?filename=Zelbar.exe",
              L"Leer=", L"LinkInfo=<a href#EQUAL#\"x\">"});
    EXPECT_EQ(settings.GetValue(L"ProgramFile", L"URL"), L"http://h/size.php?filename");
    EXPECT_EQ(settings.GetValue(L"ProgramFile", L"Leer"), L"");
    EXPECT_EQ(settings.GetValue(L"ProgramFile", L"LinkInfo"), L"<a href#EQUAL#\"x\">");
}

TEST_F(IniReaderTest, SpacesAndLetterCaseAreSignificant) {
    WriteIni({L"[Shortcuts] ", L"Desktop=Zelbar", L"", L"[Folder]", L" URL=http://a",
              L"Key = Wert ", L"", L"[folder]", L"URL=http://klein"});
    EXPECT_EQ(settings.GetValue(L"Shortcuts", L"Desktop"), L"");
    EXPECT_EQ(settings.GetValue(L"Folder", L"URL"), L"");
    EXPECT_EQ(settings.GetValue(L"Folder", L"Key "), L" Wert ");
    EXPECT_EQ(settings.GetValue(L"Folder", L"Key"), L"");
    EXPECT_EQ(settings.GetValue(L"folder", L"URL"), L"http://klein");
    EXPECT_EQ(ToVector(settings.GetKeys(L"Folder")), (Names{L" URL", L"Key "}));
}

TEST_F(IniReaderTest, AbsentSectionOrKeyGivesEmptyResults) {
    WriteIni({L"[A]", L"x=1"});
    EXPECT_EQ(settings.GetValue(L"A", L"fehlt"), L"");
    EXPECT_EQ(settings.GetValue(L"Fehlt", L"x"), L"");
    EXPECT_TRUE(settings.GetKeys(L"Fehlt").empty());
}

TEST_F(IniReaderTest, KeysComeInFileOrderAndAreLookedUpIgnoringCase) {
    WriteIni({L"[Shortcuts]", L"Desktop=Zelbar", L"StartmenuFolder=Zelbar",
              L"StartmenuZelbar=Zelbar starten"});
    const NameList keys = settings.GetKeys(L"Shortcuts");
    EXPECT_EQ(ToVector(keys), (Names{L"Desktop", L"StartmenuFolder", L"StartmenuZelbar"}));
    EXPECT_TRUE(keys.Contains(L"DESKTOP"));
    EXPECT_FALSE(keys.Contains(L"StartmenuUpdate"));
}

TEST_F(IniReaderTest, RepeatedKeyFailsGetKeysEvenWhenOnlyLetterCaseDiffers) {
    WriteIni({L"[A]", L"Key=1", L"key=2"});
    EXPECT_EQ(settings.GetValue(L"A", L"Key"), L"1");
    EXPECT_EQ(settings.GetValue(L"A", L"key"), L"2");
    try {
        settings.GetKeys(L"A");
        FAIL() << "no exception";
    } catch (const NameListDuplicateError& e) {
        EXPECT_EQ(e.key(), L"key");
    }
}

TEST_F(IniReaderTest, GetSectionsTrimsTheLineAndDropsEveryBracket) {
    WriteIni({L"  [GetFileSize]  ", L"URL=http://x", L"[[Ver]schachtelt]", L"[ mit Leer ]",
              L"[offen", L"\t[Tab]", L"", L"[Menüeinträge]"});
    EXPECT_EQ(ToVector(settings.GetSections()),
              (Names{L"GetFileSize", L"Verschachtelt", L" mit Leer ", L"Menüeinträge"}));
}

TEST_F(IniReaderTest, GetSectionsFailsOnARepeatedNameAndIsEmptyWithoutHeaders) {
    WriteIni({L"[Folder]", L"URL=http://x", L"", L"[FOLDER]"});
    EXPECT_THROW(settings.GetSections(), NameListDuplicateError);
    WriteIni({L"a=1", L"b=2"});
    EXPECT_TRUE(settings.GetSections().empty());
}

TEST_F(IniReaderTest, UmlautsOfTheAnsiFileComeBackIntact) {
    tmp.WriteBytes("settings.ini",
                   "[Shortcuts]\r\nStartmenuFolder=Men\xFC" "eintr\xE4ge\r\nDesktop=Zelbar\r\n");
    EXPECT_EQ(settings.GetValue(L"Shortcuts", L"StartmenuFolder"), L"Menüeinträge");
}

TEST_F(IniReaderTest, MissingFileReachesTheCaller) {
    EXPECT_THROW(settings.GetValue(L"A", L"x"), PlatformError);
    EXPECT_THROW(settings.GetKeys(L"A"), PlatformError);
    EXPECT_THROW(settings.GetSections(), PlatformError);
    EXPECT_THROW(settings.WriteKeyValuePair(L"A", L"x", L"1"), PlatformError);
    EXPECT_FALSE(tmp.Exists("settings.ini"));
}
