#include "ui/Ui_win.h"

#include <vector>

#include "platform/Clock_win.h"
#include "platform/Handles_win.h"
#include "ui/Controls_win.h"
#include "ui/InputBox_win.h"
#include "ui/MessageLoop_win.h"

#include <shellapi.h>

namespace {

const wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

BOOL CALLBACK TakeUnownedWindow(HWND window, LPARAM found) {
    if (!::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) != nullptr) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The taskbar button blinks until the user brings the wizard to the front.
void AttractAttention(HWND owner) {
    const HWND front = ::GetForegroundWindow();
    if (owner == nullptr || (front != nullptr && ::GetWindowThreadProcessId(front, nullptr) ==
                                                     ::GetCurrentThreadId())) {
        return;
    }
    FLASHWINFO flash = {sizeof flash, ::GetAncestor(owner, GA_ROOTOWNER),
                        FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    ::FlashWindowEx(&flash);
}

}  // namespace

HWND WizardDialogOwner() {
    // The thread's active window is none while another program is in front;
    // a box without owner would then leave the wizard clickable behind it.
    if (const HWND active = ::GetActiveWindow()) return active;
    HWND wizard = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), TakeUnownedWindow,
                        reinterpret_cast<LPARAM>(&wizard));
    // A dialog of the wizard that is open (the folder chooser) owns it in turn.
    return wizard == nullptr ? nullptr : ::GetLastActivePopup(wizard);
}

WinUi::WinUi() : WinUi(SystemClock()) {}

WinUi::WinUi(const Clock& clock) : clock_(clock) {}

MsgBoxResult WinUi::MsgBox(const std::wstring& text, unsigned style, const std::wstring& title) {
    Control::ShowWaitingTexts();
    const HWND owner = WizardDialogOwner();
    AttractAttention(owner);
    const int answer = ::MessageBoxW(owner, text.c_str(), title.c_str(), style);
    if (answer == 0) ThrowLastError(L"Die Meldung konnte nicht angezeigt werden: " + text);
    return static_cast<MsgBoxResult>(answer);
}

std::wstring WinUi::InputBox(const std::wstring& prompt, const std::wstring& title) {
    Control::ShowWaitingTexts();
    return ::InputBox::Show(WizardDialogOwner(), prompt, title);
}

void WinUi::MkDir(const std::wstring& path) {
    if (!::CreateDirectoryW(path.c_str(), nullptr)) {
        ThrowLastError(L"Der Ordner konnte nicht erstellt werden: " + path);
    }
}

void WinUi::DoEvents() {
    // Called twice per downloaded chunk of 4 KiB, tens of thousands of times
    // a second on a fast line. Under Wine one look at the queue costs about
    // 50 us and the repaint it then brings about far more, which alone would
    // cap a download at a few MiB/s. Looking every few milliseconds keeps the
    // window as responsive as anyone can tell and costs next to nothing.
    const std::uint64_t now = clock_.NowMs();
    if (lastLook_ && now - *lastLook_ < kPumpIntervalMs) return;
    lastLook_ = now;
    if (HIWORD(::GetQueueStatus(QS_ALLINPUT)) == 0) return;
    PumpPendingMessages();
}

void WinUi::Sleep(unsigned milliseconds) {
    Control::ShowWaitingTexts();
    ::Sleep(milliseconds);
}

void WinUi::Pause(unsigned milliseconds) {
    const std::uint64_t end = clock_.NowMs() + milliseconds;
    for (std::uint64_t now = clock_.NowMs(); now < end; now = clock_.NowMs()) {
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now),
                                                         QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_FAILED) ThrowLastError(L"Das Warten ist fehlgeschlagen.");
        // A WM_QUIT stays posted for the main loop; the pause just ends.
        if (woke == WAIT_OBJECT_0 && !PumpPendingMessages()) return;
    }
}

bool WinUi::ShowHandCursor() {
    HCURSOR hand = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
    if (hand == nullptr) return false;
    ::SetCursor(hand);
    return true;
}

void WinUi::OpenUrl(const std::wstring& url) {
    ComInit com;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = url.c_str();
    info.nShow = SW_SHOWNORMAL;
    ::SetLastError(ERROR_SUCCESS);
    if (!::ShellExecuteExW(&info)) {
        const DWORD error = ::GetLastError();
        ThrowError(error != ERROR_SUCCESS ? error : ERROR_NO_ASSOCIATION,
                   L"Die Adresse konnte nicht geöffnet werden: " + url);
    }
}

void WinUi::SaveSetting(const std::wstring& app, const std::wstring& section,
                        const std::wstring& key, const std::wstring& value) {
    const std::wstring subKey = kSettingsRoot + app + L"\\" + section;
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LSTATUS status = ::RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), key.c_str(), REG_SZ,
                                             value.c_str(), bytes);
    if (status != ERROR_SUCCESS) {
        ThrowError(static_cast<unsigned long>(status),
                   L"Die Einstellung konnte nicht gespeichert werden: " + app + L"\\" + section +
                       L"\\" + key);
    }
}

std::wstring WinUi::StartFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) ThrowLastError(L"Der Programmordner konnte nicht ermittelt werden");
        if (length < buffer.size()) {
            const std::wstring path(buffer.data(), length);
            const auto slash = path.find_last_of(L'\\');
            return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

LocalTime WinUi::Now() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    LocalTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    return time;
}

std::wstring WinUi::DecimalSeparator() {
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) == 0) {
        ThrowLastError(L"Das Dezimaltrennzeichen konnte nicht ermittelt werden");
    }
    return separator;
}
