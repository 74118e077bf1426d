#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"

namespace {

using Lines = std::vector<std::wstring>;

class PortableFileSystemTest : public ::testing::Test {
protected:
    TempFolder tmp;
    PortableFileSystem fs;
};

TEST_F(PortableFileSystemTest, LinesEndAtCrLfOrLfAndAreWindows1252) {
    tmp.WriteBytes("a.txt", "eins\r\nzwei\n\r\nMen\xFC \x80\r");
    auto reader = fs.OpenTextFileForReading(tmp / L"a.txt");
    Lines lines;
    while (!reader->AtEndOfStream()) lines.push_back(reader->Readline());
    EXPECT_EQ(lines, (Lines{L"eins", L"zwei", L"", L"Menü €"}));

    tmp.WriteBytes("out.txt", "alter langer Inhalt\r\n");
    auto writer = fs.OpenTextFileForWriting(tmp / L"out.txt");
    writer->WriteLine(L"Menüeinträge");
    writer->Write(L"Größe");
    writer->Close();
    EXPECT_EQ(tmp.ReadBytes("out.txt"),
              "Men\xFC"
              "eintr\xE4ge\r\nGr\xF6\xDF"
              "e");
}

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

TEST_F(PortableFileSystemTest, GetFolderListsByNameAndTheBinaryWriterDoesNotShorten) {
    tmp.WriteBytes("ordner/B.txt", "");  // by name whatever the letter case
    tmp.WriteBytes("ordner/a.txt", "");
    tmp.WriteBytes("ordner/unter/c.txt", "");
    const FolderItem item = fs.GetFolder(tmp / L"ordner\\");
    EXPECT_EQ(item.Files, (Lines{L"a.txt", L"B.txt"}));
    EXPECT_EQ(item.SubFolders, (Lines{L"unter"}));

    tmp.WriteBytes("bin.dat", "0123456789");
    const std::uint8_t data[] = {'a', 'b', 0, 0xFF};
    auto writer = fs.OpenBinaryForWrite(tmp / L"bin.dat");
    writer->Write(data, 2);
    writer->Write(data + 2, 2);
    writer->Close();
    EXPECT_EQ(tmp.ReadBytes("bin.dat"), std::string("ab\0\xFF"
                                                    "456789",
                                                    10));
}

}  // namespace
