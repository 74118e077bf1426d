#include "net/Datei.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/PortableFileSystem.h"
#include "platform/Text.h"

namespace {

class DateiTest : public ::testing::Test {
protected:
    PortableFileSystem fs;

    Datei With(std::int32_t total, std::int32_t current = 0) {
        Datei d(fs);
        d.SetFilesize(total);
        d.SetAktFilesize(current);
        return d;
    }
};

TEST_F(DateiTest, FilesizeKeepsItsTextAndTakesOnlyNumbersTheTotalCanHold) {
    // clang-format off
    const std::pair<const wchar_t*, std::int32_t> cases[] = {
        {L" 2048 ", 2048}, {L"2048\r\n", 2048}, {L"+7", 7}, {L"   ", 0}, {L"abc", 0}, {L"12 34", 0},
        {L"2.5", 2}, {L"3.5", 4}, {L"2147483647", 2147483647}, {L"2147483648", 0},
        {L"-2147483648", INT32_MIN}, {L"-2147483649", 0}};
    // clang-format on
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

TEST_F(DateiTest, ProgressAndKilobytesNeedATotalAndRoundHalfToEvenAtTheSecondDecimal) {
    EXPECT_FALSE(With(0, 10).GetProgress().has_value());
    EXPECT_DOUBLE_EQ(*With(200, 50).GetProgress(), 25.0);
    EXPECT_DOUBLE_EQ(*With(200, 300).GetProgress(), 100.0);

    // 10000000 / 1024 = 9765.625 exactly: the tie goes to the even 9765.62.
    EXPECT_DOUBLE_EQ(*With(10000000).GetFilesizeInKB(), 9765.62);
    // 10001280 / 1024 = 9766.875 exactly: the tie goes to the even 9766.88.
    EXPECT_DOUBLE_EQ(*With(10001280).GetFilesizeInKB(), 9766.88);
    EXPECT_FALSE(With(0).GetFilesizeInKB().has_value());
    EXPECT_FALSE(With(0).GetAktFilesizeInKB().has_value());
}

TEST_F(DateiTest, DisplayTextUsesTheShortestGermanForm) {
    const std::pair<std::int32_t, std::wstring> cases[] = {
        {1536, L"1,5 KB"},      {123456, L"120,56 KB"}, {5242880, L"5 MB"},
        {10000000, L"9,54 MB"}, {1, L"0 KB"},           {0, L" KB"},
        {1023999, L"0,98 MB"},  {1048575, L"1 MB"},     {1022976, L"999 KB"}};
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(With(bytes).GetFormattedFilesize(L","), text) << bytes;
        EXPECT_EQ(With(0, bytes).GetFormattedAktFilesize(L","), text) << bytes;
    }
    EXPECT_EQ(With(1536).GetFormattedFilesize(L"."), L"1.5 KB");
}

}  // namespace
