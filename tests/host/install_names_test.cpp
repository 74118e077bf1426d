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
    EXPECT_EQ(TempFolderName({2026, 1, 2, 9, 5, 3}), L"temp_2026_1_2-953\\");
    EXPECT_EQ(TempFolderName({2026, 1, 2, 0, 0, 0}), L"temp_2026_1_2-000\\");
    EXPECT_EQ(BackupName({2027, 3, 9, 14, 3, 7}), L"ZelbarData_2027_3_9-1437.mdb");
}

TEST(InstallNamesTest, FurtherAttemptsCountBeforeTheClosingBackslash) {
    EXPECT_EQ(TempFolderName({2026, 12, 5, 10, 9, 20}, 2), L"temp_2026_12_5-10920_2\\");
    EXPECT_EQ(TempFolderName({2026, 12, 5, 10, 9, 20}, 11), L"temp_2026_12_5-10920_11\\");
}

class CreateTempFolderTest : public ::testing::Test {
protected:
    PortableFileSystem fs;
    TempFolder temp;
    std::wstring install() const { return temp.wpath() + L"\\"; }
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

TEST_F(CreateTempFolderTest, AMissingInstallationFolderFailsWithAPlatformError) {
    EXPECT_THROW(CreateTempFolder(fs, install() + L"fehlt\\", {2026, 6, 1, 1, 15, 3}),
                 PlatformError);
}

TEST(InstallNamesTest, InstallationFolderIsFolderLokalWithoutItsLastLevel) {
    EXPECT_EQ(InstallationFolder(L"C:\\Zelbar\\temp_2026_12_5-10920\\", L"temp_2026_12_5-10920\\"),
              L"C:\\Zelbar\\");
    // The installation folder's own name holds the same text.
    EXPECT_EQ(InstallationFolder(L"C:\\temp_2026_12_5-10920\\temp_2026_12_5-10920\\",
                                 L"temp_2026_12_5-10920\\"),
              L"C:\\temp_2026_12_5-10920\\");
}

TEST(InstallNamesTest, CopiesAndCommandLineLieInTheTemporaryFolder) {
    const std::wstring lokal = L"C:\\Zelbar\\temp_2026_12_5-10920\\";
    EXPECT_EQ(SettingsCopyPath(lokal, L"Z:\\setup\\settings.ini"), lokal + L"settings.ini");
    EXPECT_EQ(UnpackFolder(lokal), L"C:\\Zelbar\\temp_2026_12_5-10920");
    EXPECT_EQ(UnpackCommandLine(lokal + L"setup.exe", UnpackFolder(lokal)),
              L"\"C:\\Zelbar\\temp_2026_12_5-10920\\setup.exe\" -o -q -d "
              L"\"C:\\Zelbar\\temp_2026_12_5-10920\"");
}

TEST(InstallNamesTest, ExitCodeOneIsAWarningAndTwoAFailure) {
    EXPECT_TRUE(UnpackSucceeded(0));
    EXPECT_TRUE(UnpackSucceeded(1));
    EXPECT_FALSE(UnpackSucceeded(2));
    EXPECT_FALSE(UnpackSucceeded(0xC0000005));
}

TEST(InstallNamesTest, ProgressRoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(ProgressValue(std::nullopt), 0);
    EXPECT_EQ(ProgressValue(0.5), 0);
    EXPECT_EQ(ProgressValue(1.5), 2);
    EXPECT_EQ(ProgressValue(2.5), 2);
    EXPECT_EQ(ProgressValue(2.5000001), 3);
    EXPECT_EQ(ProgressValue(49.99), 50);
    EXPECT_EQ(ProgressValue(100.0), 100);
}

}  // namespace
