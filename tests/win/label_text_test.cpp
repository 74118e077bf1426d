// How labels pass their texts to the window system under Wine. A fake clock
// decides whether a text comes within the interval after the last one; the
// one-shot timer that then shows the latest text is real, and the tests wait
// for it through the message loop.
#include <gtest/gtest.h>

#include <string>

#include "FakeClock.h"
#include "support/TestSupport.h"
#include "ui/Controls_win.h"
#include "ui/MessageLoop_win.h"
#include "ui/Window_win.h"

using namespace wintest;

namespace {

class Host : public Window {
public:
    explicit Host(const Clock& clock) : Window(clock) {
        CreateTopLevel(L"Beschriftungen", 4000, 1500, WS_OVERLAPPED | WS_CAPTION);
        label = &Add<Label>({ControlKind::Label, L"", {120, 120, 3600, 255}});
        ::ShowWindow(hwnd(), SW_SHOWNA);
        PumpPendingMessages();
    }
    std::wstring Shown() const { return WindowText(label->hwnd()); }
    Label* label;
};

TEST(LabelTextTest, TextWithinTheIntervalWaitsForItsTimerOrABlockingCallAndDiesWithItsWindow) {
    FakeClock clock;
    Host host(clock);
    host.label->SetCaption(L"1,5 MB von 9 MB");
    EXPECT_EQ(host.Shown(), L"1,5 MB von 9 MB");

    // A fast download sets its size line again and again: the window gets none
    // of these texts at once, the program sees each.
    clock.Advance(Control::kTextIntervalMs - 1);
    for (int i = 0; i < 100; ++i) {
        host.label->SetCaption(std::to_wstring(i) + L" KB von 9 MB");
        ASSERT_EQ(host.label->Caption(), std::to_wstring(i) + L" KB von 9 MB");
    }
    EXPECT_EQ(host.Shown(), L"1,5 MB von 9 MB");
    EXPECT_TRUE(PumpUntil([&] { return host.Shown() == L"99 KB von 9 MB"; }));

    // A whole interval after the last text shown, the next one shows at once.
    clock.Advance(Control::kTextIntervalMs);
    host.label->SetCaption(L"Fertig.");
    EXPECT_EQ(host.Shown(), L"Fertig.");
    // A text with its own line breaks shows at once, and drops the one waiting.
    host.label->SetCaption(L"zweite");
    host.label->SetCaption(L"Ein langer Text", L"Ein langer\r\nText");
    Control::ShowWaitingTexts();
    EXPECT_EQ(host.Shown(), L"Ein langer\r\nText");
    EXPECT_EQ(host.label->Caption(), L"Ein langer Text");

    {
        Host gone(clock);
        gone.label->SetCaption(L"x");
        gone.label->SetCaption(L"y");  // waits when the window goes
    }
    // Neither the flush before blocking nor a late timer may touch it.
    Control::ShowWaitingTexts();
    EXPECT_TRUE(PumpPendingMessages());
}

}  // namespace
