#include "widgets/ProgressBar_win.h"

#include "widgets/BarDrawing_win.h"
#include "widgets/ProgressWidth.h"

ProgressBar::ProgressBar(HWND parent, const TwipsRect& rect, Ui& ui) : ui_(ui) {
    CreateChild(parent, rect, true);
    statusBar_ = &Add<Picture>({ControlKind::FilledRect, nullptr, {0, 0, 0, rect.height}});
    statusBar_->SetFillColor(::GetSysColor(COLOR_ACTIVECAPTION));
    // The empty bar at value 0 is drawn above already. Unlike a later write
    // of value this does not yield: a yield from here would hand messages to
    // a parent that is still being built.
}

void ProgressBar::value(short v) {
    value_ = v;
    SetBar(PlainBarWidth(v, max_, Rect().width));
    ui_.DoEvents();
}

void ProgressBar::SetBar(int twips) {
    barTwips_ = twips;
    SetBarWidth(*statusBar_, twips);
}

void ProgressBar::ApplyDpi(UINT dpi) {
    Window::ApplyDpi(dpi);
    SetBar(barTwips_);
}

void ProgressBar::OnVisibleChanged(bool visible) {
    if (!visible) return;
    statusBar_->SetHeight(Rect().height);
    // Shown again, the bar takes the stored value itself as its width in
    // twips, as it always has; the next write of value brings back the
    // share of the width. A negative width the rectangle would refuse.
    if (value_ >= 0) SetBar(value_);
}
