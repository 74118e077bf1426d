// WinShell against Wine's registry, process start, known folders and shell links.
#include <gtest/gtest.h>

#include <utility>

#include "platform/Handles_win.h"
#include "platform/PlatformError.h"
#include "platform/Shell_win.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

#include <shlobj.h>

using namespace wintest;

namespace {

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// A throw-away ProgID below HKEY_CLASSES_ROOT, removed before and after each test.
class WinShellTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTree(L"HKCR\\" + progId); }
    void TearDown() override { RegDeleteTree(L"HKCR\\" + progId); }

    const std::wstring progId = L"ZelbarTest.Application." + Text::FromInt(::GetCurrentProcessId());
    const std::wstring name = L"HKEY_CLASSES_ROOT\\" + progId;
    TempFolder temp;
    WinShell shell;
};

TEST_F(WinShellTest, TrailingBackslashReadsTheDefaultValueAndANameTheParentKeysValue) {
    const std::wstring command =
        L"\"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
    RegAdd(L"HKCR\\" + progId + L"\\shell\\open\\command", L"", command);
    RegAdd(L"HKCR\\" + progId, L"Bezeichnung", L"Größe");
    RegAdd(L"HKCR\\" + progId, L"Pfad", L"%SystemRoot%\\notepad.exe", L"REG_EXPAND_SZ");
    EXPECT_EQ(shell.regRead(name + L"\\shell\\open\\command\\"), command);
    EXPECT_EQ(shell.regRead(name + L"\\shell\\open\\command\\\\"), command);
    EXPECT_EQ(shell.regRead(name + L"\\Bezeichnung"), L"Größe");
    wchar_t windows[MAX_PATH];
    ASSERT_GT(::GetEnvironmentVariableW(L"SystemRoot", windows, MAX_PATH), 0u);
    EXPECT_EQ(shell.regRead(name + L"\\Pfad"), std::wstring(windows) + L"\\notepad.exe");

    // "shell" is a key, not a value of the ProgID; a key may have no default
    // value; only HKEY_CLASSES_ROOT is read.
    EXPECT_EQ(ErrorOf([&] { shell.regRead(name + L"\\shell"); }).code(),
              static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    RegAddKey(L"HKCR\\" + progId + L"\\ohneWert");
    EXPECT_THROW(shell.regRead(name + L"\\ohneWert\\"), PlatformError);
    EXPECT_THROW(shell.regRead(name + L"\\fehlt\\"), PlatformError);
    EXPECT_EQ(ErrorOf([&] { shell.regRead(L"HKEY_CURRENT_USER\\Software\\"); }).code(),
              static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
}

TEST_F(WinShellTest, RunWithWaitReturnsTheExitCodeOnceTheProgramHasEnded) {
    const std::wstring marker = temp / L"fertig.txt";
    const std::wstring line = Quoted(FixtureExe(L"exit_with")) + L" 7 300 " + Quoted(marker) +
                              L" -o -q -d " + Quoted(temp.path());
    EXPECT_EQ(shell.Run(line, WindowStyle::Hidden, true), 7u);
    EXPECT_EQ(Text::FromUtf8(ReadBytes(marker)),
              L"300\n" + marker + L"\n-o\n-q\n-d\n" + temp.path() + L"\n");
    EXPECT_EQ(shell.Run(Quoted(FixtureExe(L"exit_with")) + L" 0", WindowStyle::Normal, true), 0u);
    EXPECT_THROW(shell.Run(Quoted(temp / L"setup.exe"), WindowStyle::Hidden, true), PlatformError);
}

TEST_F(WinShellTest, RunWithoutWaitStartsProgramsWithTheirParametersAndOpensDocuments) {
    const std::wstring started = temp / L"gestartet.txt";
    shell.Run(Quoted(FixtureExe(L"exit_with")) + L" 0 0 " + Quoted(started) + L" \"zwei Wörter\"");
    EXPECT_EQ(Text::FromUtf8(AwaitFileBytes(started)), L"0\n" + started + L"\nzwei Wörter\n");

    const std::wstring extension = L".zt" + Text::FromInt(::GetCurrentProcessId());
    const std::wstring opened = temp / L"geöffnet.txt";
    RegAdd(L"HKCR\\" + extension, L"", progId);
    RegAdd(L"HKCR\\" + progId + L"\\shell\\open\\command", L"",
           Quoted(FixtureExe(L"exit_with")) + L" 0 0 " + Quoted(opened) + L" \"%1\"");
    const std::wstring document = temp / (L"Schnell start" + extension);
    WriteBytes(document, "<html></html>");
    shell.Run(Quoted(document));
    const std::string written = AwaitFileBytes(opened);
    RegDeleteTree(L"HKCR\\" + extension);
    EXPECT_EQ(Text::FromUtf8(written), L"0\n" + opened + L"\n" + document + L"\n");
    EXPECT_THROW(shell.Run(Quoted(temp / L"Schnellstart.html")), PlatformError);
}

// Nothing the wizard writes may leave the sandbox: wineboot once linked these
// folders to the home folder, and the runner replaces those links.
TEST_F(WinShellTest, SpecialFoldersLieInsideTheSandboxPrefixWithoutLinks) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    ASSERT_NE(toUnix, nullptr);
    char prefix[MAX_PATH * 2] = {};
    ASSERT_GT(::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix), 0u);

    for (const wchar_t* folderName : {L"desktop", L"StartMenu", L"Programs"}) {
        const std::wstring folder = shell.SpecialFolders(folderName);
        SCOPED_TRACE(Narrow(folder));
        ASSERT_GT(folder.size(), 3u);
        EXPECT_NE(folder.back(), L'\\');
        char* unixPath = toUnix(folder.c_str());
        ASSERT_NE(unixPath, nullptr);
        EXPECT_EQ(std::string(unixPath).rfind(prefix, 0), 0u) << unixPath;
        ::HeapFree(::GetProcessHeap(), 0, unixPath);
        for (std::wstring level = folder; level.size() > 3;
             level = level.substr(0, level.find_last_of(L'\\'))) {
            EXPECT_EQ(::GetFileAttributesW(level.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u)
                << Narrow(level);
        }
    }
    EXPECT_EQ(
        shell.SpecialFolders(L"Programs").rfind(shell.SpecialFolders(L"StartMenu") + L"\\", 0), 0u);
    EXPECT_EQ(ErrorOf([&] { shell.SpecialFolders(L"Favoriten"); }).code(),
              static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
}

std::pair<std::wstring, std::wstring> ReadLink(const std::wstring& path) {
    ComInit com;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    wchar_t target[MAX_PATH] = {};
    wchar_t arguments[1024] = {};
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
        FAILED(file->Load(path.c_str(), STGM_READ))) {
        return {L"<unreadable>", L""};
    }
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, 1024);
    return {Text::ToLower(target), arguments};
}

TEST_F(WinShellTest, ShortcutIsWrittenOnSaveReplacedByTheNextAndMayPointAheadOfItsTarget) {
    const std::wstring linkPath = temp / L"Zelbar.lnk";
    const std::wstring arguments =
        L"\"C:\\Zelbar\\ZelbarProg.mdb\" /wrkgrp \"C:\\Zelbar\\Zelbar.mdw\" /user UserZelbar";
    auto first = shell.CreateShortcut(linkPath);
    first->TargetPath = FixtureExe(L"fixture_access");
    first->Arguments = arguments;
    EXPECT_FALSE(PathExists(linkPath));
    first->Save();
    EXPECT_EQ(ReadLink(linkPath),
              std::make_pair(Text::ToLower(FixtureExe(L"fixture_access")), arguments));

    // Start-menu entries are made before the program files are moved into place.
    const std::wstring later = temp / L"Zelbar\\Update.exe";
    auto second = shell.CreateShortcut(linkPath);
    second->TargetPath = later;
    second->Save();
    EXPECT_EQ(ReadLink(linkPath), std::make_pair(Text::ToLower(later), std::wstring()));
    EXPECT_EQ(ErrorOf([&] { shell.CreateShortcut(temp / L"Zelbar.txt"); }).code(),
              static_cast<std::uint32_t>(ERROR_INVALID_NAME));
}

}  // namespace
