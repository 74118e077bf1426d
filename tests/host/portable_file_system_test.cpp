#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"

namespace {

class PortableFileSystemTest : public ::testing::Test {
protected:
    std::vector<std::wstring> ReadAll(const std::wstring& path) {
        auto reader = fs.OpenTextFileForReading(path);
        std::vector<std::wstring> lines;
        while (!reader->AtEndOfStream()) lines.push_back(reader->Readline());
        return lines;
    }

    TempFolder tmp;
    PortableFileSystem fs;
};

using Lines = std::vector<std::wstring>;

}  // namespace

TEST_F(PortableFileSystemTest, LinesEndAtCrLfOrLfAndLastBreakAddsNoLine) {
    tmp.WriteBytes("a.txt", "eins\r\nzwei\ndrei\r\n\r\nvier");
    EXPECT_EQ(ReadAll(tmp.Program(L"a.txt")), (Lines{L"eins", L"zwei", L"drei", L"", L"vier"}));
    tmp.WriteBytes("b.txt", "eins\r\n");
    EXPECT_EQ(ReadAll(tmp.Program(L"b.txt")), (Lines{L"eins"}));
    tmp.WriteBytes("c.txt", "eins\r");
    EXPECT_EQ(ReadAll(tmp.Program(L"c.txt")), (Lines{L"eins"}));
    tmp.WriteBytes("d.txt", "\r\n");
    EXPECT_EQ(ReadAll(tmp.Program(L"d.txt")), (Lines{L""}));
}

TEST_F(PortableFileSystemTest, EmptyFileIsAtEndAndReadingOnFails) {
    tmp.WriteBytes("leer.txt", "");
    auto reader = fs.OpenTextFileForReading(tmp.Program(L"leer.txt"));
    EXPECT_TRUE(reader->AtEndOfStream());
    EXPECT_THROW(reader->Readline(), PlatformError);
}

TEST_F(PortableFileSystemTest, TextIsWindows1252BothWays) {
    tmp.WriteBytes("in.txt", "Men\xFC" "eintr\xE4ge \x80\r\n");
    EXPECT_EQ(ReadAll(tmp.Program(L"in.txt")), (Lines{L"Menüeinträge €"}));

    auto writer = fs.OpenTextFileForWriting(tmp.Program(L"out.txt"));
    writer->WriteLine(L"Menüeinträge");
    writer->Write(L"Größe");
    writer->Close();
    EXPECT_EQ(tmp.ReadBytes("out.txt"), "Men\xFC" "eintr\xE4ge\r\nGr\xF6\xDF" "e");
}

TEST_F(PortableFileSystemTest, OpeningForWritingEmptiesTheFile) {
    tmp.WriteBytes("f.txt", "alter langer Inhalt\r\n");
    auto writer = fs.OpenTextFileForWriting(tmp.Program(L"f.txt"));
    writer->WriteLine(L"neu");
    writer->Close();
    EXPECT_EQ(tmp.ReadBytes("f.txt"), "neu\r\n");
}

TEST_F(PortableFileSystemTest, BackslashPathsReachTheFile) {
    tmp.WriteBytes("sub/inner/f.txt", "x\r\n");
    EXPECT_TRUE(fs.FileExists(tmp.Program(L"sub\\inner\\f.txt")));
    EXPECT_TRUE(fs.FolderExists(tmp.Program(L"sub\\inner\\")));
    EXPECT_FALSE(fs.FileExists(tmp.Program(L"sub\\inner")));
    EXPECT_FALSE(fs.FolderExists(tmp.Program(L"sub\\inner\\f.txt")));
}

TEST_F(PortableFileSystemTest, MissingFileFailsWithGermanMessageNamingThePath) {
    const std::wstring path = tmp.Program(L"fehlt.ini");
    try {
        fs.OpenTextFileForReading(path);
        FAIL() << "no exception";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.code(), static_cast<std::uint32_t>(ENOENT));
        EXPECT_NE(e.message().find(path), std::wstring::npos);
        EXPECT_NE(e.message().find(L"geöffnet"), std::wstring::npos);
    }
    EXPECT_THROW(fs.GetFileSize(path), PlatformError);
    EXPECT_THROW(fs.DeleteFile(path, true), PlatformError);
    EXPECT_THROW(fs.OpenTextFileForReading(tmp.wpath()), PlatformError);
}

TEST_F(PortableFileSystemTest, CreateFolderMakesOnlyTheLastLevel) {
    fs.CreateFolder(tmp.Program(L"neu"));
    EXPECT_TRUE(tmp.Exists("neu"));
    EXPECT_THROW(fs.CreateFolder(tmp.Program(L"neu")), PlatformError);
    EXPECT_THROW(fs.CreateFolder(tmp.Program(L"fehlt\\neu")), PlatformError);
    EXPECT_FALSE(tmp.Exists("fehlt"));
}

TEST_F(PortableFileSystemTest, ReadOnlyFilesAreDeletedOnlyWithForce) {
    tmp.WriteBytes("tree/ro.txt", "x");
    tmp.WriteBytes("tree/sub/f.txt", "y");
    std::filesystem::permissions(tmp.Native("tree/ro.txt"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);

    EXPECT_THROW(fs.DeleteFile(tmp.Program(L"tree\\ro.txt"), false), PlatformError);
    EXPECT_THROW(fs.DeleteFolder(tmp.Program(L"tree"), false), PlatformError);
    EXPECT_TRUE(tmp.Exists("tree/sub/f.txt")) << "a refused delete must leave the folder whole";

    fs.DeleteFolder(tmp.Program(L"tree"), true);
    EXPECT_FALSE(tmp.Exists("tree"));
    EXPECT_THROW(fs.DeleteFolder(tmp.Program(L"tree"), true), PlatformError);

    tmp.WriteBytes("ro2.txt", "x");
    std::filesystem::permissions(tmp.Native("ro2.txt"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    fs.DeleteFile(tmp.Program(L"ro2.txt"), true);
    EXPECT_FALSE(tmp.Exists("ro2.txt"));
}

TEST_F(PortableFileSystemTest, CopyReplacesAndMoveRefusesAnExistingName) {
    tmp.WriteBytes("a.txt", "neu");
    tmp.WriteBytes("b.txt", "alt und laenger");
    fs.CopyFile(tmp.Program(L"a.txt"), tmp.Program(L"b.txt"));
    EXPECT_EQ(tmp.ReadBytes("b.txt"), "neu");
    EXPECT_EQ(fs.GetFileSize(tmp.Program(L"b.txt")), 3);

    tmp.WriteBytes("ziel/a.txt", "schon da");
    EXPECT_THROW(fs.MoveFile(tmp.Program(L"a.txt"), tmp.Program(L"ziel\\")), PlatformError);
    EXPECT_EQ(tmp.ReadBytes("ziel/a.txt"), "schon da");
    EXPECT_TRUE(tmp.Exists("a.txt"));

    fs.MoveFile(tmp.Program(L"b.txt"), tmp.Program(L"ziel\\"));
    EXPECT_FALSE(tmp.Exists("b.txt"));
    EXPECT_EQ(tmp.ReadBytes("ziel/b.txt"), "neu");
}

TEST_F(PortableFileSystemTest, GetFolderListsFilesAndSubfoldersWithoutTrailingSeparator) {
    tmp.WriteBytes("ordner/b.txt", "");
    tmp.WriteBytes("ordner/A.txt", "");
    tmp.WriteBytes("ordner/unter/c.txt", "");
    const FolderItem item = fs.GetFolder(tmp.Program(L"ordner\\"));
    EXPECT_EQ(item.Name, L"ordner");
    EXPECT_EQ(item.path, tmp.wpath() + L"/ordner");
    EXPECT_EQ(item.Files, (Lines{L"A.txt", L"b.txt"}));
    EXPECT_EQ(item.SubFolders, (Lines{L"unter"}));
    EXPECT_THROW(fs.GetFolder(tmp.Program(L"fehlt")), PlatformError);
}

TEST_F(PortableFileSystemTest, BinaryWriterOverwritesFromTheStartWithoutShortening) {
    tmp.WriteBytes("bin.dat", "0123456789");
    const std::uint8_t data[] = {'a', 'b', 0, 0xFF};
    auto writer = fs.OpenBinaryForWrite(tmp.Program(L"bin.dat"));
    writer->Write(data, 2);
    writer->Write(data + 2, 2);
    writer->Close();
    EXPECT_EQ(tmp.ReadBytes("bin.dat"), std::string("ab\0\xFF" "456789", 10));

    auto fresh = fs.OpenBinaryForWrite(tmp.Program(L"neu.dat"));
    fresh->Write(data, 4);
    fresh->Close();
    EXPECT_EQ(tmp.ReadBytes("neu.dat"), std::string("ab\0\xFF", 4));
}
