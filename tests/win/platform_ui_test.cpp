// WinUi, its input box and GdiTextMeasure against Wine's user32, shell,
// registry and locale.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <vector>

#include "FakeClock.h"
#include "platform/Handles_win.h"
#include "platform/InputBox_win.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"
#include "platform/TextMeasure_win.h"
#include "platform/Ui_win.h"
#include "platform/Window_win.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

// A plain top-level window of the test thread, counting the WM_APP messages it receives.
class TestWindow : public Window {
public:
    explicit TestWindow(const wchar_t* title, bool visible = true) {
        CreateTopLevel(title, 6000, 4500, WS_OVERLAPPEDWINDOW);
        if (!visible) return;
        ::ShowWindow(hwnd(), SW_SHOW);
        ::SetActiveWindow(hwnd());
    }
    HWND get() const { return hwnd(); }
    static inline int appMessages = 0;

private:
    bool HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg != WM_APP) return false;
        ++appMessages;
        return true;
    }
};

// Presses a dialog button by its command identifier, as a click does.
void Press(HWND box, int id) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

class WinUiTest : public ::testing::Test {
protected:
    WinUi ui;
};

TEST_F(WinUiTest, MsgBoxShowsTextAndButtonsOverTheActiveWindowAndReturnsTheAnswer) {
    TestWindow main(L"Zelbar-Setup");
    const std::wstring question = L"Möchten Sie Zelbar-Setup wirklich beenden?";
    bool textShown = false, hasOk = true;
    HWND owner = nullptr;
    {
        DialogAnswerer answer(L"Zelbar Setup", [&](HWND box) {
            textShown = FindChildByText(box, question) != nullptr;
            hasOk = ::GetDlgItem(box, IDOK) != nullptr;
            owner = ::GetWindow(box, GW_OWNER);
            Press(box, IDYES);
        });
        EXPECT_EQ(ui.MsgBox(question, MsgYesNoQuestion), MsgBoxResult::Yes);
    }
    EXPECT_TRUE(textShown);
    EXPECT_FALSE(hasOk);
    EXPECT_EQ(owner, main.get());

    bool hasYes = true;
    DialogAnswerer answer(L"Hinweis", [&](HWND box) {
        hasYes = ::GetDlgItem(box, IDYES) != nullptr;
        SaveScreenshot(box, L"msgbox_information");
        Press(box, IDOK);
    });
    EXPECT_EQ(
        ui.MsgBox(L"Bitte wählen Sie einen kürzeren Programmpfad!", MsgInformation, L"Hinweis"),
        MsgBoxResult::Ok);
    EXPECT_FALSE(hasYes);
}

TEST_F(WinUiTest, InputBoxMakesRoomForALongPromptAndGivesEmptyTextWhenCancelledOrClosed) {
    TestWindow main(L"Ordner wählen");
    std::wstring prompt = L"Neuen Ordner erstellen in: C:\\";
    for (int i = 0; i < 12; ++i) prompt += L"Ein ziemlich langer Ordnername\\";
    std::wstring shown;
    RECT promptRect = {}, edit = {}, client = {};
    DialogAnswerer typed(L"Ordner erstellen", [&](HWND box) {
        shown = WindowText(::GetDlgItem(box, InputBox::kPromptId));
        ::GetWindowRect(::GetDlgItem(box, InputBox::kPromptId), &promptRect);
        ::GetWindowRect(::GetDlgItem(box, InputBox::kEditId), &edit);
        ::GetClientRect(box, &client);
        ::MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
        ::SetDlgItemTextW(box, InputBox::kEditId, L"Neuer Ordner ä");
        SaveScreenshot(box, L"inputbox_long_prompt");
        ClickButton(box, L"OK");
    });
    EXPECT_EQ(ui.InputBox(prompt, L"Ordner erstellen"), L"Neuer Ordner ä");
    EXPECT_EQ(shown, prompt);
    EXPECT_GT(promptRect.bottom - promptRect.top, 100);  // grown beyond the standard four lines
    EXPECT_GT(edit.top, promptRect.bottom);
    EXPECT_LE(edit.bottom, client.bottom);

    for (const auto& dismiss : std::vector<std::function<void(HWND)>>{
             [](HWND box) { ClickButton(box, L"Abbrechen"); },
             [](HWND box) { ::PostMessageW(box, WM_CLOSE, 0, 0); }}) {
        DialogAnswerer answer(L"Ordner erstellen", [&](HWND box) {
            ::SetDlgItemTextW(box, InputBox::kEditId, L"verworfen");
            dismiss(box);
        });
        EXPECT_EQ(ui.InputBox(L"Neuen Ordner erstellen in: C:\\", L"Ordner erstellen"), L"");
        EXPECT_TRUE(answer.answered());
    }
}

TEST(WinUiDoEventsTest, LooksAtTheQueueOncePerIntervalAndLeavesQuitForTheMainLoop) {
    FakeClock clock;
    WinUi ui(clock);
    TestWindow window(L"Ereignisse", false);
    TestWindow::appMessages = 0;
    for (int i = 0; i < 3; ++i) ::PostMessageW(window.get(), WM_APP, 0, 0);
    ui.DoEvents();  // the first look of this object
    EXPECT_EQ(TestWindow::appMessages, 3);

    // Within the interval after the last look, the message waits.
    ::PostMessageW(window.get(), WM_APP, 0, 0);
    clock.Advance(WinUi::kPumpIntervalMs - 1);
    ui.DoEvents();
    EXPECT_EQ(TestWindow::appMessages, 3);
    clock.Advance(1);
    ui.DoEvents();
    EXPECT_EQ(TestWindow::appMessages, 4);

    clock.Advance(WinUi::kPumpIntervalMs);
    ::PostQuitMessage(5);
    ui.DoEvents();
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(WinUiTest, MkDirMakesOneLevelAndTheHandCursorBecomesCurrent) {
    TempFolder temp;
    ui.MkDir(temp / L"Neu");
    EXPECT_TRUE(PathExists(temp / L"Neu"));
    EXPECT_THROW(ui.MkDir(temp / L"Neu"), PlatformError);
    EXPECT_THROW(ui.MkDir(temp / L"a\\b"), PlatformError);

    TestWindow window(L"Link");
    EXPECT_TRUE(ui.ShowHandCursor());
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(WinUiTest, OpenUrlStartsTheHandlerRegisteredForTheScheme) {
    TempFolder temp;
    const std::wstring scheme = L"zelbartest" + Text::FromInt(::GetCurrentProcessId());
    const std::wstring marker = temp / L"url.txt";
    RegAdd(L"HKCR\\" + scheme, L"", L"URL:Zelbar test");
    RegAdd(L"HKCR\\" + scheme, L"URL Protocol", L"");
    RegAdd(L"HKCR\\" + scheme + L"\\shell\\open\\command", L"",
           QuoteArgument(FixtureExe(L"exit_with")) + L" 0 0 " + QuoteArgument(marker) + L" \"%1\"");
    ui.OpenUrl(scheme + L":hallo");
    const std::string written = AwaitFileBytes(marker);
    RegDeleteTree(L"HKCR\\" + scheme);
    EXPECT_EQ(Text::FromUtf8(written), L"0\n" + marker + L"\n" + scheme + L":hallo\n");
    EXPECT_THROW(ui.OpenUrl(scheme + L"-unbekannt:hallo"), PlatformError);
}

TEST_F(WinUiTest, SaveSettingWritesAndOverwritesTheVbSettingsValue) {
    const std::wstring app = L"Zelbar-Setup-Test" + Text::FromInt(::GetCurrentProcessId());
    const std::wstring key = L"Software\\VB and VBA Program Settings\\" + app + L"\\Optionen";
    const auto read = [&] {
        wchar_t value[MAX_PATH] = {};
        DWORD bytes = sizeof value;
        const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"ZelbarPath",
                                              RRF_RT_REG_SZ, nullptr, value, &bytes);
        return status == ERROR_SUCCESS ? std::wstring(value) : L"<" + Text::FromInt(status) + L">";
    };
    ui.SaveSetting(app, L"Optionen", L"ZelbarPath", L"C:\\Zelbar\\");
    EXPECT_EQ(read(), L"C:\\Zelbar\\");
    ui.SaveSetting(app, L"Optionen", L"ZelbarPath", L"D:\\Programme\\Zelbär\\");
    EXPECT_EQ(read(), L"D:\\Programme\\Zelbär\\");
    EXPECT_TRUE(RegDeleteTree(L"HKCU\\Software\\VB and VBA Program Settings\\" + app));
}

TEST_F(WinUiTest, StartFolderNowAndDecimalSeparatorComeFromTheSystem) {
    const std::wstring folder = ui.StartFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(PathExists(folder + L"\\win_platform_ui_test.exe")) << Narrow(folder);

    const std::time_t before = std::time(nullptr);
    const LocalTime now = ui.Now();
    const std::time_t after = std::time(nullptr);
    std::tm parts = {};
    parts.tm_year = now.year - 1900;
    parts.tm_mon = now.month - 1;
    parts.tm_mday = now.day;
    parts.tm_hour = now.hour;
    parts.tm_min = now.minute;
    parts.tm_sec = now.second;
    parts.tm_isdst = -1;
    const std::time_t seen = std::mktime(&parts);
    EXPECT_LE(before, seen);
    EXPECT_LE(seen, after);

    EXPECT_EQ(ui.DecimalSeparator(), L",");
}

TEST(GdiTextMeasureTest, MeasuresInTwipsOfTheWindowsFont) {
    TestWindow window(L"Messung");
    UniqueFont small(
        ::CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    UniqueFont large(
        ::CreateFontW(-26, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    GdiTextMeasure smallText(window.get(), small.get());
    GdiTextMeasure largeText(window.get(), large.get());
    const int twipsPerPixel = 1440 / 96;  // Wine's display

    const std::wstring text = L"Bitte wählen Sie einen Ordner";
    EXPECT_EQ(smallText.TextWidth(L""), 0);
    const int width = smallText.TextWidth(text);
    EXPECT_GT(width, 0);
    EXPECT_EQ(width % twipsPerPixel, 0) << "pixels times " << twipsPerPixel;
    EXPECT_EQ(smallText.TextWidth(text + text), 2 * width);
    EXPECT_GT(largeText.TextWidth(text), width * 3 / 2);
    // One line of a 13-pixel font is at least 13 pixels high.
    EXPECT_GE(smallText.TextHeight(), 13 * twipsPerPixel);
    EXPECT_GT(largeText.TextHeight(), smallText.TextHeight() * 3 / 2);
}

}  // namespace
