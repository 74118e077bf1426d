#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock_win.h"
#include "platform/Handles_win.h"

// Controls of the program's windows. Positions and sizes are kept in twips
// (1/1440 inch) as the layout tables give them, and converted to pixels with
// the window's DPI (px = twips * dpi / 1440) whenever they are applied, so a
// DPI change only re-applies the same figures.

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class ControlKind {
    Label,       // static text; wraps at blanks when it is higher than one line
    Button,      // command button
    CheckBox,    // two-state check box
    Image,       // picture drawn stretched to the control
    FilledRect,  // rectangle filled with one colour
    Frame,       // rectangle outline
    Line,        // line from the top-left to the bottom-right corner of its rect
    Custom,      // a window class of the caller's (drive list, folder list ...)
};

struct FontSpec {
    std::wstring face = L"Tahoma";
    double points = 8.25;
    bool bold = false;
    bool underline = false;
};

// One row of a window's layout table.
struct ControlSpec {
    ControlKind kind;
    const wchar_t* caption;
    TwipsRect rect;
    int tabIndex = 0;  // 0: not a tab stop
    bool visible = true;
    bool enabled = true;
    // A label whose "&" marks the access key of the control after it.
    bool accessKey = false;
};

// Colour value meaning "use the system's default colour".
constexpr COLORREF kDefaultColor = CLR_INVALID;
// A colour that follows the system colour `index` (COLOR_...): looked up
// whenever it is drawn, so a change of the colour scheme shows at once.
constexpr COLORREF SystemColor(int index) {
    return 0x80000000u | static_cast<COLORREF>(index);
}
// The RGB value of a colour: system colours as the system now has them.
COLORREF ResolveColor(COLORREF color);

// Moves the focus on to the next tab stop of the top-level window when
// `leaving` (a control or a page), which had it, has just been disabled or
// hidden: Windows would otherwise leave the focus nowhere, and the keyboard
// would do nothing any more.
void HandFocusOn(HWND leaving);
// Whether the focus is on `window` or one of its descendants.
bool HasFocusWithin(HWND window);

class Control {
public:
    // `clock` paces the label's texts and must outlive the control.
    Control(HWND parent, const ControlSpec& row, int id, UINT dpi, const FontSpec& font,
            const Clock& clock = SystemClock(), const wchar_t* customClass = nullptr,
            DWORD customStyle = 0);
    ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hwnd() const { return hwnd_.get(); }
    int id() const { return id_; }
    ControlKind kind() const { return kind_; }

    // Twips geometry.
    const TwipsRect& rect() const { return rect_; }
    int Left() const { return rect_.left; }
    int Top() const { return rect_.top; }
    int Width() const { return rect_.width; }
    int Height() const { return rect_.height; }
    void Move(const TwipsRect& rect);
    void SetLeft(int twips);
    void SetTop(int twips);
    void SetWidth(int twips);
    void SetHeight(int twips);

    // Texts, state. Setters leave the window alone when nothing changes.
    // Caption() is always the last text set. A label shows a new text at once
    // unless it showed one less than kTextIntervalMs ago; then the latest text
    // waits for the rest of that interval, and the ones set meanwhile are
    // never shown. A download sets its size line thousands of times a second,
    // and every text shown costs a round trip to the window system and a
    // repaint: that alone would slow the download to a crawl. Five texts a
    // second are as many as anyone can read; at 25 the size line alone cost a
    // slow download more CPU time than its transfer (measured under Wine).
    static constexpr unsigned kTextIntervalMs = 200;
    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    // Labels that lay out their own lines: Caption() is `caption`, the label
    // draws `shown` (the caption with the caller's line breaks put in).
    void SetCaption(const std::wstring& caption, const std::wstring& shown);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    void BringToFront();

    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);
    HFONT hfont() const { return hfont_.get(); }

    // Colours: text and background for labels and check boxes (kDefaultColor
    // = system colours, transparent background = the parent's), fill or
    // outline colour for shapes. A SystemColor is kept as such; the getters
    // answer with its value of the moment.
    COLORREF ForeColor() const { return ResolveColor(foreColor_); }
    void SetForeColor(COLORREF color);
    COLORREF BackColor() const { return ResolveColor(backColor_); }
    void SetBackColor(COLORREF color);
    COLORREF FillColor() const { return ResolveColor(fillColor_); }
    void SetFillColor(COLORREF color);

    // The name a screen reader reads for a picture or shape (its window
    // text, which it never draws).
    void SetAccessibleName(const std::wstring& name);

    // Image: the control takes ownership of the bitmap. Magenta pixels are
    // drawn transparent.
    void SetPicture(HBITMAP bitmap);
    HBITMAP Bitmap() const { return picture_.get(); }
    SIZE PictureSize() const;

    // Re-applies position and font for a new DPI.
    void ApplyDpi(UINT dpi);
    UINT dpi() const { return dpi_; }

    // Pixel form of a twips figure at this control's DPI.
    int Px(int twips) const;

    // Forgets the window after the system destroyed it with its parent.
    void Detach() { hwnd_.release(); }

    // Painting of shapes and images (called by the shape window class).
    void Paint(HDC dc, const RECT& client) const;

    // Shows every label text that waits for its turn and repaints those
    // labels now. Called before the UI thread blocks without handling
    // messages (waiting for a program, sleeping, a message box), so that the
    // window does not show an older text meanwhile.
    static void ShowWaitingTexts();

private:
    static void CALLBACK TextTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
    void ApplyRect();
    void ApplyFont();
    void ShowText();
    void ShowWaitingText();
    void DropWaitingText();

    UniqueWindow hwnd_;
    int id_;
    ControlKind kind_;
    TwipsRect rect_;
    std::wstring caption_;
    bool ownLineBreaks_ = false;  // the window shows more than caption_ (line breaks)
    const Clock& clock_;
    // When the window last got a text (none yet: the next one shows at once),
    // and whether caption_ still waits to be shown.
    std::optional<std::uint64_t> textShownAt_;
    bool textWaiting_ = false;
    bool visible_;
    bool enabled_;
    UINT dpi_;
    FontSpec font_;
    UniqueFont hfont_;
    COLORREF foreColor_ = kDefaultColor;
    COLORREF backColor_ = kDefaultColor;
    COLORREF fillColor_ = kDefaultColor;
    UniqueBitmap picture_;
};

// The kinds of control a window declares as its members; the type says what
// the control is, so a page cannot click a label or check a button.
class Label : public Control {
public:
    using Control::Control;
};

class Button : public Control {
public:
    using Control::Control;
};

// Pictures, filled rectangles, frames and lines.
class Picture : public Control {
public:
    using Control::Control;
};

enum class CheckState { Unchecked, Checked, Indeterminate };

class CheckBox : public Control {
public:
    using Control::Control;
    CheckState Value() const;
    void SetValue(CheckState state);
};

// Loads a bitmap of the program's resources (assets/AssetIds.h).
HBITMAP LoadPictureResource(int id);

// Twips to pixels and back at a DPI.
int TwipsToPx(int twips, UINT dpi);
int PxToTwips(int px, UINT dpi);
