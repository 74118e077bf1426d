// The two progress bars and the demonstration window Form1 in real windows
// under Wine (96 DPI): what the screen shows of picture and rectangle, what a
// write repaints, the one yield per write of value and the refused writes.
// The width arithmetic itself is host-tested (progress_width_test).
// Screenshots of a picture bar at half way and of Form1 are kept for a human.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "AssetIds.h"
#include "FakeUi.h"
#include "platform/Handles_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/Text.h"
#include "support/TestSupport.h"
#include "widgets/Form1_win.h"

// After <windows.h>, which it needs.
#include <commctrl.h>

using namespace wintest;

namespace {

// The progress picture (206 x 24 pixels) at its own size.
constexpr TwipsRect kImageBarRect{240, 240, 3090, 360};
constexpr TwipsRect kPlainBarRect{240, 840, 1000, 255};
const COLORREF kButtonFace = ::GetSysColor(COLOR_BTNFACE);

// Yields handle the real window messages unless a test wants to see what is
// left to paint; waits are only added up.
class CountingUi : public FakeUi {
public:
    CountingUi() {
        onDoEvents = [] { PumpPendingMessages(); };
    }
};

// A plain window for the bars, with a 3000 x 300 picture control "P" to hand over.
class Host : public Window {
public:
    Host() {
        CreateTopLevel(L"Fortschrittsbalken", 3570, 1740, WS_OVERLAPPED | WS_CAPTION);
        P = &Add<Picture>({ControlKind::Image, nullptr, {240, 1200, 3000, 300}});
        ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    }
    Picture* P;
};

std::string Size(const Control& control) {
    return std::to_string(control.Width()) + "x" + std::to_string(control.Height());
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// What of a window is still to be painted, in the client coordinates of `bar`.
std::string ToPaint(HWND window, HWND bar) {
    RECT r{};
    if (!::GetUpdateRect(window, &r, FALSE)) return "nothing";
    ::MapWindowPoints(window, bar, reinterpret_cast<POINT*>(&r), 2);
    return Describe(r);
}

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

// The same row of a picture resource, covered in the button face up to pixel `coveredUpTo`.
std::vector<COLORREF> CoveredRow(int pictureId, int y, int coveredUpTo) {
    UniqueBitmap picture(LoadPictureResource(pictureId));
    BITMAP bm{};
    ::GetObjectW(picture.get(), sizeof bm, &bm);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, picture.get());
    std::vector<COLORREF> row;
    for (int x = 0; x < bm.bmWidth; ++x) {
        row.push_back(x < coveredUpTo ? kButtonFace : ::GetPixel(dc, x, y));
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return row;
}

int positionChanges = 0;
LRESULT CALLBACK CountPositionChanges(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR) {
    if (msg == WM_WINDOWPOSCHANGING) ++positionChanges;
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

class ProgressBarsTest : public ::testing::Test {
protected:
    void SetUp() override {
        image = std::make_unique<ImageProgressBar>(host.hwnd(), kImageBarRect, ui);
        image->BgImage().SetPicture(LoadPictureResource(IDB_PROGRESS_BG));
        plain = std::make_unique<ProgressBar>(host.hwnd(), kPlainBarRect, ui);
        ::RedrawWindow(host.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        PumpPendingMessages();
    }

    // The lower, darker band of the picture bar on screen, and that band of
    // the picture covered up to the given share of its 206 pixels.
    std::vector<COLORREF> Shown() { return ScreenRow(image->hwnd(), 20); }
    static std::vector<COLORREF> CoveredTo(double share) {
        return CoveredRow(IDB_PROGRESS_BG, 20, static_cast<int>(std::lround(share * 206)));
    }

    CountingUi ui;
    Host host;
    std::unique_ptr<ImageProgressBar> image;
    std::unique_ptr<ProgressBar> plain;
};

TEST_F(ProgressBarsTest, ThePictureIsUncoveredFromTheRightAsTheValueGrows) {
    EXPECT_EQ(image->Max(), 100);
    EXPECT_EQ(Shown(), CoveredTo(1));
    image->value(50);
    EXPECT_EQ(Shown(), CoveredTo(0.5));
    SaveScreenshot(host.hwnd(), L"image_progress_bar_50");
    image->value(100);
    EXPECT_EQ(Shown(), CoveredTo(0));
    image->Reset();
    EXPECT_EQ(image->value(), 0);
    EXPECT_EQ(Shown(), CoveredTo(1));
}

TEST_F(ProgressBarsTest, APictureControlGivesACopyOfItsPictureAndItsSize) {
    Picture& p = *host.P;
    p.SetPicture(LoadPictureResource(IDB_FORM1_IMAGE));
    image->value(50);
    image->BgImage(p);
    EXPECT_EQ(Size(image->BgImage()), "3000x300");
    EXPECT_EQ(Size(image->StatusBar()), "3000x300");
    EXPECT_EQ(image->Rect().width, kImageBarRect.width);
    EXPECT_NE(image->BgImage().Bitmap(), p.Bitmap());
    EXPECT_EQ(image->BgImage().PictureSize().cx, 320);
    EXPECT_EQ(p.PictureSize().cx, 320);
    // The next value is a share of the control's own width again.
    image->value(25);
    EXPECT_EQ(Size(image->StatusBar()), "2318x300");
}

TEST_F(ProgressBarsTest, ColorTextCoversInThatColourAndARefusedTextKeepsIt) {
    EXPECT_EQ(image->Color(), Text::FromInt(kButtonFace));
    image->Color(L"255");
    EXPECT_EQ(Shown().front(), RGB(255, 0, 0));
    EXPECT_THROW(image->Color(L"rot"), std::invalid_argument);
    EXPECT_THROW(image->Color(L"83886080"), std::invalid_argument);  // neither RGB nor system
    EXPECT_EQ(image->Color(), L"255");
    EXPECT_EQ(image->StatusBar().FillColor(), RGB(255, 0, 0));
    // 0x80000002: the system colour of the active title bar, read back as written.
    image->Color(L"-2147483646");
    EXPECT_EQ(image->Color(), L"-2147483646");
    EXPECT_EQ(image->StatusBar().FillColor(), ::GetSysColor(COLOR_ACTIVECAPTION));
}

TEST_F(ProgressBarsTest, ThePlainBarGrowsFromTheLeftAndANewMaxWaitsForTheNextValue) {
    const COLORREF caption = ::GetSysColor(COLOR_ACTIVECAPTION);
    ASSERT_NE(caption, kButtonFace);
    EXPECT_EQ(plain->Max(), 100);
    plain->value(50);
    std::vector<COLORREF> expected(67, kButtonFace);  // 1000 twips
    std::fill(expected.begin(), expected.begin() + 33, caption);
    EXPECT_EQ(ScreenRow(plain->hwnd(), 8), expected);

    plain->Max(3);
    EXPECT_EQ(Size(plain->StatusBar()), "500x255");
    plain->value(1);
    EXPECT_EQ(Size(plain->StatusBar()), "333x255");
}

TEST_F(ProgressBarsTest, EveryWriteOfValueYieldsOnceAndARefusedOneKeepsTheDrawing) {
    EXPECT_EQ(ui.doEventsCalls, 0) << "a new bar draws itself without yielding";
    image->value(40);
    plain->value(50);
    image->Reset();
    image->value(40);
    image->Color(image->Color());
    image->Max(50);
    EXPECT_EQ(ui.doEventsCalls, 4);

    image->Max(0);
    EXPECT_THROW(image->value(30), std::domain_error);
    EXPECT_EQ(image->value(), 30);
    image->Max(100);
    EXPECT_THROW(image->value(101), std::invalid_argument);
    EXPECT_EQ(image->value(), 101);
    EXPECT_EQ(Shown(), CoveredRow(IDB_PROGRESS_BG, 20, 124)) << "picture still 40% uncovered";
    EXPECT_THROW(plain->value(-1), std::invalid_argument);
    EXPECT_EQ(plain->value(), -1);
    plain->Max(0);
    EXPECT_THROW(plain->value(10), std::domain_error);
    EXPECT_EQ(Size(plain->StatusBar()), "500x255");
    EXPECT_EQ(ui.doEventsCalls, 4) << "a refused write ends before the yield";
}

TEST_F(ProgressBarsTest, AWriteTouchesNoMoreThanTheStripThatChanged) {
    ui.onDoEvents = nullptr;
    const HWND bar = image->hwnd(), picture = image->BgImage().hwnd();
    const HWND cover = image->StatusBar().hwnd();
    // A parent may be asked for the same strip; its children clip it away.
    const auto expectOnly = [&](HWND mustPaint, HWND other, const RECT& strip) {
        EXPECT_EQ(ToPaint(mustPaint, bar), Describe(strip));
        EXPECT_EQ(ToPaint(other, bar), "nothing");
        for (HWND parent : {bar, host.hwnd()}) {
            const std::string toPaint = ToPaint(parent, bar);
            EXPECT_TRUE(toPaint == "nothing" || toPaint == Describe(strip)) << toPaint;
        }
        PumpPendingMessages();
    };
    image->value(25);  // shrinking uncovers a strip of the picture
    expectOnly(picture, cover, {155, 0, 206, 24});
    image->value(10);  // growing paints the rectangle's new strip only
    expectOnly(cover, picture, {155, 0, 185, 24});

    // A tenth of a twip per step: 1545 and 1544 twips are both pixel 103.
    image->Max(30000);
    image->value(15000);
    ::SetWindowSubclass(cover, &CountPositionChanges, 1, 0);
    positionChanges = 0;
    image->value(15010);
    EXPECT_EQ(positionChanges, 0);
    image->value(15200);
    EXPECT_GE(positionChanges, 1) << "the count sees a write that moves the edge";
    ::RemoveWindowSubclass(cover, &CountPositionChanges, 1);
}

TEST(Form1Test, Command1CountsBothBarsUpToOneHundred) {
    CountingUi ui;
    Form1 form(ui);
    ImageProgressBar& image = form.ImageProgressBar1();
    ProgressBar& plain = form.ProgressBar1();
    // Loaded: a copy of Image1's picture, still covered at the bar's own size.
    EXPECT_NE(image.BgImage().Bitmap(), nullptr);
    EXPECT_NE(image.BgImage().Bitmap(), form.Image1.Bitmap());
    EXPECT_EQ(image.StatusBar().Width(), image.Rect().width);
    form.SetVisible(true);

    ClickButton(form.hwnd(), L"Command1");
    PumpPendingMessages();
    EXPECT_EQ(ui.sleptMilliseconds, 101u * 30);
    EXPECT_EQ(ui.doEventsCalls, 202);
    EXPECT_EQ(image.value(), 100);
    EXPECT_EQ(plain.value(), 100);
    EXPECT_EQ(ScreenRow(image.hwnd(), 12), CoveredRow(IDB_FORM1_IMAGE, 12, 0));
    EXPECT_EQ(plain.StatusBar().Width(), plain.Rect().width);
    SaveScreenshot(form.hwnd(), L"form1_100");
}

}  // namespace
