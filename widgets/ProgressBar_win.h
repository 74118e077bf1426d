#pragma once
#include "ui/Ui.h"
#include "ui/Window_win.h"

// A plain bar in the colour of the active title bar that grows from the
// control's left edge to value / Max of the control's width. Only the
// demonstration window Form1 shows one.
class ProgressBar : public Window {
public:
    // Starts at Max 100 and value 0: an empty bar.
    ProgressBar(HWND parent, const TwipsRect& rect, Ui& ui);

    short value() const { return value_; }
    // Stores the value, sizes the bar and yields to the event loop once, so
    // that the bar is seen moving while the caller is busy. For Max 0
    // (std::domain_error) or a negative width (std::invalid_argument) the
    // value stays stored, the bar keeps its drawing and nothing is yielded.
    void value(short v);

    short Max() const { return max_; }
    // Takes effect at the next write of value.
    void Max(short m) { max_ = m; }

    // The filled rectangle inside.
    Picture& StatusBar() { return *statusBar_; }

    void ApplyDpi(UINT dpi) override;

protected:
    void OnVisibleChanged(bool visible) override;

private:
    void SetBar(int twips);

    Ui& ui_;
    Picture* statusBar_ = nullptr;
    short max_ = 100;
    short value_ = 0;
    int barTwips_ = 0;  // the width asked of StatusBar, which may keep a near one
};
