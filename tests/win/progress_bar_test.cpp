// The two progress bars and the demonstration window Form1 in real windows
// under Wine (96 DPI): what the screen shows of picture and rectangle. The
// width arithmetic and the colour texts are host-tested (progress_width_test).
// Screenshots of a picture bar at half way and of Form1 are kept for a human.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "AssetIds.h"
#include "platform/Handles_win.h"
#include "platform/MessageLoop_win.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"
#include "widgets/Form1_win.h"

using namespace wintest;

namespace {

const COLORREF kButtonFace = ::GetSysColor(COLOR_BTNFACE);

// A plain window with the progress picture (206 x 24 pixels) at its own size,
// to hand over to a bar as page 2 does.
class Host : public Window {
public:
    Host() {
        CreateTopLevel(L"Fortschrittsbalken", 3570, 1740, WS_OVERLAPPED | WS_CAPTION);
        picture = &Add<Picture>({ControlKind::Image, nullptr, {240, 1200, 3090, 360}});
        picture->SetPicture(LoadPictureResource(IDB_PROGRESS_BG));
        ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    }
    Picture* picture;
};

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

// The same row of a picture resource, covered in `cover` up to pixel `coveredUpTo`.
std::vector<COLORREF> CoveredRow(int pictureId, int y, int coveredUpTo,
                                 COLORREF cover = kButtonFace) {
    UniqueBitmap picture(LoadPictureResource(pictureId));
    BITMAP bm{};
    ::GetObjectW(picture.get(), sizeof bm, &bm);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, picture.get());
    std::vector<COLORREF> row;
    for (int x = 0; x < bm.bmWidth; ++x)
        row.push_back(x < coveredUpTo ? cover : ::GetPixel(dc, x, y));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return row;
}

TEST(ProgressBarsTest, PictureIsUncoveredFromTheRightInItsColourAndThePlainBarGrowsFromTheLeft) {
    PumpingFakeUi ui;
    Host host;
    ImageProgressBar image(host.hwnd(), {240, 240, 3090, 360}, ui);
    image.BgImage(*host.picture);
    ProgressBar plain(host.hwnd(), {240, 840, 1000, 255}, ui);
    ::RedrawWindow(host.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    // The lower, darker band of the picture.
    const auto shown = [&] { return ScreenRow(image.hwnd(), 20); };
    EXPECT_EQ(shown(), CoveredRow(IDB_PROGRESS_BG, 20, 206));
    image.value(50);
    EXPECT_EQ(shown(), CoveredRow(IDB_PROGRESS_BG, 20, 103));
    SaveScreenshot(host.hwnd(), L"image_progress_bar_50");
    image.Color(L"255");
    EXPECT_EQ(shown(), CoveredRow(IDB_PROGRESS_BG, 20, 103, RGB(255, 0, 0)));
    image.value(100);
    EXPECT_EQ(shown(), CoveredRow(IDB_PROGRESS_BG, 20, 0));
    // A number that is neither a colour nor a system colour is refused by the system.
    EXPECT_THROW(image.Color(L"83886080"), std::invalid_argument);
    EXPECT_EQ(image.Color(), L"255");
    image.Color(L"-2147483646");  // 0x80000002: the colour of the active title bar
    EXPECT_EQ(image.StatusBar().FillColor(), ::GetSysColor(COLOR_ACTIVECAPTION));

    plain.value(50);
    std::vector<COLORREF> expected(67, kButtonFace);  // 1000 twips
    std::fill(expected.begin(), expected.begin() + 33, ::GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(ScreenRow(plain.hwnd(), 8), expected);
}

TEST(Form1Test, Command1FillsBothBarsUntilTheWholePictureShows) {
    PumpingFakeUi ui;
    Form1 form(ui);
    form.SetVisible(true);
    ClickButton(form.hwnd(), L"Command1");
    PumpPendingMessages();
    EXPECT_EQ(form.ImageProgressBar1().value(), 100);
    EXPECT_EQ(ScreenRow(form.ImageProgressBar1().hwnd(), 12), CoveredRow(IDB_FORM1_IMAGE, 12, 0));
    EXPECT_EQ(form.ProgressBar1().StatusBar().Width(), form.ProgressBar1().Rect().width);
    SaveScreenshot(form.hwnd(), L"form1_100");
}

}  // namespace
