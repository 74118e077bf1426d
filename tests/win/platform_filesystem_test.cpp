// WinFileSystem against Wine's real file system, in a throw-away folder on C:.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/FileSystem_win.h"
#include "platform/PlatformError.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

class WinFileSystemTest : public ::testing::Test {
protected:
    void MakeReadOnly(const std::wstring& path) {
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    bool IsReadOnly(const std::wstring& path) {
        return (::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
    }
    std::vector<std::wstring> ReadAllLines(const std::wstring& path) {
        std::vector<std::wstring> lines;
        auto reader = fs.OpenTextFileForReading(path);
        while (!reader->AtEndOfStream()) lines.push_back(reader->Readline());
        return lines;
    }

    TempFolder temp;
    WinFileSystem fs;
};

template <typename F>
PlatformError CatchPlatformError(F&& f) {
    try {
        f();
    } catch (const PlatformError& e) {
        return e;
    }
    ADD_FAILURE() << "no PlatformError was thrown";
    return PlatformError(0, L"");
}

TEST_F(WinFileSystemTest, ExistenceTellsFilesAndFoldersApart) {
    WriteBytes(temp / L"a.txt", "a");
    EXPECT_TRUE(fs.FolderExists(temp.path()));
    EXPECT_TRUE(fs.FolderExists(temp.path() + L"\\"));
    EXPECT_TRUE(fs.FolderExists(L"C:\\"));
    EXPECT_FALSE(fs.FolderExists(temp / L"a.txt"));
    EXPECT_FALSE(fs.FolderExists(temp / L"missing"));
    EXPECT_TRUE(fs.FileExists(temp / L"a.txt"));
    EXPECT_FALSE(fs.FileExists(temp.path()));
    EXPECT_FALSE(fs.FileExists(temp / L"missing.txt"));
}

TEST_F(WinFileSystemTest, CreateFolderMakesOnlyTheLastLevel) {
    fs.CreateFolder(temp / L"neu");
    EXPECT_TRUE(fs.FolderExists(temp / L"neu"));

    const PlatformError twice = CatchPlatformError([&] { fs.CreateFolder(temp / L"neu"); });
    EXPECT_EQ(twice.code(), static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(twice.message().find(L"Der Ordner konnte nicht erstellt werden: " + temp / L"neu"),
              std::wstring::npos)
        << Narrow(twice.message());

    const PlatformError deep = CatchPlatformError([&] { fs.CreateFolder(temp / L"a\\b"); });
    EXPECT_EQ(deep.code(), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(PathExists(temp / L"a"));
}

TEST_F(WinFileSystemTest, ForcedDeleteRemovesReadOnlyFileAndPlainDeleteRefusesIt) {
    const std::wstring file = temp / L"schreibgeschützt.txt";
    WriteBytes(file, "x");
    MakeReadOnly(file);

    const PlatformError refused = CatchPlatformError([&] { fs.DeleteFile(file, false); });
    EXPECT_NE(refused.code(), 0u);
    EXPECT_NE(refused.message().find(L"Die Datei konnte nicht gelöscht werden: " + file),
              std::wstring::npos)
        << Narrow(refused.message());
    EXPECT_TRUE(PathExists(file));

    fs.DeleteFile(file, true);
    EXPECT_FALSE(PathExists(file));
    EXPECT_NE(CatchPlatformError([&] { fs.DeleteFile(file, true); }).code(), 0u);
}

TEST_F(WinFileSystemTest, DeleteOfFileInUseFailsAndKeepsItReadOnly) {
    const std::wstring file = temp / L"offen.mdb";
    WriteBytes(file, "data");
    MakeReadOnly(file);
    HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    EXPECT_NE(CatchPlatformError([&] { fs.DeleteFile(file, true); }).code(), 0u);
    ::CloseHandle(held);
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(IsReadOnly(file));
}

TEST_F(WinFileSystemTest, ForcedDeleteFolderRemovesTreeWithReadOnlyFilesAndFolders) {
    const std::wstring root = temp / L"temp_2027";
    ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((root + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((root + L"\\sub\\tief").c_str(), nullptr));
    WriteBytes(root + L"\\oben.txt", "1");
    WriteBytes(root + L"\\sub\\mitte.txt", "2");
    WriteBytes(root + L"\\sub\\tief\\unten.txt", "3");
    MakeReadOnly(root + L"\\oben.txt");
    MakeReadOnly(root + L"\\sub\\tief\\unten.txt");
    MakeReadOnly(root + L"\\sub\\tief");

    EXPECT_THROW(fs.DeleteFolder(root, false), PlatformError);
    EXPECT_TRUE(PathExists(root + L"\\oben.txt"));

    fs.DeleteFolder(root, true);
    EXPECT_FALSE(PathExists(root));
    EXPECT_THROW(fs.DeleteFolder(root, true), PlatformError);
}

TEST_F(WinFileSystemTest, CopyReplacesDestinationAndKeepsSource) {
    WriteBytes(temp / L"settings.ini", "neu");
    WriteBytes(temp / L"kopie.ini", "alt und länger");
    fs.CopyFile(temp / L"settings.ini", temp / L"kopie.ini");
    EXPECT_EQ(ReadBytes(temp / L"kopie.ini"), "neu");
    EXPECT_EQ(ReadBytes(temp / L"settings.ini"), "neu");

    EXPECT_EQ(CatchPlatformError([&] { fs.CopyFile(temp / L"fehlt.ini", temp / L"x.ini"); }).code(),
              static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinFileSystemTest, MoveKeepsNameAndFailsWhenTargetExists) {
    ASSERT_TRUE(::CreateDirectoryW((temp / L"ziel").c_str(), nullptr));
    WriteBytes(temp / L"a.txt", "neu");
    fs.MoveFile(temp / L"a.txt", temp / L"ziel\\");
    EXPECT_FALSE(PathExists(temp / L"a.txt"));
    EXPECT_EQ(ReadBytes(temp / L"ziel\\a.txt"), "neu");

    WriteBytes(temp / L"a.txt", "zweite");
    EXPECT_NE(CatchPlatformError([&] { fs.MoveFile(temp / L"a.txt", temp / L"ziel\\"); }).code(),
              0u);
    EXPECT_EQ(ReadBytes(temp / L"a.txt"), "zweite");
    EXPECT_EQ(ReadBytes(temp / L"ziel\\a.txt"), "neu");
}

TEST_F(WinFileSystemTest, GetFileSizeCountsBytes) {
    WriteBytes(temp / L"leer.bin", "");
    WriteBytes(temp / L"voll.bin", std::string(70000, 'z'));
    EXPECT_EQ(fs.GetFileSize(temp / L"leer.bin"), 0);
    EXPECT_EQ(fs.GetFileSize(temp / L"voll.bin"), 70000);
    EXPECT_THROW(fs.GetFileSize(temp / L"fehlt.bin"), PlatformError);
    EXPECT_THROW(fs.GetFileSize(temp.path()), PlatformError);
}

TEST_F(WinFileSystemTest, GetFolderListsFilesAndSubfoldersWithoutTrailingBackslash) {
    ASSERT_TRUE(::CreateDirectoryW((temp / L"Unterordner").c_str(), nullptr));
    WriteBytes(temp / L"eins.txt", "1");
    WriteBytes(temp / L"zwei.mdb", "2");

    FolderItem folder = fs.GetFolder(temp.path() + L"\\");
    EXPECT_EQ(folder.path, temp.path());
    EXPECT_EQ(folder.Name, temp.path().substr(temp.path().find_last_of(L'\\') + 1));
    std::sort(folder.Files.begin(), folder.Files.end());
    EXPECT_EQ(folder.Files, (std::vector<std::wstring>{L"eins.txt", L"zwei.mdb"}));
    EXPECT_EQ(folder.SubFolders, std::vector<std::wstring>{L"Unterordner"});

    const FolderItem root = fs.GetFolder(L"C:\\");
    EXPECT_EQ(root.path, L"C:\\");
    EXPECT_TRUE(std::any_of(root.SubFolders.begin(), root.SubFolders.end(),
                            [](const std::wstring& name) { return name == L"ztest"; }));

    EXPECT_THROW(fs.GetFolder(temp / L"fehlt"), PlatformError);
}

TEST_F(WinFileSystemTest, DrivesListLettersWithColonAndCIsReady) {
    const std::vector<DriveItem> drives = fs.Drives();
    bool sawC = false;
    for (const DriveItem& drive : drives) {
        ASSERT_EQ(drive.path.size(), 2u) << Narrow(drive.path);
        EXPECT_EQ(drive.path[1], L':');
        if (drive.path == L"C:") sawC = drive.isReady;
    }
    EXPECT_TRUE(sawC);
}

TEST_F(WinFileSystemTest, TextFilesRoundTripUmlautsThroughTheAnsiCodePage) {
    ASSERT_EQ(::GetACP(), 1252u) << "the sandbox should run with a German locale";
    const std::wstring file = temp / L"settings.ini";
    {
        auto writer = fs.OpenTextFileForWriting(file);
        writer->WriteLine(L"[Größe]");
        writer->Write(L"Preis=5 €");
        writer->WriteLine(L" für Äpfel");
        writer->WriteLine(L"Pfeil=→");
        writer->Close();
    }
    EXPECT_EQ(ReadBytes(file),
              "[Gr\xF6\xDF"
              "e]\r\nPreis=5 \x80 f\xFCr \xC4pfel\r\nPfeil=?\r\n");
    EXPECT_EQ(ReadAllLines(file),
              (std::vector<std::wstring>{L"[Größe]", L"Preis=5 € für Äpfel", L"Pfeil=?"}));
}

TEST_F(WinFileSystemTest, ReadlineSplitsAtCrLfAndLfAndStopsAtTheEnd) {
    const std::wstring file = temp / L"zeilen.txt";
    WriteBytes(file, "eins\r\nzwei\n\r\nvier\rmit CR\nf\xFCnf");
    EXPECT_EQ(ReadAllLines(file),
              (std::vector<std::wstring>{L"eins", L"zwei", L"", L"vier\rmit CR", L"fünf"}));

    WriteBytes(file, "letzte\r\n");
    auto reader = fs.OpenTextFileForReading(file);
    EXPECT_EQ(reader->Readline(), L"letzte");
    EXPECT_TRUE(reader->AtEndOfStream());
    EXPECT_EQ(CatchPlatformError([&] { reader->Readline(); }).code(),
              static_cast<std::uint32_t>(ERROR_HANDLE_EOF));

    WriteBytes(file, "");
    EXPECT_TRUE(fs.OpenTextFileForReading(file)->AtEndOfStream());
    EXPECT_EQ(CatchPlatformError([&] { fs.OpenTextFileForReading(temp / L"fehlt.ini"); }).code(),
              static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinFileSystemTest, WritingTextEmptiesTheFileFirst) {
    const std::wstring file = temp / L"settings.ini";
    WriteBytes(file, "eine lange alte Zeile\r\nund noch eine\r\n");
    fs.OpenTextFileForWriting(file)->WriteLine(L"kurz");
    EXPECT_EQ(ReadBytes(file), "kurz\r\n");
    EXPECT_THROW(fs.OpenTextFileForWriting(temp / L"fehlt\\settings.ini"), PlatformError);
}

TEST_F(WinFileSystemTest, BinaryWriterStartsAtFirstByteWithoutShortening) {
    const std::wstring file = temp / L"setup.exe";
    WriteBytes(file, "0123456789");
    {
        auto writer = fs.OpenBinaryForWrite(file);
        const std::uint8_t first[] = {'a', 'b'};
        const std::uint8_t second[] = {'c', 'd'};
        writer->Write(first, sizeof first);
        writer->Write(second, sizeof second);
        writer->Write(nullptr, 0);
        writer->Close();
        EXPECT_THROW(writer->Write(first, sizeof first), PlatformError);
    }
    EXPECT_EQ(ReadBytes(file), "abcd456789");

    const std::uint8_t fresh[] = {'n', 'e', 'u'};
    fs.OpenBinaryForWrite(temp / L"neu.bin")->Write(fresh, sizeof fresh);
    EXPECT_EQ(ReadBytes(temp / L"neu.bin"), "neu");
}

TEST_F(WinFileSystemTest, GetFileVersionReadsTheFixedVersionOfAProgram) {
    EXPECT_EQ(fs.GetFileVersion(FixtureExe(L"fixture_access")), L"11.0.6566.0");
    // A file without a version resource has no version, as with the scripting object.
    WriteBytes(temp / L"text.txt", "kein Programm");
    EXPECT_EQ(fs.GetFileVersion(temp / L"text.txt"), L"");
    EXPECT_EQ(fs.GetFileVersion(FixtureExe(L"exit_with")), L"");
    EXPECT_NE(CatchPlatformError([&] { fs.GetFileVersion(temp / L"MSACCESS.EXE"); }).code(), 0u);
}

}  // namespace
