#pragma once
// Helpers of the tests that run under Wine; the registry is written through the API itself,
// never through the code under test. A helper that cannot do its job throws
// std::runtime_error, so that a broken set-up fails the test.
#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "TempFolder.h"
#include "platform/Handles_win.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"

namespace wintest {

// "/work/main/build" → "Z:\work\main\build".
std::wstring WinPath(const std::string& unixPath);
// The fixture program <name>.exe, which the build puts into tests/fixtures/<name>/.
std::wstring FixtureExe(const std::wstring& name);

void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool PathExists(const std::wstring& path);

// The PlatformError that the call throws; a failed expectation when it throws none.
PlatformError ErrorOf(const std::function<void()>& call);

// Quotes one argument so that the C runtime's argument splitting gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);

// `key` lies below HKEY_CLASSES_ROOT; an empty `valueName` sets the default value.
void RegAdd(const std::wstring& key, const std::wstring& valueName, const std::wstring& data,
            unsigned long type = REG_SZ);

// Long enough for anything on a busy machine: reaching it means a hang.
constexpr unsigned kHangCapMs = 60000;
// Waits until `done` holds, handling the thread's messages only when asked to
// (helper threads must not); false only when the cap ran out.
bool PollUntil(const std::function<bool()>& done, unsigned capMs = kHangCapMs, bool pump = false);
inline bool PumpUntil(const std::function<bool()>& done, unsigned capMs = kHangCapMs) {
    return PollUntil(done, capMs, true);
}
// The content of a file that another program writes and closes, once it has closed it.
std::string AwaitFileBytes(const std::wstring& path);

// Ends the test program when the scope outlasts the cap, which nothing else could interrupt.
class HangGuard {
public:
    explicit HangGuard(std::string what);
    ~HangGuard();

private:
    std::promise<void> left_;
    std::thread watcher_;
};

std::wstring WindowText(HWND window);
inline HWND FindChildByText(HWND parent, const std::wstring& text) {
    return ::FindWindowExW(parent, nullptr, nullptr, text.c_str());
}
// Presses a dialog button by its caption, as a click would.
void ClickButton(HWND dialog, const std::wstring& caption);

// Waits on a helper thread for this process's window titled `title` and runs
// the action with it, while the test thread shows that window modally.
class DialogAnswerer {
public:
    DialogAnswerer(std::wstring title, std::function<void(HWND)> action);
    ~DialogAnswerer();
    // Whether the window appeared and the action ran.
    bool answered() const { return answered_; }

private:
    std::atomic<bool> answered_{false};
    std::thread thread_;
};

inline std::string Narrow(const std::wstring& text) {
    return Text::ToUtf8(text);
}

}  // namespace wintest
