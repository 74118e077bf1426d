#include "IniFileTest.h"

namespace {

class IniReaderTest : public IniFileTest {};

using Names = std::vector<std::wstring>;

Names ToVector(const NameList& list) {
    return Names(list.begin(), list.end());
}

}  // namespace

TEST_F(IniReaderTest, FilenameFollowsTheStartFolderAtEveryCall) {
    ui.startFolder = L"C:\\Setup";
    EXPECT_EQ(settings.filename(), L"C:\\Setup\\settings.ini");
}

TEST_F(IniReaderTest, LastMatchingLineWinsAcrossReopenedSections) {
    WriteIni(
        L"[GetFileSize]|URL=http://erste|URL=http://zweite||[ProgramFile]|URL=http://archiv||"
        L"[GetFileSize]|URL=http://dritte");
    EXPECT_EQ(settings.GetValue(L"GetFileSize", L"URL"), L"http://dritte");
    EXPECT_EQ(settings.GetValue(L"ProgramFile", L"URL"), L"http://archiv");
}

TEST_F(IniReaderTest, SectionEndsAtEmptyHeaderShapedOrEqualsFreeLine) {
    WriteIni(
        L"[Leer]|a=1||b=2|[Kopf]|a=1|[x=y]|b=2|[Kommentar]|a=1|; Kommentar|b=2||"
        L"[A]|x=1|[A]|y=2||[A]|z=3");
    for (const wchar_t* section : {L"Leer", L"Kopf", L"Kommentar"}) {
        EXPECT_EQ(settings.GetValue(section, L"a"), L"1") << section;
        EXPECT_EQ(settings.GetValue(section, L"b"), L"") << section;
    }
    // Its own header right under a section line only ends the section; a later copy reopens it.
    EXPECT_EQ(ToVector(settings.GetKeys(L"A")), (Names{L"x", L"z"}));
}

TEST_F(IniReaderTest, ValueStopsAtTheSecondEqualsSign) {
    WriteIni(L"[ProgramFile]|URL=http://h/size.php?filename=Zelbar.exe");
    EXPECT_EQ(settings.GetValue(L"ProgramFile", L"URL"), L"http://h/size.php?filename");
}

TEST_F(IniReaderTest, SpacesAndLetterCaseAreSignificant) {
    WriteIni(L"[Shortcuts] |Desktop=Zelbar||[Folder]| URL=http://a|Key = Wert||[folder]|URL=b");
    EXPECT_EQ(settings.GetValue(L"Shortcuts", L"Desktop"), L"");
    EXPECT_EQ(ToVector(settings.GetKeys(L"Folder")), (Names{L" URL", L"Key "}));
    EXPECT_EQ(settings.GetValue(L"folder", L"URL"), L"b");
}

TEST_F(IniReaderTest, KeysKeepFileOrderAndAKeyRepeatedInOtherLetterCaseIsRefused) {
    WriteIni(L"[Shortcuts]|Desktop=Zelbar|StartmenuFolder=Zelbar||[A]|Key=1|key=2");
    const NameList keys = settings.GetKeys(L"Shortcuts");
    EXPECT_EQ(ToVector(keys), (Names{L"Desktop", L"StartmenuFolder"}));
    EXPECT_TRUE(keys.Contains(L"DESKTOP"));
    EXPECT_FALSE(keys.Contains(L"StartmenuUpdate"));
    try {
        settings.GetKeys(L"A");
        FAIL() << "no exception";
    } catch (const NameListDuplicateError& e) {
        EXPECT_EQ(
            e.message(),
            L"Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet: \"key\"");
    }
}

TEST_F(IniReaderTest, SectionsAreTheTrimmedHeaderLinesWithoutAnyBracket) {
    WriteIni(
        L"  [GetFileSize]  |URL=http://x|[[Ver]schachtelt]|[ mit Leer ]|[offen|zu]|\t[Tab]||[]");
    EXPECT_EQ(ToVector(settings.GetSections()),
              (Names{L"GetFileSize", L"Verschachtelt", L" mit Leer ", L""}));
}
