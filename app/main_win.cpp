#include "platform/WinApi.h"

#include <commctrl.h>

#include <cstdlib>

#include "app/MainForm_win.h"
#include "download/UserControlDownloadProgram_win.h"
#include "finish/UserControlShortcuts_win.h"
#include "platform/ArchiveTrust_win.h"
#include "platform/Clock_win.h"
#include "platform/FileSystem_win.h"
#include "platform/Handles_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/OsInfo_win.h"
#include "platform/PlatformError.h"
#include "platform/Shell_win.h"
#include "platform/TransferControl_win.h"
#include "platform/Ui_win.h"
#include "syscheck/UserControlStartPage_win.h"

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
    form.Load();
    if (form.Closed()) return 0;
    form.Show();
    return RunMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
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
