#include "support/TestSupport.h"

#include <chrono>
#include <stdexcept>
#include <vector>

#include "platform/MessageLoop_win.h"
#include "platform/Text.h"
#include "support/Screenshot.h"

namespace wintest {
namespace {

std::runtime_error Failure(const std::wstring& what) {
    return std::runtime_error(Text::ToUtf8(what) + " (Windows error " +
                              std::to_string(::GetLastError()) + ")");
}

struct ProcessHandles {
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
    ~ProcessHandles() {
        if (thread) ::CloseHandle(thread);
        if (process) ::CloseHandle(process);
    }
};

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) throw Failure(L"GetSystemDirectoryW");
    return std::wstring(buffer, length);
}

void CreateFolderIfMissing(const std::wstring& path) {
    if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        throw Failure(L"CreateDirectoryW " + path);
    }
}

unsigned long RunReg(const std::wstring& arguments) {
    return RunAndWait(QuoteArgument(SystemFolder() + L"\\reg.exe") + L" " + arguments);
}

}  // namespace

std::wstring WinPath(const std::string& unixPath) {
    std::wstring path = L"Z:" + Text::FromUtf8(unixPath);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

std::wstring BinaryDir() {
    return WinPath(ZELBAR_BINARY_DIR);
}

std::wstring FixtureExe(const std::wstring& name) {
    return BinaryDir() + L"\\tests\\fixtures\\" + name + L"\\" + name + L".exe";
}

void RemoveTree(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        if (!::DeleteFileW(path.c_str())) throw Failure(L"DeleteFileW " + path);
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    if (!::RemoveDirectoryW(path.c_str())) throw Failure(L"RemoveDirectoryW " + path);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw Failure(L"CreateFileW " + path);
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != bytes.size()) throw Failure(L"WriteFile " + path);
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw Failure(L"CreateFileW " + path);
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    ::CloseHandle(file);
    return bytes;
}

bool PathExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        return argument;
    }
    // Backslashes are literal except in front of a quote, where they are
    // doubled; the quote itself is escaped.
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

unsigned long RunAndWait(const std::wstring& commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &info)) {
        throw Failure(L"CreateProcessW " + commandLine);
    }
    ProcessHandles handles{info.hProcess, info.hThread};
    ::WaitForSingleObject(info.hProcess, INFINITE);
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(info.hProcess, &exitCode)) {
        throw Failure(L"GetExitCodeProcess " + commandLine);
    }
    return exitCode;
}

void RegAdd(const std::wstring& key, const std::wstring& valueName, const std::wstring& data,
            const std::wstring& type) {
    const std::wstring value =
        valueName.empty() ? std::wstring(L"/ve") : L"/v " + QuoteArgument(valueName);
    const std::wstring arguments = L"add " + QuoteArgument(key) + L" " + value + L" /t " + type +
                                   L" /d " + QuoteArgument(data) + L" /f";
    if (RunReg(arguments) != 0) throw Failure(L"reg " + arguments);
}

void RegAddKey(const std::wstring& key) {
    // Wine's "reg add KEY" also sets an empty default value; a key made on the
    // way to a child key has none.
    const std::wstring child = key + L"\\ZelbarTestChild";
    const std::wstring arguments = L"add " + QuoteArgument(child) + L" /f";
    if (RunReg(arguments) != 0) throw Failure(L"reg " + arguments);
    if (!RegDeleteTree(child)) throw Failure(L"reg delete " + child);
}

bool RegDeleteTree(const std::wstring& key) {
    return RunReg(L"delete " + QuoteArgument(key) + L" /f") == 0;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = ::GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

bool PumpUntil(const std::function<bool()>& done, unsigned capMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(capMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, 0);
        PumpPendingMessages();
    }
    return true;
}

HWND WaitForWindow(const std::wstring& title, unsigned timeoutMs) {
    struct Search {
        const std::wstring* title;
        HWND found;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        Search search{&title, nullptr};
        ::EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD process = 0;
                ::GetWindowThreadProcessId(window, &process);
                if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
                if (WindowText(window) != *s->title) return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (std::chrono::steady_clock::now() > deadline) return nullptr;
        ::Sleep(50);
    }
}

HWND FindChildByText(HWND parent, const std::wstring& text) {
    struct Search {
        const std::wstring* text;
        HWND found;
    };
    Search search{&text, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (WindowText(window) != *s->text) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ClickButton(HWND dialog, const std::wstring& caption) {
    // A dialog can be found by its title a moment before its buttons exist.
    HWND button = nullptr;
    for (int attempt = 0; attempt < 100 && button == nullptr; ++attempt) {
        button = FindChildByText(dialog, caption);
        if (button == nullptr) ::Sleep(20);
    }
    if (button == nullptr) throw Failure(L"no button " + caption);
    // Posted, as a real click is: the dialog's own thread handles it.
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

DialogAnswerer::DialogAnswerer(std::wstring title, std::function<void(HWND)> action,
                               unsigned timeoutMs)
    : thread_([this, title = std::move(title), action = std::move(action), timeoutMs] {
          HWND window = WaitForWindow(title, timeoutMs);
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
    const std::wstring folder = BinaryDir() + L"\\screenshots";
    CreateFolderIfMissing(folder);
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
