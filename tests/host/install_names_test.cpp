#include <gtest/gtest.h>

#include <filesystem>

#include <string>

#include "TempFolder.h"
#include "download/InstallNames.h"
#include "platform/PortableFileSystem.h"

namespace {

using namespace InstallNames;

TEST(InstallNamesTest, TakenNamesGetTheNextCounterWhetherAFolderOrAFileHoldsThem) {
    PortableFileSystem fs;
    TempFolder temp;
    const std::wstring install = temp.path() + L"\\";
    const LocalTime t{2026, 12, 5, 10, 9, 20};
    EXPECT_EQ(CreateTempFolder(fs, install, t), L"temp_2026_12_5-10920\\");
    EXPECT_EQ(CreateTempFolder(fs, install, t), L"temp_2026_12_5-10920_2\\");
    EXPECT_TRUE(temp.Exists("temp_2026_12_5-10920_2"));
    // What is downloaded into it is run: the folder is the user's alone.
    EXPECT_EQ(std::filesystem::status(temp.Native("temp_2026_12_5-10920_2")).permissions(),
              std::filesystem::perms::owner_all);

    // 1:15:03 and 11:05:03 both give 1153.
    temp.WriteBytes("temp_2026_6_1-1153_2", "x");
    EXPECT_EQ(CreateTempFolder(fs, install, {2026, 6, 1, 1, 15, 3}), L"temp_2026_6_1-1153\\");
    EXPECT_EQ(CreateTempFolder(fs, install, {2026, 6, 1, 11, 5, 3}), L"temp_2026_6_1-1153_3\\");
}

TEST(InstallNamesTest, NamesFolderExitCodeAndProgressFollowTheArchiveProgramsRules) {
    // Hour, minute and second run together without leading zeros.
    EXPECT_EQ(TempFolderName({2026, 1, 2, 0, 0, 0}), L"temp_2026_1_2-000\\");
    EXPECT_EQ(BackupName({2027, 3, 9, 14, 3, 7}), L"ZelbarData_2027_3_9-1437.mdb");
    // The installation folder's own name may hold the temporary folder's.
    EXPECT_EQ(InstallationFolder(L"C:\\temp_2026_12_5-10920\\temp_2026_12_5-10920\\",
                                 L"temp_2026_12_5-10920\\"),
              L"C:\\temp_2026_12_5-10920\\");
    EXPECT_TRUE(UnpackSucceeded(1));  // a warning
    EXPECT_FALSE(UnpackSucceeded(2));
    EXPECT_EQ(ProgressValue(std::nullopt), 0);
    EXPECT_EQ(ProgressValue(0.5), 0);  // halves go to the even neighbour
    EXPECT_EQ(ProgressValue(1.5), 2);
    EXPECT_EQ(ProgressValue(2.5000001), 3);
}

}  // namespace
