#include "transfer/Datei.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"
#include "platform/Text.h"

namespace {

class DateiTest : public ::testing::Test {
protected:
    PortableFileSystem fs;
    TempFolder temp;

    Datei WithTotal(std::int32_t total) {
        Datei d(fs);
        d.SetFilesize(total);
        return d;
    }
    Datei WithCurrent(std::int32_t current) {
        Datei d(fs);
        d.SetAktFilesize(current);
        return d;
    }
};

TEST_F(DateiTest, UrlSplitsAfterTheLastSlashAndPfadLokalAddsTheName) {
    Datei d(fs);
    d.FolderLokal(L"C:\\Zelbar\\temp_1\\");
    d.url(L"http://example.org/download/v11/setup.exe");
    EXPECT_EQ(d.Folder(), L"http://example.org/download/v11/");
    EXPECT_EQ(d.filename(), L"setup.exe");
    EXPECT_EQ(d.url(), L"http://example.org/download/v11/setup.exe");
    EXPECT_EQ(d.PfadLokal(), L"C:\\Zelbar\\temp_1\\setup.exe");

    d.url(L"setup.exe");
    EXPECT_EQ(d.Folder(), L"");
    EXPECT_EQ(d.filename(), L"setup.exe");

    d.url(L"http://example.org/download/");
    EXPECT_EQ(d.filename(), L"");
    EXPECT_EQ(d.PfadLokal(), L"C:\\Zelbar\\temp_1\\");
}

TEST_F(DateiTest, FilesizeKeepsItsTextAndTakesOnlyNumbersTheTotalCanHold) {
    const std::vector<std::pair<const wchar_t*, std::int32_t>> cases = {{L" 2048 ", 2048},
                                                                        {L"2048\r\n", 2048},
                                                                        {L"+7", 7},
                                                                        {L"   ", 0},
                                                                        {L"abc", 0},
                                                                        {L"12 34", 0},
                                                                        {L"2.5", 2},
                                                                        {L"3.5", 4},
                                                                        {L"2147483647", 2147483647},
                                                                        {L"2147483648", 0},
                                                                        {L"-2147483648", INT32_MIN},
                                                                        {L"-2147483649", 0}};
    for (const auto& [text, total] : cases) {
        Datei d(fs);
        d.Filesize(L"2048");
        d.Filesize(text);
        EXPECT_EQ(d.Filesize(), text);
        EXPECT_EQ(d.GetFilesizeInBytes(), total) << Text::ToUtf8(text);
    }
    EXPECT_FALSE(Datei::NumericValue(L" + ").has_value());
    // The size query's own total leaves the text alone.
    Datei d(fs);
    d.Filesize(L"100");
    d.SetFilesize(5000);
    EXPECT_EQ(d.Filesize(), L"100");
    EXPECT_EQ(d.GetFilesizeInBytes(), 5000);
}

TEST_F(DateiTest, ProgressHasNoValueWithoutTotalAndNeverExceedsHundred) {
    Datei d(fs);
    d.SetAktFilesize(10);
    EXPECT_FALSE(d.GetProgress().has_value());
    d.SetFilesize(-5);
    EXPECT_FALSE(d.GetProgress().has_value());

    d.SetFilesize(200);
    d.SetAktFilesize(50);
    EXPECT_DOUBLE_EQ(*d.GetProgress(), 25.0);
    d.SetAktFilesize(300);
    EXPECT_DOUBLE_EQ(*d.GetProgress(), 100.0);
}

TEST_F(DateiTest, KilobytesAndMegabytesRoundHalfToEvenAtTheSecondDecimal) {
    // 10000000 / 1024 = 9765.625 exactly: the tie goes to the even 9765.62.
    EXPECT_DOUBLE_EQ(*WithTotal(10000000).GetFilesizeInKB(), 9765.62);
    // 10001280 / 1024 = 9766.875 exactly: the tie goes to the even 9766.88.
    EXPECT_DOUBLE_EQ(*WithTotal(10001280).GetFilesizeInKB(), 9766.88);
    EXPECT_DOUBLE_EQ(*WithCurrent(123456).GetAktFilesizeInKB(), 120.56);
    EXPECT_FALSE(WithTotal(0).GetFilesizeInKB().has_value());
    EXPECT_FALSE(WithCurrent(0).GetAktFilesizeInKB().has_value());

    EXPECT_DOUBLE_EQ(WithTotal(10000000).GetFilesizeInMB(), 9.54);
    EXPECT_DOUBLE_EQ(WithCurrent(5242880).GetAktFilesizeInMB(), 5.0);
    EXPECT_DOUBLE_EQ(WithTotal(0).GetFilesizeInMB(), 0.0);
}

TEST_F(DateiTest, DisplayTextUsesTheShortestGermanForm) {
    const std::wstring comma = L",";
    const std::vector<std::pair<std::int32_t, std::wstring>> cases = {
        {1536, L"1,5 KB"},      {123456, L"120,56 KB"}, {5242880, L"5 MB"},
        {10000000, L"9,54 MB"}, {1, L"0 KB"},           {0, L" KB"},
        {1023999, L"0,98 MB"},  {1048575, L"1 MB"},     {1022976, L"999 KB"}};
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(WithTotal(bytes).GetFormattedFilesize(comma), text) << bytes;
        EXPECT_EQ(WithCurrent(bytes).GetFormattedAktFilesize(comma), text) << bytes;
    }
    EXPECT_EQ(WithTotal(1536).GetFormattedFilesize(L"."), L"1.5 KB");
    EXPECT_EQ(WithTotal(-1).GetFormattedFilesize(comma), L" KB");
}

TEST_F(DateiTest, WritesChunksFromTheFirstByteWithoutShorteningAndCountsThem) {
    temp.WriteBytes("archive.exe", std::string(9000, 'x'));
    Datei d(fs);
    d.FolderLokal(temp.path() + L"\\");
    d.url(L"http://host/archive.exe");
    d.SetAktFilesize(7);
    d.OpenFileForWrite();
    d.WriteBytesToFile(std::vector<std::uint8_t>(4096, 'a'));
    d.WriteBytesToFile(std::vector<std::uint8_t>(4096, 'b'));
    d.WriteBytesToFile(std::vector<std::uint8_t>(100, 'c'));
    d.WriteBytesToFile({});
    d.CloseFile();

    EXPECT_EQ(temp.ReadBytes("archive.exe"), std::string(4096, 'a') + std::string(4096, 'b') +
                                                 std::string(100, 'c') + std::string(708, 'x'));
    // Opening does not reset the count: a second transfer goes on from there.
    EXPECT_EQ(d.GetAktFilesizeInBytes(), 8299);
}

TEST_F(DateiTest, WritingWithoutOpenFileOrIntoMissingFolderIsAnError) {
    Datei d(fs);
    d.FolderLokal(temp.path() + L"\\missing\\");
    d.filename(L"archive.exe");
    EXPECT_THROW(d.WriteBytesToFile({1, 2}), PlatformError);
    EXPECT_THROW(d.OpenFileForWrite(), PlatformError);
    EXPECT_EQ(d.GetAktFilesizeInBytes(), 0);
    d.CloseFile();  // nothing open: nothing to do
}

}  // namespace
