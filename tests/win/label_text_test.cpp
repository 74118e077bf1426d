// How labels pass their texts to the window system under Wine: a text set
// right after another one waits for its turn, the latest one always arrives
// (through the message loop, or before the UI thread blocks), and the
// program's own Caption() never lags. Other controls show every text at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Controls_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/Shell_win.h"
#include "platform/Ui_win.h"
#include "platform/Window_win.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

class Host : public Window {
public:
    Host() {
        CreateTopLevel(L"Beschriftungen", 4000, 1500, WS_OVERLAPPED | WS_CAPTION);
        label_ = &Add<Label>({ControlKind::Label, L"", {120, 120, 3600, 255}});
        button_ = &Add<Button>({ControlKind::Button, L"", {120, 600, 1200, 375}, 1});
        ::ShowWindow(hwnd(), SW_SHOWNA);
        PumpPendingMessages();
    }
    Label& label() { return *label_; }
    Button& button() { return *button_; }

private:
    Label* label_;
    Button* button_;
};

// Handles messages until the label's window shows `text`, for at most two seconds.
bool WindowShowsSoon(const Control& control, const std::wstring& text) {
    for (int i = 0; i < 200; ++i) {
        if (WindowText(control.hwnd()) == text) return true;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, 0);
        PumpPendingMessages();
    }
    return WindowText(control.hwnd()) == text;
}

}  // namespace

TEST(LabelTextTest, RapidTextsWaitAndTheLatestArrivesThroughTheMessageLoop) {
    Host host;
    Control& label = host.label();
    label.SetCaption(L"1,5 MB von 9 MB");
    EXPECT_EQ(WindowText(label.hwnd()), L"1,5 MB von 9 MB");

    // Thousands of texts in a row, as a fast download sets them: the window
    // gets none of them at once, the program sees each.
    for (int i = 0; i < 2000; ++i) {
        label.SetCaption(std::to_wstring(i) + L" KB von 9 MB");
        ASSERT_EQ(label.Caption(), std::to_wstring(i) + L" KB von 9 MB");
    }
    EXPECT_EQ(WindowText(label.hwnd()), L"1,5 MB von 9 MB");
    EXPECT_TRUE(WindowShowsSoon(label, L"1999 KB von 9 MB"));

    // Once its turn has come, the next text is shown at once again.
    ::Sleep(Control::kTextIntervalMs + 10);
    label.SetCaption(L"Fertig.");
    EXPECT_EQ(WindowText(label.hwnd()), L"Fertig.");
}

TEST(LabelTextTest, WaitingTextIsShownBeforeTheUiThreadBlocks) {
    Host host;
    Control& label = host.label();
    WinUi ui;
    WinShell shell;
    const std::wstring waitFor = QuoteArgument(FixtureExe(L"exit_with")) + L" 0";

    label.SetCaption(L"Alle Dateien heruntergeladen.");
    label.SetCaption(L"Entpacke Dateien ...");
    ASSERT_EQ(WindowText(label.hwnd()), L"Alle Dateien heruntergeladen.");
    // No message is handled while the unpack program runs.
    shell.Run(waitFor, WindowStyle::Hidden, true);
    EXPECT_EQ(WindowText(label.hwnd()), L"Entpacke Dateien ...");

    label.SetCaption(L"a");
    label.SetCaption(L"b");
    ui.Sleep(1);
    EXPECT_EQ(WindowText(label.hwnd()), L"b");

    // Nothing waits any more: the timer that was due finds nothing to do.
    EXPECT_TRUE(WindowShowsSoon(label, L"b"));
}

TEST(LabelTextTest, ButtonsShowEveryTextAtOnce) {
    Host host;
    Control& button = host.button();
    button.SetCaption(L"Weiter >");
    button.SetCaption(L"Fertig stellen");
    EXPECT_EQ(WindowText(button.hwnd()), L"Fertig stellen");
}

TEST(LabelTextTest, LabelWithOwnLineBreaksDropsAnOlderWaitingText) {
    Host host;
    Control& label = host.label();
    label.SetCaption(L"erste");
    label.SetCaption(L"zweite");  // waits
    label.SetCaption(L"Ein langer Text", L"Ein langer\r\nText");
    EXPECT_EQ(WindowText(label.hwnd()), L"Ein langer\r\nText");
    // The dropped text must not come back later through its timer.
    ::Sleep(Control::kTextIntervalMs + 10);
    PumpPendingMessages();
    EXPECT_EQ(WindowText(label.hwnd()), L"Ein langer\r\nText");
    EXPECT_EQ(label.Caption(), L"Ein langer Text");
}

TEST(LabelTextTest, DestroyedLabelLeavesNothingWaiting) {
    {
        Host host;
        host.label().SetCaption(L"x");
        host.label().SetCaption(L"y");  // waits when the window goes
    }
    // Neither the flush before blocking nor a late timer may touch it.
    Control::ShowWaitingTexts();
    ::Sleep(Control::kTextIntervalMs + 10);
    EXPECT_TRUE(PumpPendingMessages());
}
