#include "widgets/ProgressBar_win.h"

#include <stdexcept>

#include "widgets/ProgressWidth.h"

namespace {

const wchar_t kStatusBar[] = L"StatusBar";

}  // namespace

ProgressBar::ProgressBar(HWND parent, const TwipsRect& rect, Ui& ui) : ui_(ui) {
    CreateChild(parent, rect, true);
    Control& bar = Add({kStatusBar, ControlKind::FilledRect, nullptr, {0, 0, 0, rect.height}});
    bar.SetFillColor(::GetSysColor(COLOR_ACTIVECAPTION));
    Max(100);
    value(0);
}

Control& ProgressBar::StatusBar() const { return (*this)[kStatusBar]; }

void ProgressBar::value(short v) {
    value_ = v;
    StatusBar().SetWidth(ProgressWidth::PlainBarWidth(v, max_, Rect().width));
    ui_.DoEvents();
}

void ProgressBar::OnVisibleChanged(bool visible) {
    if (!visible) return;
    Control& bar = StatusBar();
    bar.SetHeight(Rect().height);
    // The bar shows the stored value's share of the width. (Taking the value
    // itself as a width, as the bar once did, drew 50 twips for half way.)
    try {
        bar.SetWidth(ProgressWidth::PlainBarWidth(value_, max_, Rect().width));
    } catch (const std::exception&) {
        // A value the bar cannot draw keeps the drawing it has.
    }
}
