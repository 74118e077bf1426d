#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "folderchooser/FolderChoice.h"

namespace {

using namespace FolderChoice;

TEST(FolderChoiceTest, LengthCheckAccepts268AndRefuses270CountingUtf16Units) {
    const std::wstring access(101, L'a');
    EXPECT_EQ(ProgramPathLength(access, std::wstring(59, L'f')), 268u);
    EXPECT_FALSE(ProgramPathTooLong(access, std::wstring(59, L'f')));
    EXPECT_EQ(ProgramPathLength(access, std::wstring(60, L'f')), 270u);
    EXPECT_TRUE(ProgramPathTooLong(access, std::wstring(60, L'f')));

    // Lengths count UTF-16 units as Windows does: U+1D11E (musical G clef) takes two.
    std::wstring folder = L"C:\\";
    folder += static_cast<wchar_t>(0x1D11E);
    EXPECT_EQ(Utf16Length(L"C:\\Zelbar"), 9u);
    EXPECT_EQ(Utf16Length(folder), 5u);
    EXPECT_EQ(ProgramPathLength(L"", folder) - ProgramPathLength(L"", L""), 10u);
}

TEST(FolderChoiceTest, DriveListEntriesAndTheRootCheckAgainstThemIgnoreLetterCase) {
    EXPECT_TRUE(IsDriveRoot(L"C:\\", L"c: [System]"));
    EXPECT_TRUE(IsDriveRoot(L"c:", L"C:"));
    EXPECT_FALSE(IsDriveRoot(L"C:\\Zelbar", L"c:"));
    // A root of another drive than the list's is not refused.
    EXPECT_FALSE(IsDriveRoot(L"D:\\", L"c: [System]"));

    // The list shows the lower-case letter and the label.
    EXPECT_EQ(DriveEntry(L"C:", L"System"), L"c: [System]");
    EXPECT_EQ(DriveEntry(L"Q:", L""), L"q:");
    EXPECT_TRUE(EntryIsDrive(L"q:", L"Q:"));
    EXPECT_FALSE(EntryIsDrive(L"c: [Q:]", L"Q:"));
}

TEST(FolderChoiceTest, FolderChainRunsFromTheRootDownToTheFolder) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(FolderChain(L"C:\\Zelbar\\Daten\\"),
              (V{L"C:\\", L"C:\\Zelbar", L"C:\\Zelbar\\Daten"}));
    EXPECT_EQ(FolderChain(L"C:\\"), (V{L"C:\\"}));
    EXPECT_EQ(FolderChain(L"d:"), (V{L"d:\\"}));
    EXPECT_EQ(FolderChain(L"\\\\server\\share\\a"),
              (V{L"\\\\server\\share", L"\\\\server\\share\\a"}));
}

}  // namespace
