#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"
#include "download/InstallNames.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"

namespace {

using namespace InstallNames;

TEST(InstallNamesTest, StampsRunHourMinuteAndSecondTogetherWithoutLeadingZeros) {
    EXPECT_EQ(TempFolderName({2026, 12, 5, 10, 9, 20}), L"temp_2026_12_5-10920\\");
    EXPECT_EQ(TempFolderName({2026, 1, 2, 0, 0, 0}), L"temp_2026_1_2-000\\");
    EXPECT_EQ(BackupName({2027, 3, 9, 14, 3, 7}), L"ZelbarData_2027_3_9-1437.mdb");
}

class CreateTempFolderTest : public ::testing::Test {
protected:
    PortableFileSystem fs;
    TempFolder temp;
    std::wstring install() const { return temp.path() + L"\\"; }
};

TEST_F(CreateTempFolderTest, NamesTakenByAnEarlierAttemptOrAFileGetTheNextCounter) {
    const LocalTime t{2026, 12, 5, 10, 9, 20};
    EXPECT_EQ(CreateTempFolder(fs, install(), t), L"temp_2026_12_5-10920\\");
    EXPECT_EQ(CreateTempFolder(fs, install(), t), L"temp_2026_12_5-10920_2\\");
    EXPECT_TRUE(temp.Exists("temp_2026_12_5-10920"));
    EXPECT_TRUE(temp.Exists("temp_2026_12_5-10920_2"));

    // 1:15:03 and 11:05:03 both give 1153; a file blocks the name as a folder does.
    temp.WriteBytes("temp_2026_6_1-1153_2", "x");
    EXPECT_EQ(CreateTempFolder(fs, install(), {2026, 6, 1, 1, 15, 3}), L"temp_2026_6_1-1153\\");
    EXPECT_EQ(CreateTempFolder(fs, install(), {2026, 6, 1, 11, 5, 3}), L"temp_2026_6_1-1153_3\\");
}

TEST(InstallNamesTest, InstallationFolderIsFolderLokalWithoutItsLastLevel) {
    EXPECT_EQ(InstallationFolder(L"C:\\Zelbar\\temp_2026_12_5-10920\\", L"temp_2026_12_5-10920\\"),
              L"C:\\Zelbar\\");
    // The installation folder's own name holds the same text.
    EXPECT_EQ(InstallationFolder(L"C:\\temp_2026_12_5-10920\\temp_2026_12_5-10920\\",
                                 L"temp_2026_12_5-10920\\"),
              L"C:\\temp_2026_12_5-10920\\");
}

TEST(InstallNamesTest, ExitCodeOneIsAWarningAndTwoAFailure) {
    EXPECT_TRUE(UnpackSucceeded(1));
    EXPECT_FALSE(UnpackSucceeded(2));
}

TEST(InstallNamesTest, ProgressRoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(ProgressValue(std::nullopt), 0);
    EXPECT_EQ(ProgressValue(0.5), 0);
    EXPECT_EQ(ProgressValue(1.5), 2);
    EXPECT_EQ(ProgressValue(2.5000001), 3);
}

}  // namespace
