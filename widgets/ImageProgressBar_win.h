#pragma once
#include <string>

#include "platform/Ui.h"
#include "platform/Window_win.h"

// A picture that a rectangle in the button-face colour covers from the left
// edge: the rectangle shrinks as the value grows and uncovers the picture
// from its right-hand side. At 0 the picture is hidden, at Max it is whole.
class ImageProgressBar : public Window {
public:
    ImageProgressBar(HWND parent, const TwipsRect& rect, Ui& ui);

    short value() const { return value_; }
    // Stores the value, then sizes the covering rectangle (throws for Max 0
    // or a value above Max, leaving the drawing as it was) and yields once.
    void value(short v);
    short Max() const { return max_; }
    void Max(short m) { max_ = m; }

    // The inner picture itself, so that a caller can give it its picture.
    Control& BgImage() const;
    // Adopts the picture and the size of another picture control; the new
    // picture is fully covered until the next write of value.
    void BgImage(const Control& picture);

    // The covering colour as a decimal number in text form; writing accepts
    // that form back and refuses any other text (std::invalid_argument).
    std::wstring Color() const;
    void Color(const std::wstring& text);

    void Reset() { value(0); }

    Control& StatusBar() const;

protected:
    void OnVisibleChanged(bool visible) override;

private:
    Ui& ui_;
    short max_ = 100;
    short value_ = 0;
};
