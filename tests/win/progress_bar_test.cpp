// The two progress bars in the demonstration window Form1, a real window under Wine (96 DPI):
// what the screen shows of picture and rectangle. The width arithmetic and the colour texts
// are host-tested (progress_width_test).
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "AssetIds.h"
#include "FakeClock.h"
#include "platform/Handles_win.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"
#include "ui/MessageLoop_win.h"
#include "widgets/Form1_win.h"

// After the program's own headers, which tame the system headers' macros.
#include <commctrl.h>

using namespace wintest;

namespace {

const COLORREF kButtonFace = ::GetSysColor(COLOR_BTNFACE);
const COLORREF kTitleBar = ::GetSysColor(COLOR_ACTIVECAPTION);

// One row of pixels of a window as the screen shows it.
std::vector<COLORREF> ScreenRow(HWND window, int y) {
    PumpPendingMessages();
    RECT r;
    ::GetWindowRect(window, &r);
    HDC screen = ::GetDC(nullptr);
    std::vector<COLORREF> row;
    for (int x = r.left; x < r.right; ++x) row.push_back(::GetPixel(screen, x, r.top + y));
    ::ReleaseDC(nullptr, screen);
    return row;
}

// Row 12 of Form1's picture (320 pixels wide), covered in `cover` up to pixel `coveredUpTo`.
std::vector<COLORREF> PictureRow(int coveredUpTo, COLORREF cover = kButtonFace) {
    UniqueBitmap picture(LoadPictureResource(IDB_FORM1_IMAGE));
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, picture.get());
    std::vector<COLORREF> row;
    for (int x = 0; x < 320; ++x) row.push_back(x < coveredUpTo ? cover : ::GetPixel(dc, x, 12));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return row;
}

TEST(ProgressBarsTest, PictureIsUncoveredFromTheRightInItsColourAndThePlainBarGrowsFromTheLeft) {
    PumpingFakeUi ui;
    Form1 form(ui);
    form.SetVisible(true);
    ImageProgressBar& image = form.ImageProgressBar1();
    const auto shown = [&] { return ScreenRow(image.hwnd(), 12); };
    const auto plainShown = [&] { return ScreenRow(form.ProgressBar1().hwnd(), 8); };
    EXPECT_EQ(shown(), PictureRow(320));  // loaded with Image1's picture, still covered
    image.value(50);
    EXPECT_EQ(shown(), PictureRow(160));
    image.Color(L"255");
    EXPECT_EQ(shown(), PictureRow(160, RGB(255, 0, 0)));
    // A number that is neither a colour nor a system colour is refused by the system.
    EXPECT_THROW(image.Color(L"83886080"), std::invalid_argument);
    image.Color(L"-2147483646");  // 0x80000002: the colour of the active title bar
    EXPECT_EQ(image.StatusBar().FillColor(), kTitleBar);
    form.ProgressBar1().value(50);
    std::vector<COLORREF> half(320, kButtonFace);
    std::fill(half.begin(), half.begin() + 160, kTitleBar);
    EXPECT_EQ(plainShown(), half);

    // Command1 counts both bars up to 100, waiting before each step.
    ClickButton(form.hwnd(), L"Command1");
    PumpPendingMessages();
    EXPECT_EQ(ui.sleptMilliseconds, 101u * 30);
    EXPECT_EQ(shown(), PictureRow(0));
    EXPECT_EQ(plainShown(), std::vector<COLORREF>(320, kTitleBar));
}

TEST(ProgressBarsTest, ThePictureCoverMovesAtMostOncePerIntervalAndAtOnceAtItsEnds) {
    PumpingFakeUi ui;
    FakeClock clock;
    Form1 form(ui);
    ImageProgressBar bar(form.hwnd(), TwipsRect{0, 0, 3000, 300}, ui, clock);
    const auto cover = [&] { return bar.StatusBar().Width(); };
    // The progress control beneath the picture, as a screen reader reads it, shows what the cover
    // shows.
    const auto position = [&] { return ::SendMessageW(bar.PositionControl(), PBM_GETPOS, 0, 0); };
    const int whole = cover();
    EXPECT_EQ(position(), 0);
    bar.value(10);
    const int atTen = cover();
    EXPECT_LT(atTen, whole);
    EXPECT_EQ(position(), 10);
    // Too soon: the system's timer may fire, but the program's clock says wait.
    bar.value(20);
    PumpPendingMessages();
    EXPECT_EQ(cover(), atTen);
    EXPECT_EQ(position(), 10);
    clock.Advance(ImageProgressBar::kMoveIntervalMs);
    EXPECT_TRUE(PumpUntil([&] { return cover() < atTen; }));
    EXPECT_EQ(position(), 20);
    bar.value(0);
    EXPECT_EQ(cover(), whole);
    EXPECT_EQ(position(), 0);
    bar.value(100);
    EXPECT_LT(cover(), atTen);
    EXPECT_EQ(position(), 100);
    // Hidden beneath the picture: what a sighted user sees does not change.
    RECT r;
    ::GetWindowRect(bar.PositionControl(), &r);
    POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ScreenToClient(bar.hwnd(), &middle);
    EXPECT_NE(::ChildWindowFromPointEx(bar.hwnd(), middle, CWP_SKIPINVISIBLE),
              bar.PositionControl());
}

}  // namespace
