// WinFileSystem against Wine's real file system, in a throw-away folder on C:.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/WinApi.h"

#include <sddl.h>

#include "platform/FileSystem_win.h"
#include "platform/Handles_win.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

class WinFileSystemTest : public ::testing::Test {
protected:
    void WriteReadOnly(const std::wstring& path, const std::string& bytes) {
        WriteBytes(path, bytes);
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    TempFolder temp;
    WinFileSystem fs;
};

TEST_F(WinFileSystemTest, FilesAndFoldersAreToldApartAndFoldersAreMadeOneLevelAtATime) {
    WriteBytes(temp / L"a.txt", "a");
    EXPECT_TRUE(fs.FolderExists(temp.path() + L"\\"));
    EXPECT_FALSE(fs.FolderExists(temp / L"a.txt"));
    EXPECT_TRUE(fs.FileExists(temp / L"a.txt"));
    EXPECT_FALSE(fs.FileExists(temp.path()));

    fs.CreateFolder(temp / L"neu\\");
    EXPECT_TRUE(fs.FolderExists(temp / L"neu"));
    EXPECT_THROW(fs.CreateFolder(temp / L"a\\b"), PlatformError);
}

// SIDs the way the access list is compared: as text.
std::wstring SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) return L"(none)";
    const UniqueLocalMemory owned(text);
    return text;
}

std::wstring WellKnown(WELL_KNOWN_SID_TYPE type) {
    std::uint8_t sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    return ::CreateWellKnownSid(type, nullptr, sid, &size) ? SidText(sid) : L"(none)";
}

std::wstring UserSid() {
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    const UniqueKernelHandle owned(token);
    std::vector<std::uint8_t> buffer(256);
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), 256, &size)) return L"(none)";
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

// Wine does not keep a folder's descriptor (it reports a list of its own
// making), so the descriptor the folder is created with is read as the
// system reads it: each entry's kind, flags, rights and SID.
TEST_F(WinFileSystemTest, APrivateFolderIsTheUsersSystemsAndAdministratorsAlone) {
    const UniqueLocalMemory descriptor = PrivateFolderDescriptor();
    ASSERT_TRUE(::IsValidSecurityDescriptor(descriptor.get()));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor.get(), &control, &revision));
    // Protected: nothing of the installation folder's list is inherited.
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(descriptor.get(), &present, &acl, &defaulted));
    ASSERT_TRUE(present && acl != nullptr);
    std::vector<std::wstring> entries;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(::GetAce(acl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        // For the folder and everything later created in it.
        EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        EXPECT_EQ(ace->Mask, static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
        entries.push_back(SidText(&ace->SidStart));
    }
    EXPECT_EQ(entries, (std::vector<std::wstring>{UserSid(), WellKnown(WinLocalSystemSid),
                                                  WellKnown(WinBuiltinAdministratorsSid)}));

    fs.CreatePrivateFolder(temp / L"privat\\");
    EXPECT_TRUE(fs.FolderExists(temp / L"privat"));
    EXPECT_THROW(fs.CreatePrivateFolder(temp / L"privat"), PlatformError);
}

TEST_F(WinFileSystemTest, DeleteTakesReadOnlyEntriesOnlyWithForceAndNeverAFileInUse) {
    const std::wstring file = temp / L"schreibgeschützt.txt";
    WriteReadOnly(file, "x");
    EXPECT_THROW(fs.DeleteFile(file, false), PlatformError);
    fs.DeleteFile(file, true);
    EXPECT_FALSE(PathExists(file));

    const std::wstring held = temp / L"offen.mdb";
    WriteBytes(held, "data");
    UniqueFileHandle open(::CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    EXPECT_THROW(fs.DeleteFile(held, true), PlatformError);

    const std::wstring root = temp / L"temp_2027";
    fs.CreateFolder(root);
    fs.CreateFolder(root + L"\\sub");
    WriteReadOnly(root + L"\\sub\\unten.txt", "2");
    ASSERT_TRUE(::SetFileAttributesW((root + L"\\sub").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(fs.DeleteFolder(root, false), PlatformError);
    fs.DeleteFolder(root + L"\\", true);
    EXPECT_FALSE(PathExists(root));
}

TEST_F(WinFileSystemTest, CopyReplacesMoveRefusesAnExistingNameAndSizesCountBytes) {
    WriteBytes(temp / L"settings.ini", "neu");
    WriteBytes(temp / L"kopie.ini", "alt und länger");
    fs.CopyFile(temp / L"settings.ini", temp / L"kopie.ini");
    EXPECT_EQ(ReadBytes(temp / L"kopie.ini"), "neu");

    fs.CreateFolder(temp / L"ziel");
    fs.MoveFile(temp / L"settings.ini", temp / L"ziel\\");
    WriteBytes(temp / L"settings.ini", "zweite");
    EXPECT_THROW(fs.MoveFile(temp / L"settings.ini", temp / L"ziel\\"), PlatformError);
    EXPECT_EQ(ReadBytes(temp / L"ziel\\settings.ini"), "neu");

    WriteBytes(temp / L"voll.bin", std::string(70000, 'z'));
    EXPECT_EQ(fs.GetFileSize(temp / L"voll.bin"), 70000);
}

// The final move of the installation: an installed file held open without FILE_SHARE_DELETE
// cannot be replaced, and then both files stay as they were; a read-only one can.
TEST_F(WinFileSystemTest, ReplaceFileFailsOverAnOpenDestinationLeavingBothAndTakesAReadOnlyOne) {
    const std::wstring neu = temp / L"neu.exe", alt = temp / L"Zelbar.exe";
    WriteBytes(neu, "neu");
    WriteBytes(alt, "alt");
    {
        UniqueFileHandle open(::CreateFileW(alt.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(open.get(), INVALID_HANDLE_VALUE);
        EXPECT_THROW(fs.ReplaceFile(neu, alt), PlatformError);
    }
    EXPECT_EQ(ReadBytes(neu), "neu");
    EXPECT_EQ(ReadBytes(alt), "alt");
    ASSERT_TRUE(::SetFileAttributesW(alt.c_str(), FILE_ATTRIBUTE_READONLY));
    fs.ReplaceFile(neu, alt);
    EXPECT_EQ(ReadBytes(alt), "neu");
    EXPECT_FALSE(PathExists(neu));
}

TEST_F(WinFileSystemTest, GetFolderAndDrivesNameWhatTheSystemLists) {
    fs.CreateFolder(temp / L"Unterordner");
    WriteBytes(temp / L"eins.txt", "1");
    const FolderItem folder = fs.GetFolder(temp.path() + L"\\");
    EXPECT_EQ(folder.path, temp.path());
    EXPECT_EQ(folder.Files, std::vector<std::wstring>{L"eins.txt"});
    EXPECT_EQ(folder.SubFolders, std::vector<std::wstring>{L"Unterordner"});
    EXPECT_THROW(fs.GetFolder(temp / L"fehlt"), PlatformError);

    const std::vector<DriveItem> drives = fs.Drives();
    EXPECT_TRUE(std::any_of(drives.begin(), drives.end(),
                            [](const DriveItem& d) { return d.path == L"C:" && d.isReady; }));
}

// A network share that drops its connection after `entries` entries of a listing.
class BreakingShare : public WinFileSystem {
public:
    int entries = 0;

protected:
    bool FindNext(HANDLE find, WIN32_FIND_DATAW& found) override {
        if (--entries < 0) {
            ::SetLastError(ERROR_NETNAME_DELETED);
            return false;
        }
        return WinFileSystem::FindNext(find, found);
    }
};

// Taken as complete, a broken listing moved only part of the files, and removing the folder
// then destroyed the rest; only what was removed before the break may be gone.
TEST_F(WinFileSystemTest, ListingThatBreaksOffIsAnErrorNotAShorterFolder) {
    for (const wchar_t* name : {L"a.mdb", L"b.mdb", L"c.mdb", L"d.mdb", L"e.mdb", L"f.mdb"}) {
        WriteBytes(temp / name, "x");
    }
    BreakingShare share;
    share.entries = 4;
    EXPECT_EQ(ErrorOf([&] { share.GetFolder(temp.path()); }).code(), ERROR_NETNAME_DELETED);
    share.entries = 4;
    EXPECT_EQ(ErrorOf([&] { share.DeleteFolder(temp.path(), true); }).code(),
              ERROR_NETNAME_DELETED);
    EXPECT_GE(fs.GetFolder(temp.path()).Files.size(), 1u);

    EXPECT_THROW(fs.RemoveEmptyFolder(temp.path()), PlatformError);
    fs.CreateFolder(temp / L"leer");
    ASSERT_TRUE(::SetFileAttributesW((temp / L"leer").c_str(), FILE_ATTRIBUTE_READONLY));
    fs.RemoveEmptyFolder(temp / L"leer\\");
    EXPECT_FALSE(PathExists(temp / L"leer"));
}

TEST_F(WinFileSystemTest, TextGoesThroughTheAnsiCodePageLineByLine) {
    ASSERT_EQ(::GetACP(), 1252u) << "the sandbox should run with a German locale";
    const std::wstring file = temp / L"settings.ini";
    WriteBytes(file, "eine lange alte Zeile\r\n");
    {
        auto writer = fs.OpenTextFileForWriting(file);
        writer->WriteLine(L"[Größe]");
        writer->Write(L"Preis=5 € für Äpfel, ");
        writer->WriteLine(L"Pfeil→");
        writer->Flush();
    }
    EXPECT_EQ(ReadBytes(file),
              "[Gr\xF6\xDF"
              "e]\r\nPreis=5 \x80 f\xFCr \xC4pfel, Pfeil?\r\n");

    WriteBytes(file, "eins\r\nzwei\n\r\nvier\rmit CR\nf\xFCnf\r\n");
    std::vector<std::wstring> lines;
    for (auto reader = fs.OpenTextFileForReading(file); !reader->AtEndOfStream();) {
        lines.push_back(reader->Readline());
    }
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"eins", L"zwei", L"", L"vier\rmit CR", L"fünf"}));
    EXPECT_THROW(fs.OpenTextFileForReading(temp / L"fehlt.ini"), PlatformError);
}

TEST_F(WinFileSystemTest, BinaryWriterStartsAtTheFirstByteWithoutShorteningOrAfterTheLast) {
    const std::uint8_t bytes[] = {'a', 'b', 'c', 'd'};
    WriteBytes(temp / L"setup.exe", "0123456789");
    auto writer = fs.OpenBinaryForWrite(temp / L"setup.exe");
    writer->Write(bytes, 4);
    writer->Close();
    fs.OpenBinaryForWrite(temp / L"neu.bin")->Write(bytes, 3);
    EXPECT_EQ(ReadBytes(temp / L"setup.exe"), "abcd456789");
    EXPECT_EQ(ReadBytes(temp / L"neu.bin"), "abc");
    writer = fs.OpenBinaryForAppend(temp / L"setup.exe");
    writer->Write(bytes, 2);
    writer->Close();
    EXPECT_EQ(ReadBytes(temp / L"setup.exe"), "abcd456789ab");
}

TEST_F(WinFileSystemTest, FreeSpaceIsWhatTheDriveHasLeftForTheUser) {
    ULARGE_INTEGER total{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(L"C:\\", nullptr, &total, nullptr));
    const std::int64_t free = fs.FreeSpace(temp.path());
    EXPECT_GT(free, 0);
    EXPECT_LE(static_cast<std::uint64_t>(free), total.QuadPart);
    EXPECT_THROW(fs.FreeSpace(temp / L"fehlt"), PlatformError);
}

// A program's version is the e2e road's (Access 2003); without a resource there is none.
TEST_F(WinFileSystemTest, GetFileVersionIsEmptyWithoutAVersionResource) {
    WriteBytes(temp / L"text.txt", "kein Programm");
    EXPECT_EQ(fs.GetFileVersion(temp / L"text.txt"), L"");
    EXPECT_EQ(fs.GetFileVersion(FixtureExe(L"exit_with")), L"");
    EXPECT_THROW(fs.GetFileVersion(temp / L"MSACCESS.EXE"), PlatformError);
}

}  // namespace
