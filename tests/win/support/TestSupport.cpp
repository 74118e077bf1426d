#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/Handles_win.h"
#include "platform/Text.h"
#include "ui/MessageLoop_win.h"

namespace wintest {
namespace {

std::runtime_error Failure(const std::wstring& what) {
    return std::runtime_error(Text::ToUtf8(what) + " (Windows error " +
                              std::to_string(::GetLastError()) + ")");
}

// Other test programs may show a window of the same title at the same time.
HWND WaitForWindow(const std::wstring& title) {
    HWND found = nullptr;
    PollUntil([&] {
        for (found = nullptr;
             (found = ::FindWindowExW(nullptr, found, nullptr, title.c_str())) != nullptr;) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(found, &process);
            if (process == ::GetCurrentProcessId() && ::IsWindowVisible(found)) return true;
        }
        return false;
    });
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
            unsigned long type) {
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    if (::RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(),
                          valueName.empty() ? nullptr : valueName.c_str(), type, data.c_str(),
                          bytes) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot write HKCR\\" + Text::ToUtf8(key));
    }
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

HangGuard::HangGuard(std::string what)
    : watcher_([left = left_.get_future(), what = std::move(what)] {
          if (left.wait_for(std::chrono::milliseconds(kHangCapMs)) == std::future_status::ready) {
              return;
          }
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

void ClickButton(HWND dialog, const std::wstring& caption) {
    HWND button = FindChildByText(dialog, caption);
    if (button == nullptr) throw Failure(L"no button " + caption);
    // Posted, as a real click is: the dialog's own thread handles it.
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

DialogAnswerer::DialogAnswerer(std::wstring title, std::function<void(HWND)> action)
    : thread_([this, title = std::move(title), action = std::move(action)] {
          HWND window = WaitForWindow(title);
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

}  // namespace wintest
