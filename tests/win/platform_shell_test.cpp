// WinShell against Wine's registry, process start, known folders and shell links.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/Handles_win.h"
#include "platform/PlatformError.h"
#include "platform/Shell_win.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

#include <shlobj.h>

using namespace wintest;

namespace {

template <typename F>
std::uint32_t ErrorCodeOf(F&& f) {
    try {
        f();
    } catch (const PlatformError& e) {
        return e.code();
    }
    ADD_FAILURE() << "no PlatformError was thrown";
    return 0;
}

// Waits for a file that a program started without waiting writes last.
bool AppearsWithin(const std::wstring& path, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (PathExists(path)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// A throw-away ProgID below HKEY_CLASSES_ROOT, removed before and after each test.
class WinShellRegistryTest : public ::testing::Test {
protected:
    WinShellRegistryTest()
        : progId(L"ZelbarTest.Application." + Text::FromInt(::GetCurrentProcessId())) {}
    void SetUp() override { RegDeleteTree(L"HKCR\\" + progId); }
    void TearDown() override { RegDeleteTree(L"HKCR\\" + progId); }

    const std::wstring progId;
    WinShell shell;
};

TEST_F(WinShellRegistryTest, TrailingBackslashReadsDefaultValueAlsoWhenDoubled) {
    const std::wstring command =
        L"\"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
    RegAdd(L"HKCR\\" + progId + L"\\shell\\open\\command", L"", command);
    const std::wstring key = L"HKEY_CLASSES_ROOT\\" + progId + L"\\shell\\open\\command";

    EXPECT_EQ(shell.regRead(key + L"\\"), command);
    EXPECT_EQ(shell.regRead(key + L"\\\\"), command);
}

TEST_F(WinShellRegistryTest, NameWithoutTrailingBackslashReadsNamedValueOfParentKey) {
    RegAdd(L"HKCR\\" + progId, L"Bezeichnung", L"Größe");
    RegAdd(L"HKCR\\" + progId + L"\\CurVer", L"", L"Access.Application.11");

    EXPECT_EQ(shell.regRead(L"HKEY_CLASSES_ROOT\\" + progId + L"\\Bezeichnung"), L"Größe");
    EXPECT_EQ(shell.regRead(L"HKEY_CLASSES_ROOT\\" + progId + L"\\CurVer\\"),
              L"Access.Application.11");
    // CurVer is a key, not a value of the ProgID.
    EXPECT_EQ(ErrorCodeOf([&] { shell.regRead(L"HKEY_CLASSES_ROOT\\" + progId + L"\\CurVer"); }),
              static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinShellRegistryTest, MissingKeyOrDefaultValueThrowsWithErrorCode) {
    EXPECT_NE(ErrorCodeOf([&] { shell.regRead(L"HKEY_CLASSES_ROOT\\" + progId + L"\\"); }), 0u);
    RegAddKey(L"HKCR\\" + progId + L"\\ohneWert");
    EXPECT_NE(
        ErrorCodeOf([&] { shell.regRead(L"HKEY_CLASSES_ROOT\\" + progId + L"\\ohneWert\\"); }), 0u);
    EXPECT_EQ(ErrorCodeOf([&] { shell.regRead(L"HKEY_CURRENT_USER\\Software\\"); }),
              static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
}

TEST_F(WinShellRegistryTest, ExpandStringComesBackExpanded) {
    RegAdd(L"HKCR\\" + progId, L"Pfad", L"%SystemRoot%\\notepad.exe", L"REG_EXPAND_SZ");
    wchar_t windows[MAX_PATH];
    ASSERT_GT(::GetEnvironmentVariableW(L"SystemRoot", windows, MAX_PATH), 0u);
    EXPECT_EQ(shell.regRead(L"HKEY_CLASSES_ROOT\\" + progId + L"\\Pfad"),
              std::wstring(windows) + L"\\notepad.exe");
}

TEST_F(WinShellRegistryTest, RunOpensDocumentWithItsAssociatedProgram) {
    TempFolder temp;
    const std::wstring extension = L".zt" + Text::FromInt(::GetCurrentProcessId());
    const std::wstring marker = temp / L"geöffnet.txt";
    RegAdd(L"HKCR\\" + extension, L"", progId);
    RegAdd(L"HKCR\\" + progId + L"\\shell\\open\\command", L"",
           Quoted(FixtureExe(L"exit_with")) + L" 0 0 " + Quoted(marker) + L" \"%1\"");
    const std::wstring document = temp / (L"Schnell start" + extension);
    WriteBytes(document, "<html></html>");

    shell.Run(Quoted(document));
    const bool opened = AppearsWithin(marker, std::chrono::seconds(30));
    RegDeleteTree(L"HKCR\\" + extension);
    ASSERT_TRUE(opened);
    EXPECT_EQ(Text::FromUtf8(ReadBytes(marker)), L"0\n" + marker + L"\n" + document + L"\n");
}

class WinShellTest : public ::testing::Test {
protected:
    TempFolder temp;
    WinShell shell;
};

TEST_F(WinShellTest, RunWithWaitReturnsExitCodeOnceTheProgramHasEnded) {
    const std::wstring marker = temp / L"fertig.txt";
    const std::wstring line = Quoted(FixtureExe(L"exit_with")) + L" 7 300 " + Quoted(marker) +
                              L" -o -q -d " + Quoted(temp.path());
    EXPECT_EQ(shell.Run(line, WindowStyle::Hidden, true), 7u);
    EXPECT_EQ(Text::FromUtf8(ReadBytes(marker)),
              L"300\n" + marker + L"\n-o\n-q\n-d\n" + temp.path() + L"\n");
    EXPECT_EQ(shell.Run(Quoted(FixtureExe(L"exit_with")) + L" 0", WindowStyle::Normal, true), 0u);
}

TEST_F(WinShellTest, RunOfMissingProgramThrows) {
    const std::wstring missing = Quoted(temp / L"setup.exe") + L" -o -q -d " + Quoted(temp.path());
    EXPECT_NE(ErrorCodeOf([&] { shell.Run(missing, WindowStyle::Hidden, true); }), 0u);
    EXPECT_NE(ErrorCodeOf([&] { shell.Run(Quoted(temp / L"Schnellstart.html")); }), 0u);
}

TEST_F(WinShellTest, RunWithoutWaitSplitsQuotedProgramFromItsParameters) {
    const std::wstring marker = temp / L"gestartet.txt";
    shell.Run(Quoted(FixtureExe(L"exit_with")) + L" 0 0 " + Quoted(marker) + L" \"zwei Wörter\"");
    ASSERT_TRUE(AppearsWithin(marker, std::chrono::seconds(30)));
    EXPECT_EQ(Text::FromUtf8(ReadBytes(marker)), L"0\n" + marker + L"\nzwei Wörter\n");
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

    const std::wstring startMenu = shell.SpecialFolders(L"StartMenu");
    for (const wchar_t* name : {L"desktop", L"StartMenu", L"Programs"}) {
        const std::wstring folder = shell.SpecialFolders(name);
        SCOPED_TRACE(Narrow(folder));
        ASSERT_GT(folder.size(), 3u);
        EXPECT_NE(folder.back(), L'\\');
        char* unixPath = toUnix(folder.c_str());
        ASSERT_NE(unixPath, nullptr);
        EXPECT_EQ(std::string(unixPath).rfind(prefix, 0), 0u) << unixPath;
        ::HeapFree(::GetProcessHeap(), 0, unixPath);
        for (std::wstring level = folder; level.size() > 3;
             level = level.substr(0, level.find_last_of(L'\\'))) {
            const DWORD attributes = ::GetFileAttributesW(level.c_str());
            ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << Narrow(level);
            EXPECT_EQ(attributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u) << Narrow(level);
        }
    }
    EXPECT_EQ(shell.SpecialFolders(L"Programs").rfind(startMenu + L"\\", 0), 0u);
    EXPECT_EQ(ErrorCodeOf([&] { shell.SpecialFolders(L"Favoriten"); }),
              static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
}

struct LinkContents {
    std::wstring target;
    std::wstring arguments;
};

LinkContents ReadLink(const std::wstring& path) {
    ComInit com;
    ComPtr<IShellLinkW> link;
    EXPECT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkW, link.put_void())));
    ComPtr<IPersistFile> file;
    EXPECT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void())));
    EXPECT_TRUE(SUCCEEDED(file->Load(path.c_str(), STGM_READ)));
    wchar_t target[MAX_PATH] = {};
    wchar_t arguments[1024] = {};
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, 1024);
    return {target, arguments};
}

TEST_F(WinShellTest, ShortcutIsWrittenOnlyOnSaveAndReadsBackWithShellLink) {
    const std::wstring linkPath = temp / L"Zelbar.lnk";
    const std::wstring arguments =
        L"\"C:\\Zelbar\\ZelbarProg.mdb\" /wrkgrp \"C:\\Zelbar\\Zelbar.mdw\" /user UserZelbar";
    auto shortcut = shell.CreateShortcut(linkPath);
    shortcut->TargetPath = FixtureExe(L"fixture_access");
    shortcut->Arguments = arguments;
    EXPECT_FALSE(PathExists(linkPath));

    shortcut->Save();
    const LinkContents saved = ReadLink(linkPath);
    EXPECT_TRUE(Text::EqualsNoCase(saved.target, FixtureExe(L"fixture_access")))
        << Narrow(saved.target);
    EXPECT_EQ(saved.arguments, arguments);
}

TEST_F(WinShellTest, SecondSaveReplacesTheShortcutAndTargetNeedNotExistYet) {
    const std::wstring linkPath = temp / L"Update.lnk";
    auto first = shell.CreateShortcut(linkPath);
    first->TargetPath = FixtureExe(L"fixture_access");
    first->Arguments = L"/alt";
    first->Save();

    // Start-menu entries are made before the program files are moved into place.
    const std::wstring later = temp / L"Zelbar\\Update.exe";
    auto second = shell.CreateShortcut(linkPath);
    second->TargetPath = later;
    second->Save();

    const LinkContents saved = ReadLink(linkPath);
    EXPECT_TRUE(Text::EqualsNoCase(saved.target, later)) << Narrow(saved.target);
    EXPECT_EQ(saved.arguments, L"");
    EXPECT_EQ(ErrorCodeOf([&] { shell.CreateShortcut(temp / L"Zelbar.txt"); }),
              static_cast<std::uint32_t>(ERROR_INVALID_NAME));
}

}  // namespace
