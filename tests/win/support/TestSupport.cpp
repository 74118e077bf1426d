#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/Handles_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/Text.h"
#include "support/Screenshot.h"

namespace wintest {
namespace {

std::runtime_error Failure(const std::wstring& what) {
    return std::runtime_error(Text::ToUtf8(what) + " (Windows error " +
                              std::to_string(::GetLastError()) + ")");
}

unsigned long RunReg(const std::wstring& arguments) {
    const UniqueKernelHandle process = StartProcess(L"reg.exe " + arguments, CREATE_NO_WINDOW);
    DWORD exitCode = 0;
    ::WaitForSingleObject(process.get(), INFINITE);
    if (!::GetExitCodeProcess(process.get(), &exitCode)) throw Failure(L"GetExitCodeProcess");
    return exitCode;
}

// Other test programs may show a window of the same title at the same time.
HWND WaitForWindow(const std::wstring& title, unsigned capMs) {
    HWND found = nullptr;
    PollUntil(
        [&] {
            for (found = nullptr;
                 (found = ::FindWindowExW(nullptr, found, nullptr, title.c_str())) != nullptr;) {
                DWORD process = 0;
                ::GetWindowThreadProcessId(found, &process);
                if (process == ::GetCurrentProcessId() && ::IsWindowVisible(found)) return true;
            }
            return false;
        },
        capMs);
    return found;
}

}  // namespace

std::wstring WinPath(const std::string& unixPath) {
    std::wstring path = L"Z:" + Text::FromUtf8(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring FixtureExe(const std::wstring& name) {
    return WinPath(ZELBAR_BINARY_DIR) + L"\\tests\\fixtures\\" + name + L"\\" + name + L".exe";
}

UniqueKernelHandle StartProcess(std::wstring commandLine, unsigned long flags) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                          nullptr, &startup, &info)) {
        throw Failure(L"cannot start " + commandLine);
    }
    UniqueKernelHandle thread(info.hThread);
    return UniqueKernelHandle(info.hProcess);
}

void RemoveTree(const std::wstring& path) {
    if (TempFolder::RemoveAll(path)) throw Failure(L"cannot remove " + path);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw Failure(L"cannot write " + path);
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) throw Failure(L"cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

PlatformError ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const PlatformError& e) {
        return e;
    }
    ADD_FAILURE() << "no PlatformError was thrown";
    return PlatformError(0, L"");
}

bool PathExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        return argument;
    }
    // Backslashes in front of a quote are doubled, and the quote is escaped.
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'"') quoted.append(backslashes + 1, L'\\');
        backslashes = c == L'\\' ? backslashes + 1 : 0;
        quoted.push_back(c);
    }
    return quoted + std::wstring(backslashes, L'\\') + L"\"";
}

void RegAdd(const std::wstring& key, const std::wstring& valueName, const std::wstring& data,
            const std::wstring& type) {
    const std::wstring value =
        valueName.empty() ? std::wstring(L"/ve") : L"/v " + QuoteArgument(valueName);
    const std::wstring arguments = L"add " + QuoteArgument(key) + L" " + value + L" /t " + type +
                                   L" /d " + QuoteArgument(data) + L" /f";
    if (RunReg(arguments) != 0) throw Failure(L"reg " + arguments);
}

bool RegDeleteTree(const std::wstring& key) {
    return RunReg(L"delete " + QuoteArgument(key) + L" /f") == 0;
}

bool PollUntil(const std::function<bool()>& done, unsigned capMs, bool pump) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(capMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, 0);
        if (pump) PumpPendingMessages();
    }
    return true;
}

std::string AwaitFileBytes(const std::wstring& path) {
    // exit_with makes its file empty and fills it as it closes it, just before it ends.
    if (!PollUntil([&] { return std::ifstream(std::filesystem::path(path)).peek() != EOF; })) {
        throw Failure(L"no file " + path);
    }
    return ReadBytes(path);
}

HangGuard::HangGuard(std::string what, unsigned capMs)
    : watcher_([left = left_.get_future(), what = std::move(what), capMs] {
          if (left.wait_for(std::chrono::milliseconds(capMs)) == std::future_status::ready) return;
          std::fprintf(stderr, "hang: %s did not return\n", what.c_str());
          ::TerminateProcess(::GetCurrentProcess(), 3);
      }) {}

HangGuard::~HangGuard() {
    left_.set_value();
    watcher_.join();
}

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    ::GetWindowTextW(window, text, 4096);
    return text;
}

HWND FindChildByText(HWND parent, const std::wstring& text) {
    return ::FindWindowExW(parent, nullptr, nullptr, text.c_str());
}

void ClickButton(HWND dialog, const std::wstring& caption) {
    HWND button = FindChildByText(dialog, caption);
    if (button == nullptr) throw Failure(L"no button " + caption);
    // Posted, as a real click is: the dialog's own thread handles it.
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

DialogAnswerer::DialogAnswerer(std::wstring title, std::function<void(HWND)> action, unsigned capMs)
    : thread_([this, title = std::move(title), action = std::move(action), capMs] {
          HWND window = WaitForWindow(title, capMs);
          if (window == nullptr) return;
          try {
              action(window);
              answered_ = true;
          } catch (...) {
              // A failing action leaves answered() false; the test reports it.
              ::PostMessageW(window, WM_CLOSE, 0, 0);
          }
      }) {}

DialogAnswerer::~DialogAnswerer() {
    if (thread_.joinable()) thread_.join();
}

std::wstring SaveScreenshot(HWND window, const std::wstring& name) {
    const std::wstring folder = WinPath(ZELBAR_BINARY_DIR) + L"\\screenshots";
    ::CreateDirectoryW(folder.c_str(), nullptr);  // the writer reports a missing folder
    const std::wstring path = folder + L"\\" + name + L".bmp";
    ::UpdateWindow(window);
    RECT frame;
    ::GetWindowRect(window, &frame);
    SaveScreenArea(frame, path);
    return path;
}

std::string Narrow(const std::wstring& text) {
    return Text::ToUtf8(text);
}

}  // namespace wintest
