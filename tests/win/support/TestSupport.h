#pragma once
// Helpers shared by every test that runs under Wine (tests/win/*_test.cpp).
//
// - Paths and files: WinPath turns a host path into the Z: form Wine shows
//   for it; FixtureExe finds a fixture program of tests/fixtures; TempFolder
//   (shared with the host tests) gives a fresh folder on the prefix's drive C:.
// - Processes and the registry: RegAdd, RegAddKey and RegDeleteTree run the
//   prefix's own reg.exe, so registry contents are set up the way an
//   administrator (or an installer) would, not through the code under test.
// - Waiting: for an event, never for a time. PumpUntil, PollUntil and
//   AwaitFileBytes wait until something holds; their cap only guards against
//   a hang.
// - Windows: DialogAnswerer and ClickButton drive modal dialogs from a helper
//   thread while the test thread sits in their modal loop; SaveScreenshot
//   keeps a picture of a window for a human to look at.
//
// Everything throws std::runtime_error when the helper itself cannot do its
// job, so that a broken set-up fails the test instead of passing it silently.
#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "TempFolder.h"
#include "platform/PlatformError.h"
#include "platform/WinApi.h"

// The helper below is called RegDeleteTree; the Windows macro of that name
// would turn it into RegDeleteTreeW. Tests that need the API call it as such.
#undef RegDeleteTree

namespace wintest {

// "/work/main/build" → "Z:\work\main\build".
std::wstring WinPath(const std::string& unixPath);
// The folder of the build tree as Wine sees it (ZELBAR_BINARY_DIR).
std::wstring BinaryDir();
// The fixture program <name>.exe, which the build puts into tests/fixtures/<name>/.
std::wstring FixtureExe(const std::wstring& name);

// Removes a file or folder tree, read-only entries included; a missing path is fine.
void RemoveTree(const std::wstring& path);
// Whole-file byte access, independent of the file system object under test.
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool PathExists(const std::wstring& path);

// The PlatformError that the call throws; a failed expectation, and an error
// with code 0, when it throws none.
PlatformError ErrorOf(const std::function<void()>& call);

// Quotes one argument so that the C runtime's argument splitting gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);

// reg.exe of the prefix. `key` is a full key name ("HKCR\Foo\shell", "HKCU\..."),
// an empty `valueName` sets the key's default value. Throws when reg.exe fails.
void RegAdd(const std::wstring& key, const std::wstring& valueName, const std::wstring& data,
            const std::wstring& type = L"REG_SZ");
// Creates the key without any value, not even an empty default value.
void RegAddKey(const std::wstring& key);
// Deletes the key with everything below it; returns false when there was nothing to delete.
bool RegDeleteTree(const std::wstring& key);

// Long enough for anything a test waits for on a busy machine: reaching it
// means a hang, never a slow run.
constexpr unsigned kHangCapMs = 60000;
// Handles the thread's messages until `done` holds; false only when the cap ran out.
bool PumpUntil(const std::function<bool()>& done, unsigned capMs = kHangCapMs);
// The same without handling messages, for helper threads.
bool PollUntil(const std::function<bool()>& done, unsigned capMs = kHangCapMs);
// The content of a file that another program writes and closes, once it has
// closed it; throws when that does not happen within the cap.
std::string AwaitFileBytes(const std::wstring& path);

// Ends the test program with a message when the scope lasts longer than the
// cap: for calls that must return by themselves, where nothing else could
// interrupt a hang.
class HangGuard {
public:
    explicit HangGuard(std::string what, unsigned capMs = kHangCapMs);
    ~HangGuard();

private:
    std::promise<void> left_;
    std::thread watcher_;
};

// A visible top-level window of this process with exactly this title;
// nullptr when none appears within the cap.
HWND WaitForWindow(const std::wstring& title, unsigned capMs = kHangCapMs);
std::wstring WindowText(HWND window);
// The first child window of `parent` whose text is `text` (such as a button caption).
HWND FindChildByText(HWND parent, const std::wstring& text);
// Presses a dialog button by its caption, as a click would.
void ClickButton(HWND dialog, const std::wstring& caption);

// Waits on a helper thread for the window titled `title` and then runs the
// action with it, while the test thread shows that window modally. The
// destructor waits for the helper to finish.
class DialogAnswerer {
public:
    DialogAnswerer(std::wstring title, std::function<void(HWND)> action,
                   unsigned capMs = kHangCapMs);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Whether the window appeared and the action ran.
    bool answered() const { return answered_; }

private:
    std::atomic<bool> answered_{false};
    std::thread thread_;
};

// Writes what the screen shows of the window (frame included) as a 24-bit
// .bmp file into ZELBAR_BINARY_DIR/screenshots/<name>.bmp; returns its path.
std::wstring SaveScreenshot(HWND window, const std::wstring& name);

// The text as UTF-8, for messages of failed expectations.
std::string Narrow(const std::wstring& text);

}  // namespace wintest
