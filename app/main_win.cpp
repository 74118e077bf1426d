#include "platform/WinApi.h"

#include <commctrl.h>

#include <cstdlib>

#include "app/MainForm_win.h"
#include "download/UserControlDownloadProgram_win.h"
#include "finish/UserControlShortcuts_win.h"
#include "net/TransferControl_win.h"
#include "platform/ArchiveTrust_win.h"
#include "platform/Clock_win.h"
#include "platform/FileSystem_win.h"
#include "platform/Handles_win.h"
#include "platform/OsInfo_win.h"
#include "platform/PlatformError.h"
#include "platform/Shell_win.h"
#include "syscheck/UserControlStartPage_win.h"
#include "ui/MessageLoop_win.h"
#include "ui/Ui_win.h"

#ifdef __GLIBCXX__
// libstdc++'s default terminate handler prints the exception's demangled type
// to a console this program does not have, and its demangler alone is a
// twelfth of the shipped file. Every handler of ours catches what it can, so
// ending here is what std::terminate() does anyway: abort.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx
#endif

namespace {

// Held while a wizard runs in this session: a second one would download and
// move files into the same folder.
constexpr wchar_t kRunningWizard[] = L"Local\\ZelbarSetup.Wizard.2f61c0d4";
// Marks the running wizard's window, so another start finds it among all windows.
constexpr wchar_t kWizardMark[] = L"ZelbarSetup.Wizard.2f61c0d4";

BOOL CALLBACK TakeMarkedWindow(HWND window, LPARAM found) {
    if (::GetPropW(window, kWizardMark) == nullptr) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Brings the running wizard to the front, restored if minimised, with the
// dialog it has open on top.
void ShowRunningWizard() {
    // It may be starting right now; a short wait for its window, capped.
    for (int tries = 0; tries < 100; ++tries) {
        HWND wizard = nullptr;
        ::EnumWindows(TakeMarkedWindow, reinterpret_cast<LPARAM>(&wizard));
        if (wizard != nullptr) {
            if (::IsIconic(wizard)) ::ShowWindow(wizard, SW_RESTORE);
            ::SetForegroundWindow(::GetLastActivePopup(wizard));
            return;
        }
        ::Sleep(50);
    }
}

WizardPages MakePages(MainForm& form, TransferControl& oInet) {
    WizardPages pages;
    pages.startPage = std::make_unique<UserControlStartPage>(form.hwnd(), MainForm::kStartPageRect,
                                                             form, form.platform());
    pages.downloadPage = std::make_unique<UserControlDownloadProgram>(
        form.hwnd(), MainForm::kDownloadPageRect, form, form.platform(), oInet);
    pages.finishPage = std::make_unique<UserControlShortcuts>(
        form.hwnd(), MainForm::kFinishPageRect, form, form.platform());
    return pages;
}

int RunWizard() {
    WinFileSystem fs;
    WinShell shell;
    WmiOsInfo os;
    WinUi ui(SystemClock());
    WinArchiveTrust trust(ZELBAR_ARCHIVE_SIGNER);
    const Platform platform{fs, shell, os, ui, trust};

    // Created before the window and ended after it: no transfer outlives the wizard.
    WinInetTransferControl oInet;
    MainForm form(platform, [&oInet](MainForm& f) { return MakePages(f, oInet); });
    ::SetPropW(form.hwnd(), kWizardMark, form.hwnd());
    form.Load();
    if (form.Closed()) return 0;
    form.Show();
    return RunMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // First of all: no DLL from the program's folder, which is often
    // Downloads. Every DLL that is no KnownDLL is delay-loaded, so it is
    // looked for only from here on (CMakeLists.txt, cmake/DelayLoad.cmake).
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The same DLLs loaded from there now, so that a system DLL that pulls one
    // of them in by a load of its own finds it loaded; a missing one shows
    // itself where it is used.
    for (const wchar_t* dll : {ZELBAR_SYSTEM_DLLS}) {
        ::LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    const UniqueKernelHandle running(::CreateMutexW(nullptr, FALSE, kRunningWizard));
    if (running && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowRunningWizard();
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ComInit com;
    try {
        return RunWizard();
    } catch (const PlatformError& e) {
        ::MessageBoxW(nullptr, e.message().c_str(), kAppTitle, MB_OK | MB_ICONERROR);
    } catch (const std::exception&) {
        ::MessageBoxW(nullptr, L"Das Setup konnte nicht gestartet werden.", kAppTitle,
                      MB_OK | MB_ICONERROR);
    }
    return 1;
}
