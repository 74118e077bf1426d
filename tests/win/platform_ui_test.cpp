// WinUi, its input box and GdiTextMeasure against Wine's user32, shell, registry and locale;
// StartFolder, SaveSetting and an opened link are the e2e road's (settings.ini found, the
// folder saved, page 1's link and the quick-start page opened).
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "FakeClock.h"
#include "platform/Clock_win.h"
#include "support/TestSupport.h"
#include "ui/InputBox_win.h"
#include "ui/TextMeasure_win.h"
#include "ui/Ui_win.h"

using namespace wintest;

namespace {

class WinUiTest : public ::testing::Test {
protected:
    FakeClock clock;
    WinUi ui{clock};
    UniqueWindow main{::CreateWindowExW(0, L"STATIC", L"Zelbar-Setup",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                        nullptr, nullptr, nullptr)};
};

// Another program's window, in front while the test thread shows its boxes.
class OtherProgram {
public:
    OtherProgram()
        : thread_([this] {
              UniqueWindow window(::CreateWindowExW(0, L"STATIC", L"Anderes Programm",
                                                    WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                                                    200, nullptr, nullptr, nullptr, nullptr));
              ::SetForegroundWindow(window.get());
              id_ = ::GetCurrentThreadId();
              window_ = window.get();
              MSG msg;
              while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
          }) {
        PollUntil([this] { return window_.load() != nullptr; });
    }
    ~OtherProgram() {
        ::PostThreadMessageW(id_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND window() const { return window_; }

private:
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> id_{0};
    std::thread thread_;
};

// The answering threads check the dialogs while the test thread shows them.
TEST_F(WinUiTest, MsgBoxIsOwnedByTheWizardWhicheverWindowIsInFront) {
    const std::wstring question = L"Möchten Sie Zelbar-Setup wirklich beenden?";
    struct Case {
        const char* name;
        bool otherInFront;
        bool dialogOpen;  // the wizard shows a dialog of its own, as the folder chooser
    };
    for (const Case& c :
         {Case{"the wizard in front", false, false}, Case{"another program in front", true, false},
          Case{"its dialog open, another program in front", true, true}}) {
        UniqueWindow dialog;
        if (c.dialogOpen) {
            dialog.reset(::CreateWindowExW(0, L"STATIC", L"Ordner", WS_POPUP | WS_VISIBLE, 60, 60,
                                           200, 100, main.get(), nullptr, nullptr, nullptr));
            ::EnableWindow(main.get(), FALSE);
        }
        ::SetActiveWindow(c.dialogOpen ? dialog.get() : main.get());
        std::optional<OtherProgram> other;
        if (c.otherInFront) {
            other.emplace();
            // Wine under load may take a moment to hand over the activation.
            PumpUntil([] { return ::GetActiveWindow() == nullptr; });
            ASSERT_EQ(::GetActiveWindow(), nullptr) << c.name;
        }
        const HWND owner = c.dialogOpen ? dialog.get() : main.get();
        DialogAnswerer answer(L"Zelbar Setup", [&](HWND box) {
            EXPECT_NE(FindChildByText(box, question), nullptr) << c.name;
            EXPECT_EQ(::GetWindow(box, GW_OWNER), owner) << c.name;
            ::PostMessageW(box, WM_COMMAND, IDYES, 0);
        });
        EXPECT_EQ(ui.MsgBox(question, MsgYesNoQuestion), MsgBoxResult::Yes) << c.name;
        ::EnableWindow(main.get(), TRUE);
    }
}

TEST_F(WinUiTest, InputBoxMakesRoomForALongPromptAndGivesEmptyTextWhenCancelled) {
    std::wstring prompt = L"Neuen Ordner erstellen in: C:\\";
    for (int i = 0; i < 12; ++i) prompt += L"Ein ziemlich langer Ordnername\\";
    DialogAnswerer typed(L"Ordner erstellen", [&](HWND box) {
        RECT shown = {}, edit = {}, client = {};
        ::GetWindowRect(::GetDlgItem(box, InputBox::kPromptId), &shown);
        ::GetWindowRect(::GetDlgItem(box, InputBox::kEditId), &edit);
        ::GetClientRect(box, &client);
        ::MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
        EXPECT_EQ(WindowText(::GetDlgItem(box, InputBox::kPromptId)), prompt);
        EXPECT_GT(shown.bottom - shown.top, 100);  // grown beyond the standard four lines
        EXPECT_GT(edit.top, shown.bottom);
        EXPECT_LE(edit.bottom, client.bottom);
        ::SetDlgItemTextW(box, InputBox::kEditId, L"Neuer Ordner ä");
        ClickButton(box, L"OK");
    });
    EXPECT_EQ(ui.InputBox(prompt, L"Ordner erstellen"), L"Neuer Ordner ä");

    DialogAnswerer cancelled(L"Ordner erstellen", [&](HWND box) {
        ::SetDlgItemTextW(box, InputBox::kEditId, L"verworfen");
        ClickButton(box, L"Abbrechen");
    });
    EXPECT_EQ(ui.InputBox(L"Name:", L"Ordner erstellen"), L"");
    EXPECT_TRUE(cancelled.answered());
}

TEST_F(WinUiTest, DoEventsLooksAtTheQueueOncePerIntervalAndLeavesQuitForTheMainLoop) {
    MSG msg;
    const auto waiting = [&] { return ::PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_NOREMOVE); };
    ui.DoEvents();  // the first look of this object
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0);
    clock.Advance(WinUi::kPumpIntervalMs - 1);
    ui.DoEvents();
    EXPECT_TRUE(waiting());
    clock.Advance(1);
    ui.DoEvents();
    EXPECT_FALSE(waiting());

    clock.Advance(WinUi::kPumpIntervalMs);
    ::PostQuitMessage(5);
    ui.DoEvents();
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

// The real clock: only how the pause ends is checked, never how long it took.
TEST_F(WinUiTest, PauseHandlesTheWindowsMessagesAndEndsAtAQuit) {
    WinUi paced(SystemClock());
    ::PostMessageW(main.get(), WM_APP, 0, 0);
    paced.Pause(50);
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, main.get(), WM_APP, WM_APP, PM_NOREMOVE));

    ::PostQuitMessage(3);
    paced.Pause(600000);  // returns at the quit, long before this
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(WinUiTest, FoldersCursorDecimalSeparatorAndUnknownSchemesComeFromTheSystem) {
    TempFolder temp;
    ui.MkDir(temp / L"Neu");
    EXPECT_TRUE(PathExists(temp / L"Neu"));
    EXPECT_TRUE(ui.ShowHandCursor());
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(ui.DecimalSeparator(), L",");
    EXPECT_THROW(ui.OpenUrl(L"zelbartest-unbekannt:hallo"), PlatformError);
}

TEST_F(WinUiTest, TextIsMeasuredInTwipsOfTheWindowsFont) {
    UniqueFont small(
        ::CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    UniqueFont large(
        ::CreateFontW(-26, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    GdiTextMeasure smallText(main.get(), small.get());
    GdiTextMeasure largeText(main.get(), large.get());
    const int twipsPerPixel = 1440 / 96;  // Wine's display
    const std::wstring text = L"Bitte wählen Sie einen Ordner";
    const int width = smallText.TextWidth(text);
    EXPECT_EQ(width % twipsPerPixel, 0);
    EXPECT_GT(largeText.TextWidth(text), width * 3 / 2);
    EXPECT_GE(smallText.TextHeight(), 13 * twipsPerPixel);
    EXPECT_GT(largeText.TextHeight(), smallText.TextHeight() * 3 / 2);
}

}  // namespace
