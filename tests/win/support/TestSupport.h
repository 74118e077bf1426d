#pragma once
// Helpers of the tests that run under Wine. Registry contents come from the
// prefix's reg.exe, never from the code under test. A helper that cannot do its
// job throws std::runtime_error, so that a broken set-up fails the test.
#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "TempFolder.h"
#include "platform/Handles_win.h"
#include "platform/PlatformError.h"

// RegDeleteTree below is ours; tests that need the API call RegDeleteTreeW.
#undef RegDeleteTree

namespace wintest {

// "/work/main/build" → "Z:\work\main\build".
std::wstring WinPath(const std::string& unixPath);
// The fixture program <name>.exe, which the build puts into tests/fixtures/<name>/.
std::wstring FixtureExe(const std::wstring& name);

// Starts the command line; the process handle, to wait for or let go.
UniqueKernelHandle StartProcess(std::wstring commandLine, unsigned long flags = 0);
// Removes a file or folder tree, read-only entries included; a missing path is fine.
void RemoveTree(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool PathExists(const std::wstring& path);

// The PlatformError that the call throws; a failed expectation when it throws none.
PlatformError ErrorOf(const std::function<void()>& call);

// Quotes one argument so that the C runtime's argument splitting gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);

// `key` is a full key name ("HKCR\Foo"); an empty `valueName` sets the default value.
void RegAdd(const std::wstring& key, const std::wstring& valueName, const std::wstring& data,
            const std::wstring& type = L"REG_SZ");
// Deletes the key with everything below it; returns false when there was nothing to delete.
bool RegDeleteTree(const std::wstring& key);

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
    explicit HangGuard(std::string what, unsigned capMs = kHangCapMs);
    ~HangGuard();

private:
    std::promise<void> left_;
    std::thread watcher_;
};

std::wstring WindowText(HWND window);
// The child window of `parent` whose text is `text` (such as a button caption).
HWND FindChildByText(HWND parent, const std::wstring& text);
// Presses a dialog button by its caption, as a click would.
void ClickButton(HWND dialog, const std::wstring& caption);

// Waits on a helper thread for this process's window titled `title` and runs
// the action with it, while the test thread shows that window modally.
class DialogAnswerer {
public:
    DialogAnswerer(std::wstring title, std::function<void(HWND)> action,
                   unsigned capMs = kHangCapMs);
    ~DialogAnswerer();
    // Whether the window appeared and the action ran.
    bool answered() const { return answered_; }

private:
    std::atomic<bool> answered_{false};
    std::thread thread_;
};

// The window as the screen shows it, in ZELBAR_BINARY_DIR/screenshots/<name>.bmp; returns the path.
std::wstring SaveScreenshot(HWND window, const std::wstring& name);

std::string Narrow(const std::wstring& text);

}  // namespace wintest
