#include "widgets/ImageProgressBar_win.h"

#include <commctrl.h>
#include <ole2.h>
#include <olectl.h>

#include <stdexcept>

#include "widgets/BarDrawing_win.h"
#include "widgets/ColorText.h"
#include "widgets/ProgressWidth.h"

namespace {

constexpr UINT_PTR kMoveTimerId = 1;
// The system-colour form of the colour names a system colour in its low byte.
constexpr std::int32_t kSystemColorForm = static_cast<std::int32_t>(0x80000000u);
constexpr std::int32_t kButtonFace = kSystemColorForm | COLOR_BTNFACE;

// A system colour stays one, so the cover follows a change of the colour scheme.
COLORREF DrawnColor(std::int32_t color) {
    COLORREF drawn = 0;
    if (FAILED(::OleTranslateColor(static_cast<OLE_COLOR>(color), nullptr, &drawn))) {
        throw std::invalid_argument("Ungültiger Eigenschaftswert: keine Farbe.");
    }
    if ((color & kSystemColorForm) != 0) return SystemColor(color & 0xFF);
    return drawn;
}

}  // namespace

ImageProgressBar::ImageProgressBar(HWND parent, const TwipsRect& rect, Ui& ui, const Clock& clock)
    : Window(clock), ui_(ui), clock_(clock), color_(kButtonFace), coverWidth_(rect.width) {
    CreateChild(parent, rect, true);
    const TwipsRect whole{0, 0, rect.width, rect.height};
    backgroundImage_ = &Add<Picture>({ControlKind::Image, nullptr, whole});
    statusBar_ = &Add<Picture>({ControlKind::FilledRect, nullptr, whole});
    // A new child window goes beneath the ones made before it; the rectangle
    // has to lie above the picture it covers.
    statusBar_->BringToFront();
    statusBar_->SetFillColor(DrawnColor(color_));
    ::SetWindowTextW(hwnd(), L"Fortschritt");
    backgroundImage_->SetAccessibleName(L"Fortschrittsbild");
    statusBar_->SetAccessibleName(L"Abdeckung des Fortschrittsbilds");
    // The progress as screen readers and other programs read it: the system's
    // own control, beneath the picture and its cover, which hide it.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    position_ = &Add<Control>({ControlKind::Custom, L"Fortschritt", whole}, PROGRESS_CLASSW);
    ::SendMessageW(position_->hwnd(), PBM_SETRANGE32, 0, max_);
    // Value 0 is drawn above already: the whole control covered. Unlike a
    // later write of value this does not yield: a yield from here would hand
    // messages to a parent that is still being built.
}

void ImageProgressBar::value(short v) {
    value_ = v;
    const double width = CoverWidth(v, max_, Rect().width);
    const std::uint64_t now = clock_.NowMs();
    // The start and the end of a progress are never left waiting.
    if (v == 0 || v == max_ || !lastMove_ || now - *lastMove_ >= kMoveIntervalMs) {
        lastMove_ = now;
        SetCover(width);
        ShowPosition();
    } else {
        // Kept for the move when it is due; a change of DPI shows it at once.
        coverWidth_ = width;
        if (!moveWaiting_) {
            moveWaiting_ =
                ::SetTimer(hwnd(), kMoveTimerId,
                           static_cast<UINT>(kMoveIntervalMs - (now - *lastMove_)), nullptr) != 0;
            if (!moveWaiting_) SetCover(width);
        }
    }
    ui_.DoEvents();
}

bool ImageProgressBar::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != WM_TIMER || wParam != kMoveTimerId) {
        return Window::HandleMessage(msg, wParam, lParam, result);
    }
    MoveCoverWhenDue();
    result = 0;
    return true;
}

void ImageProgressBar::MoveCoverWhenDue() {
    // The program's clock has the last word, not the system's timer.
    const std::uint64_t now = clock_.NowMs();
    const std::uint64_t since = now - lastMove_.value_or(now);
    if (since < kMoveIntervalMs) {
        ::SetTimer(hwnd(), kMoveTimerId, static_cast<UINT>(kMoveIntervalMs - since), nullptr);
        return;
    }
    ::KillTimer(hwnd(), kMoveTimerId);
    moveWaiting_ = false;
    lastMove_ = now;
    SetCover(coverWidth_);
    ShowPosition();
}

void ImageProgressBar::ShowPosition() {
    if (max_ <= 0 || value_ < 0 || value_ > max_) return;
    ::SendMessageW(position_->hwnd(), PBM_SETRANGE32, 0, max_);
    ::SendMessageW(position_->hwnd(), PBM_SETPOS, static_cast<WPARAM>(value_), 0);
}

void ImageProgressBar::SetCover(double width) {
    // The rectangle holds whole twips; of those, the one that puts the edge
    // on the pixel of the exact width, so the picture is uncovered pixel by
    // pixel as the fraction reaches each one, at any DPI. The exact width is
    // kept for a change of DPI.
    const int twips = TwipsOnPixel(width, dpi());
    coverWidth_ = width;
    SetBarWidth(*statusBar_, twips);
}

void ImageProgressBar::BgImage(const Picture& picture) {
    backgroundImage_->SetPicture(CopyPicture(picture.Bitmap()));
    backgroundImage_->SetWidth(picture.Width());
    backgroundImage_->SetHeight(picture.Height());
    statusBar_->SetHeight(picture.Height());
    position_->SetWidth(picture.Width());
    position_->SetHeight(picture.Height());
    SetCover(picture.Width());
}

std::wstring ImageProgressBar::Color() const {
    return ColorToText(color_);
}

void ImageProgressBar::Color(const std::wstring& text) {
    const std::int32_t color = ColorFromText(text);
    statusBar_->SetFillColor(DrawnColor(color));
    color_ = color;
}

void ImageProgressBar::ApplyDpi(UINT dpi) {
    Window::ApplyDpi(dpi);
    SetCover(coverWidth_);
}

void ImageProgressBar::OnVisibleChanged(bool visible) {
    if (!visible) return;
    // Shown, the picture is fully covered until the next value arrives.
    statusBar_->SetHeight(Rect().height);
    SetCover(Rect().width);
}
