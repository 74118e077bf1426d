#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"

namespace {

class PortableFileSystemTest : public ::testing::Test {
protected:
    TempFolder tmp;
    PortableFileSystem fs;
};

TEST_F(PortableFileSystemTest, ReadOnlyFilesAreDeletedOnlyWithForce) {
    tmp.WriteBytes("tree/ro.txt", "x");
    tmp.WriteBytes("tree/sub/f.txt", "y");
    std::filesystem::permissions(tmp.Native("tree/ro.txt"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_THROW(fs.DeleteFile(tmp / L"tree\\ro.txt", false), PlatformError);
    EXPECT_THROW(fs.DeleteFolder(tmp / L"tree", false), PlatformError);
    EXPECT_TRUE(tmp.Exists("tree/sub/f.txt")) << "a refused delete must leave the folder whole";
    fs.DeleteFolder(tmp / L"tree", true);
    EXPECT_FALSE(tmp.Exists("tree"));
}

TEST_F(PortableFileSystemTest, CopyReplacesMoveAndCreateFolderRefuseAnExistingName) {
    tmp.WriteBytes("a.txt", "neu");
    tmp.WriteBytes("b.txt", "alt und laenger");
    fs.CopyFile(tmp / L"a.txt", tmp / L"b.txt");
    EXPECT_EQ(fs.GetFileSize(tmp / L"b.txt"), 3);

    tmp.WriteBytes("ziel/a.txt", "schon da");
    EXPECT_FALSE(fs.FileExists(tmp / L"ziel"));
    EXPECT_FALSE(fs.FolderExists(tmp / L"ziel\\a.txt"));
    EXPECT_THROW(fs.CreateFolder(tmp / L"ziel"), PlatformError);
    EXPECT_THROW(fs.MoveFile(tmp / L"a.txt", tmp / L"ziel\\"), PlatformError);
    EXPECT_EQ(tmp.ReadBytes("ziel/a.txt"), "schon da");
    EXPECT_TRUE(tmp.Exists("a.txt"));
    fs.MoveFile(tmp / L"b.txt", tmp / L"ziel\\");
    EXPECT_FALSE(tmp.Exists("b.txt"));
    EXPECT_EQ(tmp.ReadBytes("ziel/b.txt"), "neu");
}

}  // namespace
