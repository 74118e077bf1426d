#pragma once
// Helpers of the tests that run under Wine. Registry contents are set up with
// the prefix's own reg.exe, as an administrator would, never through the code
// under test. Waits are for an event; their cap only guards against a hang.
// A helper that cannot do its job throws std::runtime_error, so that a broken
// set-up fails the test instead of passing it silently.
#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/WinApi.h"

// RegDeleteTree below is ours; tests that need the API call RegDeleteTreeW.
#undef RegDeleteTree

namespace wintest {

// "/work/main/build" → "Z:\work\main\build".
std::wstring WinPath(const std::string& unixPath);
// The fixture program <name>.exe, which the build puts into tests/fixtures/<name>/.
std::wstring FixtureExe(const std::wstring& name);

// Removes a file or folder tree, read-only entries included; a missing path is fine.
void RemoveTree(const std::wstring& path);
// Independent of the file system object under test.
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool PathExists(const std::wstring& path);

// The PlatformError that the call throws; a failed expectation when it throws none.
PlatformError ErrorOf(const std::function<void()>& call);

// Quotes one argument so that the C runtime's argument splitting gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);

// reg.exe of the prefix. `key` is a full key name ("HKCR\Foo\shell", "HKCU\..."),
// an empty `valueName` sets the key's default value. Throws when reg.exe fails.
void RegAdd(const std::wstring& key, const std::wstring& valueName, const std::wstring& data,
            const std::wstring& type = L"REG_SZ");
// Deletes the key with everything below it; returns false when there was nothing to delete.
bool RegDeleteTree(const std::wstring& key);

// Long enough for anything on a busy machine: reaching it means a hang.
constexpr unsigned kHangCapMs = 60000;
// Handles the thread's messages until `done` holds; false only when the cap ran out.
bool PumpUntil(const std::function<bool()>& done, unsigned capMs = kHangCapMs);
// The same without handling messages, for helper threads.
bool PollUntil(const std::function<bool()>& done, unsigned capMs = kHangCapMs);
// The content of a file that another program writes and closes, once it has closed it.
std::string AwaitFileBytes(const std::wstring& path);

// Ends the test program when the scope outlasts the cap: for calls that must
// return by themselves, where nothing else could interrupt a hang.
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

// The text as UTF-8, for messages of failed expectations.
std::string Narrow(const std::wstring& text);

}  // namespace wintest
