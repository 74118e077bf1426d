#pragma once
#include "platform/Ui.h"
#include "platform/Window_win.h"

// A plain bar in the colour of the active title bar that grows from the
// control's left edge: value / Max of the control's width.
class ProgressBar : public Window {
public:
    ProgressBar(HWND parent, const TwipsRect& rect, Ui& ui);

    short value() const { return value_; }
    // Stores the value, then sizes the bar (throws for Max 0 or a negative
    // width, leaving the drawing as it was) and yields once, so the bar is
    // seen moving while the caller is busy.
    void value(short v);
    short Max() const { return max_; }
    // Takes effect at the next write of value.
    void Max(short m) { max_ = m; }

    Control& StatusBar() const;

protected:
    void OnVisibleChanged(bool visible) override;

private:
    Ui& ui_;
    short max_ = 100;
    short value_ = 0;
};
