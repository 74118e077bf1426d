#include <gtest/gtest.h>

#include <string>

#include "platform/Path.h"

namespace {

TEST(PathTest, JoinPutsExactlyOneSeparatorBetweenFolderAndName) {
    EXPECT_EQ(Path::Join(L"C:\\Zelbar", L"Zelbar.lnk"), L"C:\\Zelbar\\Zelbar.lnk");
    EXPECT_EQ(Path::Join(L"C:\\", L"Neu"), L"C:\\Neu");
    EXPECT_EQ(Path::Join(L"D:/Programme/", L"*"), L"D:/Programme/*");
    EXPECT_EQ(Path::Join(L"", L"settings.ini"), L"\\settings.ini");
    EXPECT_EQ(Path::Join(L"C:\\Zelbar", L" Neu "), L"C:\\Zelbar\\ Neu ");
    EXPECT_EQ(Path::WithTrailingBackslash(L"D:\\Programs"), L"D:\\Programs\\");
    EXPECT_EQ(Path::WithTrailingBackslash(L"D:\\"), L"D:\\");
    EXPECT_EQ(Path::WithTrailingBackslash(L"\\\\server\\share/"), L"\\\\server\\share/");
    EXPECT_EQ(Path::WithTrailingBackslash(L""), L"\\");
}

TEST(PathTest, TrailingBackslashesGoButADrivesRootKeepsItsOwn) {
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"C:\\Zelbar\\\\"), L"C:\\Zelbar");
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"C:\\Zelbar"), L"C:\\Zelbar");
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"C:\\\\"), L"C:\\");
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"C:"), L"C:\\");
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"\\\\server\\share\\"), L"\\\\server\\share");
    EXPECT_EQ(Path::WithoutTrailingBackslash(L"\\\\"), L"\\");
    EXPECT_EQ(Path::WithoutTrailingBackslash(L""), L"");

    EXPECT_EQ(Path::StripTrailingBackslashes(L"C:\\Zelbar\\temp_1\\"), L"C:\\Zelbar\\temp_1");
    EXPECT_EQ(Path::StripTrailingBackslashes(L"C:\\\\"), L"C:");
    EXPECT_EQ(Path::StripTrailingBackslashes(L"a\\b"), L"a\\b");
    EXPECT_EQ(Path::StripTrailingBackslashes(L"\\\\"), L"");
}

TEST(PathTest, DriveRootsAndLastLevels) {
    EXPECT_TRUE(Path::IsDriveRoot(L"C:\\"));
    EXPECT_FALSE(Path::IsDriveRoot(L"C:"));
    EXPECT_FALSE(Path::IsDriveRoot(L"C:\\a"));
    EXPECT_FALSE(Path::IsDriveRoot(L"ab\\"));
    EXPECT_FALSE(Path::IsDriveRoot(L"C:x"));
    EXPECT_EQ(Path::DriveRoot(L"c: [System]"), L"c:\\");
    EXPECT_EQ(Path::DriveRoot(L"D:"), L"D:\\");
    EXPECT_EQ(Path::Name(L"Z:\\setup\\settings.ini"), L"settings.ini");
    EXPECT_EQ(Path::Name(L"settings.ini"), L"settings.ini");
    EXPECT_EQ(Path::Name(L"C:\\Zelbar\\"), L"");
}

}  // namespace
