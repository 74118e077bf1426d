#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "net/ByteRing.h"
#include "platform/Path.h"
#include "platform/PlatformError.h"

namespace {

TEST(PathTest, JoinPutsExactlyOneSeparatorBetweenFolderAndName) {
    EXPECT_EQ(Path::Join(L"C:\\Zelbar", L"Zelbar.lnk"), L"C:\\Zelbar\\Zelbar.lnk");
    EXPECT_EQ(Path::Join(L"C:\\", L"Neu"), L"C:\\Neu");
    EXPECT_EQ(Path::Join(L"D:/Programme/", L"*"), L"D:/Programme/*");
    EXPECT_EQ(Path::WithTrailingBackslash(L"D:\\"), L"D:\\");
    EXPECT_EQ(Path::WithTrailingBackslash(L"\\\\server\\share/"), L"\\\\server\\share/");
}

TEST(PathTest, TrailingBackslashesGoButADrivesRootKeepsItsOwnAndTheNameIsTheLastLevel) {
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"C:\\Zelbar\\\\"), L"C:\\Zelbar");
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"C:\\\\"), L"C:\\");
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"C:"), L"C:\\");
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"\\\\server\\share\\"), L"\\\\server\\share");

    EXPECT_EQ(Path::StripTrailingBackslashes(L"C:\\Zelbar\\temp_1\\"), L"C:\\Zelbar\\temp_1");
    EXPECT_EQ(Path::StripTrailingBackslashes(L"C:\\\\"), L"C:");

    EXPECT_TRUE(Path::IsDriveRoot(L"C:\\"));
    EXPECT_FALSE(Path::IsDriveRoot(L"C:"));
    EXPECT_EQ(Path::DriveRoot(L"c: [System]"), L"c:\\");
    EXPECT_EQ(Path::Name(L"Z:\\setup\\settings.ini"), L"settings.ini");
}

std::vector<std::uint8_t> Sequence(std::size_t count, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

TEST(ByteRingTest, WritesOnlyWhatFitsAndReadsInOrderAcrossTheWrap) {
    ByteRing ring(10);
    const auto first = Sequence(7, 0);
    EXPECT_EQ(ring.Write(first.data(), first.size()), 7u);
    std::vector<std::uint8_t> out(5);
    EXPECT_EQ(ring.Read(out.data(), 5), 5u);
    EXPECT_EQ(out, Sequence(5, 0));

    // 2 bytes are left at positions 5..6; 8 more wrap around the end.
    const auto second = Sequence(12, 7);
    EXPECT_EQ(ring.Write(second.data(), second.size()), 8u);
    EXPECT_EQ(ring.Free(), 0u);
    std::vector<std::uint8_t> all(20);
    EXPECT_EQ(ring.Read(all.data(), all.size()), 10u);
    all.resize(10);
    EXPECT_EQ(all, Sequence(10, 5));
    EXPECT_EQ(ring.Size(), 0u);

    ring.Write(first.data(), first.size());
    ring.Clear();
    EXPECT_EQ(ring.Free(), 10u);
    EXPECT_EQ(ring.Read(out.data(), 5), 0u);
}

template <typename Throw>
std::wstring Described(Throw raise) {
    try {
        raise();
    } catch (...) {
        return DescribeCurrentException();
    }
    return L"nothing thrown";
}

TEST(DescribeCurrentExceptionTest, NamesWhatEachKindOfErrorCarries) {
    EXPECT_EQ(Described([] { throw PlatformError(5, L"Zugriff verweigert: Übersicht"); }),
              L"Zugriff verweigert: Übersicht");
    EXPECT_EQ(Described([] {
                  throw std::runtime_error(
                      "Datei \xC3\xBC"
                      "berschrieben");
              }),
              L"Datei überschrieben");
    EXPECT_EQ(Described([] { throw 42; }), L"");
}

}  // namespace
