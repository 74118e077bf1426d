// WinShell against Wine's registry, process start, known folders and shell links.
#include <gtest/gtest.h>

#include "platform/Shell_win.h"
#include "support/TestSupport.h"

#include <shlobj.h>

using namespace wintest;

namespace {

// A throw-away ProgID below HKEY_CLASSES_ROOT, removed before and after each test.
class WinShellTest : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CLASSES_ROOT, progId.c_str()); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CLASSES_ROOT, progId.c_str()); }

    const std::wstring progId = L"ZelbarTest.Application." + Text::FromInt(::GetCurrentProcessId());
    const std::wstring exitWith = QuoteArgument(FixtureExe(L"exit_with"));
    TempFolder temp;
    WinShell shell;
};

// The doubled backslash that checkVersions asks with is the e2e road's (Access found).
TEST_F(WinShellTest, TrailingBackslashReadsTheDefaultValueAndANameTheParentKeysValue) {
    const std::wstring name = L"HKEY_CLASSES_ROOT\\" + progId;
    const std::wstring command = L"\"C:\\A B\\MSACCESS.EXE\" \"%1\"";
    RegAdd(progId + L"\\shell\\open\\command", L"", command);
    RegAdd(progId, L"Bezeichnung", L"Größe");
    RegAdd(progId, L"Pfad", L"%SystemRoot%\\notepad.exe", REG_EXPAND_SZ);
    EXPECT_EQ(shell.regRead(name + L"\\shell\\open\\command\\"), command);
    EXPECT_EQ(shell.regRead(name + L"\\Bezeichnung"), L"Größe");
    EXPECT_EQ(shell.regRead(name + L"\\Pfad"), L"C:\\windows\\notepad.exe");
    // "shell" is a key, not a value of the ProgID, and has no default value
    // (it was made on the way); a name with a trailing blank is another key.
    EXPECT_THROW(shell.regRead(name + L"\\shell"), PlatformError);
    EXPECT_THROW(shell.regRead(name + L"\\shell\\"), PlatformError);
    EXPECT_THROW(shell.regRead(name + L"\\shell\\open\\command \\"), PlatformError);
}

// Opening a document through its association is the e2e road's (the quick-start page).
TEST_F(WinShellTest, RunStartsProgramsWithTheirParametersAndWaitsForTheExitCode) {
    // exit_with writes its file last, after a pause: it is there once the wait has ended.
    EXPECT_EQ(shell.Run(exitWith + L" 7 300 " + (temp / L"fertig.txt"), WindowStyle::Hidden, true),
              7u);
    EXPECT_TRUE(PathExists(temp / L"fertig.txt"));
    EXPECT_THROW(shell.Run(QuoteArgument(temp / L"setup.exe"), WindowStyle::Hidden, true),
                 PlatformError);

    const std::wstring started = temp / L"gestartet.txt";
    shell.Run(exitWith + L" 0 0 " + QuoteArgument(started) + L" \"zwei Wörter\"");
    EXPECT_EQ(Text::FromUtf8(AwaitFileBytes(started)), L"0\n" + started + L"\nzwei Wörter\n");
    EXPECT_THROW(shell.Run(QuoteArgument(temp / L"Schnellstart.html")), PlatformError);
}

// The wizard watches the archive program between its window's messages.
TEST_F(WinShellTest, StartedProgramIsWatchedWithoutKeepingAMessageWaiting) {
    const std::wstring done = temp / L"fertig.txt";
    auto program = shell.Start(exitWith + L" 7 8000 " + QuoteArgument(done), WindowStyle::Hidden);
    // A message in the queue ends the look at once, seconds before the
    // program ends (exit_with writes its file at its very end).
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0);
    EXPECT_FALSE(program->Ended(120000));
    EXPECT_FALSE(PathExists(done));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE));
    int looks = 0;
    while (!program->Ended(100) && ++looks < 3000) {  // the cap only guards against a hang
    }
    EXPECT_EQ(program->ExitCode(), 7u);
    EXPECT_TRUE(PathExists(done));
    EXPECT_THROW(shell.Start(QuoteArgument(temp / L"setup.exe"), WindowStyle::Hidden),
                 PlatformError);
}

// Nothing the wizard writes may leave the sandbox: wineboot once linked these
// folders to the home folder, and the runner replaces those links.
TEST_F(WinShellTest, SpecialFoldersAreRealFoldersInsideTheSandbox) {
    for (const wchar_t* folderName : {L"desktop", L"StartMenu", L"Programs"}) {
        const std::wstring folder = shell.SpecialFolders(folderName);
        EXPECT_EQ(folder.rfind(L"C:\\", 0), 0u) << Narrow(folder);  // drive_c of the prefix
        for (std::wstring level = folder; level.size() > 3; level.resize(level.rfind(L'\\'))) {
            EXPECT_EQ(::GetFileAttributesW(level.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u)
                << Narrow(level);
        }
    }
    EXPECT_THROW(shell.SpecialFolders(L"Favoriten"), PlatformError);
}

TEST_F(WinShellTest, ShortcutMayPointAheadOfItsTargetAndIsReplacedByTheNext) {
    const auto readLink = [](const std::wstring& path) {
        ComInit com;
        ComPtr<IShellLinkW> link;
        ComPtr<IPersistFile> file;
        wchar_t target[MAX_PATH] = {}, arguments[1024] = {};
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                           link.put_void());
        link->QueryInterface(IID_IPersistFile, file.put_void());
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->GetArguments(arguments, 1024);
        }
        return Text::ToLower(target) + L"|" + arguments;
    };
    // Start-menu entries are made before the program files are moved into place.
    const std::wstring linkPath = temp / L"Zelbar.lnk";
    const std::wstring arguments = L"\"C:\\Zelbar\\ZelbarProg.mdb\" /user UserZelbar";
    auto first = shell.CreateShortcut(linkPath);
    first->TargetPath = temp / L"Zelbar\\Update.exe";
    first->Arguments = arguments;
    first->Save();
    EXPECT_EQ(readLink(linkPath), Text::ToLower(temp / L"Zelbar\\Update.exe") + L"|" + arguments);
    auto second = shell.CreateShortcut(linkPath);
    second->TargetPath = FixtureExe(L"fixture_access");
    second->Save();
    EXPECT_EQ(readLink(linkPath), Text::ToLower(FixtureExe(L"fixture_access")) + L"|");
    EXPECT_THROW(shell.CreateShortcut(temp / L"Zelbar.txt"), PlatformError);
}

}  // namespace
