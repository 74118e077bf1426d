#include "widgets/ImageProgressBar_win.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "platform/Text.h"
#include "widgets/ProgressWidth.h"

namespace {

const wchar_t kBackgroundImage[] = L"BackgroundImage";
const wchar_t kStatusBar[] = L"StatusBar";

// A whole number in decimal, blanks around it allowed; nothing else.
std::int32_t ParseColor(const std::wstring& text) {
    const std::wstring s = Text::TrimBlanks(text);
    std::size_t i = (!s.empty() && (s[0] == L'-' || s[0] == L'+')) ? 1 : 0;
    if (i == s.size()) throw std::invalid_argument("Typen unverträglich: keine Farbzahl.");
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < L'0' || s[i] > L'9') {
            throw std::invalid_argument("Typen unverträglich: keine Farbzahl.");
        }
        value = value * 10 + (s[i] - L'0');
        if (value > 0x80000000LL) throw std::out_of_range("Überlauf: die Farbzahl ist zu groß.");
    }
    if (s[0] == L'-') value = -value;
    if (value > INT32_MAX || value < INT32_MIN) {
        throw std::out_of_range("Überlauf: die Farbzahl ist zu groß.");
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

ImageProgressBar::ImageProgressBar(HWND parent, const TwipsRect& rect, Ui& ui) : ui_(ui) {
    CreateChild(parent, rect, true);
    const TwipsRect whole{0, 0, rect.width, rect.height};
    // Created first, the rectangle lies above the picture.
    Control& bar = Add({kStatusBar, ControlKind::FilledRect, nullptr, whole});
    Add({kBackgroundImage, ControlKind::Image, nullptr, whole});
    bar.BringToFront();
    bar.SetFillColor(::GetSysColor(COLOR_BTNFACE));
    Max(100);
    value(0);
}

Control& ImageProgressBar::BgImage() const { return (*this)[kBackgroundImage]; }
Control& ImageProgressBar::StatusBar() const { return (*this)[kStatusBar]; }

void ImageProgressBar::value(short v) {
    value_ = v;
    // Whole twips: at 96 DPI a pixel is 15 of them, so the rectangle still
    // moves by every pixel the fraction reaches.
    const double width = ProgressWidth::CoverWidth(v, max_, Rect().width);
    StatusBar().SetWidth(static_cast<int>(std::lround(width)));
    ui_.DoEvents();
}

void ImageProgressBar::BgImage(const Control& picture) {
    Control& image = BgImage();
    HBITMAP copy = picture.Picture() ? static_cast<HBITMAP>(::CopyImage(
                                           picture.Picture(), IMAGE_BITMAP, 0, 0, 0))
                                     : nullptr;
    image.SetPicture(copy);
    image.Move({0, 0, picture.Width(), picture.Height()});
    StatusBar().Move({0, 0, picture.Width(), picture.Height()});
}

std::wstring ImageProgressBar::Color() const {
    return Text::FromInt(static_cast<std::int32_t>(StatusBar().FillColor()));
}

void ImageProgressBar::Color(const std::wstring& text) {
    StatusBar().SetFillColor(static_cast<COLORREF>(ParseColor(text)));
}

void ImageProgressBar::OnVisibleChanged(bool visible) {
    if (!visible) return;
    // Shown, the picture is fully covered until the next value arrives.
    StatusBar().Move({0, 0, Rect().width, Rect().height});
}
