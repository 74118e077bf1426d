// WinFileSystem against Wine's real file system, in a throw-away folder on C:.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/FileSystem_win.h"
#include "platform/Handles_win.h"
#include "platform/PlatformError.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

class WinFileSystemTest : public ::testing::Test {
protected:
    void MakeReadOnly(const std::wstring& path) {
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
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

TEST_F(WinFileSystemTest, FilesAndFoldersAreToldApartAndFoldersAreMadeOneLevelAtATime) {
    WriteBytes(temp / L"a.txt", "a");
    EXPECT_TRUE(fs.FolderExists(temp.path() + L"\\"));
    EXPECT_TRUE(fs.FolderExists(L"C:\\"));
    EXPECT_FALSE(fs.FolderExists(temp / L"a.txt"));
    EXPECT_FALSE(fs.FolderExists(temp / L"fehlt"));
    EXPECT_TRUE(fs.FileExists(temp / L"a.txt"));
    EXPECT_FALSE(fs.FileExists(temp.path()));

    fs.CreateFolder(temp / L"neu\\");
    EXPECT_TRUE(fs.FolderExists(temp / L"neu"));
    const PlatformError twice = ErrorOf([&] { fs.CreateFolder(temp / L"neu"); });
    EXPECT_EQ(twice.code(), static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(twice.message().find(L"Der Ordner konnte nicht erstellt werden: " + temp / L"neu"),
              std::wstring::npos)
        << Narrow(twice.message());
    EXPECT_EQ(ErrorOf([&] { fs.CreateFolder(temp / L"a\\b"); }).code(),
              static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
}

TEST_F(WinFileSystemTest, DeleteTakesReadOnlyEntriesOnlyWithForceAndNeverAFileInUse) {
    const std::wstring file = temp / L"schreibgeschützt.txt";
    WriteBytes(file, "x");
    MakeReadOnly(file);
    EXPECT_NE(ErrorOf([&] { fs.DeleteFile(file, false); })
                  .message()
                  .find(L"Die Datei konnte nicht gelöscht werden: " + file),
              std::wstring::npos);
    fs.DeleteFile(file, true);
    EXPECT_FALSE(PathExists(file));
    EXPECT_THROW(fs.DeleteFile(file, true), PlatformError);

    // A file in use stays, read-only as it was.
    const std::wstring held = temp / L"offen.mdb";
    WriteBytes(held, "data");
    MakeReadOnly(held);
    UniqueFileHandle open(::CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open);
    EXPECT_THROW(fs.DeleteFile(held, true), PlatformError);
    open.reset();
    EXPECT_TRUE(::GetFileAttributesW(held.c_str()) & FILE_ATTRIBUTE_READONLY);

    const std::wstring root = temp / L"temp_2027";
    fs.CreateFolder(root);
    fs.CreateFolder(root + L"\\sub");
    WriteBytes(root + L"\\oben.txt", "1");
    WriteBytes(root + L"\\sub\\unten.txt", "2");
    MakeReadOnly(root + L"\\sub\\unten.txt");
    MakeReadOnly(root + L"\\sub");
    EXPECT_THROW(fs.DeleteFolder(root, false), PlatformError);
    fs.DeleteFolder(root + L"\\", true);
    EXPECT_FALSE(PathExists(root));
    EXPECT_THROW(fs.DeleteFolder(root, true), PlatformError);
}

TEST_F(WinFileSystemTest, CopyReplacesMoveRefusesAnExistingNameAndSizesCountBytes) {
    WriteBytes(temp / L"settings.ini", "neu");
    WriteBytes(temp / L"kopie.ini", "alt und länger");
    fs.CopyFile(temp / L"settings.ini", temp / L"kopie.ini");
    EXPECT_EQ(ReadBytes(temp / L"kopie.ini"), "neu");
    EXPECT_EQ(ErrorOf([&] { fs.CopyFile(temp / L"fehlt.ini", temp / L"x.ini"); }).code(),
              static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));

    fs.CreateFolder(temp / L"ziel");
    fs.MoveFile(temp / L"settings.ini", temp / L"ziel\\");
    EXPECT_FALSE(PathExists(temp / L"settings.ini"));
    WriteBytes(temp / L"settings.ini", "zweite");
    EXPECT_THROW(fs.MoveFile(temp / L"settings.ini", temp / L"ziel\\"), PlatformError);
    EXPECT_EQ(ReadBytes(temp / L"ziel\\settings.ini"), "neu");

    WriteBytes(temp / L"voll.bin", std::string(70000, 'z'));
    EXPECT_EQ(fs.GetFileSize(temp / L"voll.bin"), 70000);
    EXPECT_THROW(fs.GetFileSize(temp / L"fehlt.bin"), PlatformError);
    EXPECT_THROW(fs.GetFileSize(temp.path()), PlatformError);
}

TEST_F(WinFileSystemTest, GetFolderAndDrivesNameWhatTheSystemLists) {
    fs.CreateFolder(temp / L"Unterordner");
    WriteBytes(temp / L"eins.txt", "1");
    FolderItem folder = fs.GetFolder(temp.path() + L"\\");
    EXPECT_EQ(folder.path, temp.path());
    EXPECT_EQ(folder.Name, temp.path().substr(temp.path().find_last_of(L'\\') + 1));
    EXPECT_EQ(folder.Files, std::vector<std::wstring>{L"eins.txt"});
    EXPECT_EQ(folder.SubFolders, std::vector<std::wstring>{L"Unterordner"});
    const FolderItem root = fs.GetFolder(L"C:\\");
    EXPECT_EQ(root.path, L"C:\\");
    EXPECT_EQ(root.Name, L"");
    EXPECT_THROW(fs.GetFolder(temp / L"fehlt"), PlatformError);

    const std::vector<DriveItem> drives = fs.Drives();
    for (const DriveItem& drive : drives) EXPECT_EQ(drive.path.substr(1), L":");
    EXPECT_TRUE(std::any_of(drives.begin(), drives.end(),
                            [](const DriveItem& d) { return d.path == L"C:" && d.isReady; }));
}

TEST_F(WinFileSystemTest, TextGoesThroughTheAnsiCodePageLineByLine) {
    ASSERT_EQ(::GetACP(), 1252u) << "the sandbox should run with a German locale";
    const std::wstring file = temp / L"settings.ini";
    WriteBytes(file, "eine lange alte Zeile\r\n");
    {
        auto writer = fs.OpenTextFileForWriting(file);
        writer->WriteLine(L"[Größe]");
        writer->Write(L"Preis=5 €");
        writer->WriteLine(L" für Äpfel");
        writer->WriteLine(L"Pfeil=→");
        writer->Close();
        EXPECT_THROW(writer->Write(L"zu"), PlatformError);
    }
    EXPECT_EQ(ReadBytes(file),
              "[Gr\xF6\xDF"
              "e]\r\nPreis=5 \x80 f\xFCr \xC4pfel\r\nPfeil=?\r\n");
    EXPECT_THROW(fs.OpenTextFileForWriting(temp / L"fehlt\\settings.ini"), PlatformError);

    WriteBytes(file, "eins\r\nzwei\n\r\nvier\rmit CR\nf\xFCnf\r\n");
    EXPECT_EQ(ReadAllLines(file),
              (std::vector<std::wstring>{L"eins", L"zwei", L"", L"vier\rmit CR", L"fünf"}));
    auto reader = fs.OpenTextFileForReading(file);
    for (int i = 0; i < 5; ++i) reader->Readline();
    EXPECT_EQ(ErrorOf([&] { reader->Readline(); }).code(),
              static_cast<std::uint32_t>(ERROR_HANDLE_EOF));
    WriteBytes(file, "");
    EXPECT_TRUE(fs.OpenTextFileForReading(file)->AtEndOfStream());
    EXPECT_EQ(ErrorOf([&] { fs.OpenTextFileForReading(temp / L"fehlt.ini"); }).code(),
              static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinFileSystemTest, BinaryWriterStartsAtTheFirstByteWithoutShortening) {
    const std::wstring file = temp / L"setup.exe";
    WriteBytes(file, "0123456789");
    {
        auto writer = fs.OpenBinaryForWrite(file);
        const std::uint8_t bytes[] = {'a', 'b', 'c', 'd'};
        writer->Write(bytes, 2);
        writer->Write(bytes + 2, 2);
        writer->Close();
        EXPECT_THROW(writer->Write(bytes, 2), PlatformError);
        fs.OpenBinaryForWrite(temp / L"neu.bin")->Write(bytes, 3);
    }
    EXPECT_EQ(ReadBytes(file), "abcd456789");
    EXPECT_EQ(ReadBytes(temp / L"neu.bin"), "abc");
}

TEST_F(WinFileSystemTest, GetFileVersionReadsTheFixedVersionOfAProgram) {
    EXPECT_EQ(fs.GetFileVersion(FixtureExe(L"fixture_access")), L"11.0.6566.0");
    // A file without a version resource has no version, as with the scripting object.
    WriteBytes(temp / L"text.txt", "kein Programm");
    EXPECT_EQ(fs.GetFileVersion(temp / L"text.txt"), L"");
    EXPECT_EQ(fs.GetFileVersion(FixtureExe(L"exit_with")), L"");
    EXPECT_THROW(fs.GetFileVersion(temp / L"MSACCESS.EXE"), PlatformError);
}

}  // namespace
