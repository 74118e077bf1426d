#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Controls_win.h"

// Where a window is created: a top-level window whose client area has a twips
// size, centred on the screen (or on its owner), or a child window (a page) of
// a parent at a twips rectangle.
struct TopLevelFrame {
    std::wstring title;
    int clientWidthTwips;
    int clientHeightTwips;
    DWORD style;
    HWND owner = nullptr;
};

struct ChildFrame {
    HWND parent;
    TwipsRect rect;
    bool visible;
};

// Base of every window of the program (the wizard window, its pages, the
// folder chooser, the demonstration window). It owns the controls of its
// layout table, routes their clicks to handlers, paints label colours, follows
// DPI changes, and ends every message handler with the catch-all that shows a
// German error message instead of letting an error end the program.
class Window {
public:
    // The window's controls pace their texts by the program's clock, or by the one given.
    Window();
    explicit Window(const Clock& clock);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }
    UINT dpi() const { return dpi_; }
    int Px(int twips) const { return TwipsToPx(twips, dpi_); }

    // Creates one control of a layout row. Windows keep what it returns as a
    // typed member, so a control is always named by the compiler's rules.
    template <typename Kind = Control>
    Kind& Add(const ControlSpec& row, const wchar_t* customClass = nullptr, DWORD customStyle = 0) {
        auto control = std::make_unique<Kind>(hwnd_, row, nextId_++, dpi_, DefaultFont(), clock_,
                                              customClass, customStyle);
        Kind& added = *control;
        controls_.push_back(Entry{std::move(control), row.tabIndex});
        return added;
    }
    // Orders the controls added so far as the layout table means them: tab
    // stops in their tab order, then the others in the order added, shapes
    // last so they lie beneath everything.
    void ArrangeLayout();
    Control* Find(HWND child) const;

    void OnClick(const Control& control, std::function<void()> handler);

    bool Visible() const;
    void SetVisible(bool visible);

    // Twips geometry of a child window (pages) within its parent.
    void MoveTo(const TwipsRect& rect);
    const TwipsRect& Rect() const { return rect_; }

    // Child windows that must follow this window's DPI changes.
    void AddChildWindow(Window* child) { children_.push_back(child); }
    virtual void ApplyDpi(UINT dpi);

    // Keys of a top-level window: Enter presses the focused push button or
    // else the default button (drawn as such), Escape the cancel button. A
    // button that is hidden or disabled is not pressed.
    void SetDefaultButton(Button* button);
    Button* DefaultButton() const { return defaultButton_; }
    void SetCancelButton(Button* button) { cancelButton_ = button; }

    // Gives the focus to a control of this top-level window: at once when the
    // window is active, else when it is next activated.
    void FocusControl(HWND control);
    // The first tab stop within `container` (a page), or nothing.
    static HWND FirstTabStop(HWND container);

    // Shows a message box naming what failed; used by the catch-all.
    void ReportError(const std::wstring& whatFailed, const std::wstring& detail) const;

    static const FontSpec& DefaultFont();

    // Where ReportError sends its text: a message box with the critical icon,
    // unless a test records it instead.
    using ErrorReporter = std::function<void(HWND owner, const std::wstring& text)>;
    static void SetErrorReporter(ErrorReporter reporter);

protected:
    explicit Window(const TopLevelFrame& frame);
    explicit Window(const ChildFrame& frame);

    // A top-level window whose client area has the given twips size, centred
    // on the screen (or on its owner).
    void CreateTopLevel(const std::wstring& title, int clientWidthTwips, int clientHeightTwips,
                        DWORD style, HWND owner = nullptr);
    // A child window (a page) of the parent, at a twips rectangle.
    void CreateChild(HWND parent, const TwipsRect& rect, bool visible);

    // Messages not handled by the base. Return true when handled.
    virtual bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The window is asked to close; return false to keep it open.
    virtual bool OnCloseRequest() { return true; }
    // The window was destroyed.
    virtual void OnDestroyed() {}
    // Visibility changed through SetVisible.
    virtual void OnVisibleChanged(bool /*visible*/) {}

    // Names the action that a failing click handler belonged to.
    virtual std::wstring DescribeClick(const Control& control) const;

private:
    friend void RegisterWindowClasses();
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);
    HBRUSH BrushFor(COLORREF color);
    bool HandleDialogKey(WPARAM wParam);
    void PressButton(HWND button);
    void RestoreFocus();
    void ShowDefaultFor(HWND focus);

    const Clock& clock_;
    HWND hwnd_ = nullptr;
    bool topLevel_ = false;
    UINT dpi_ = 96;
    TwipsRect rect_;
    int clientWidthTwips_ = 0;
    int clientHeightTwips_ = 0;
    int nextId_ = 1000;
    struct Entry {
        std::unique_ptr<Control> control;
        int tabIndex;
    };
    std::vector<Entry> controls_;
    std::map<int, std::function<void()>> clickHandlers_;
    std::map<COLORREF, UniqueBrush> brushes_;
    std::vector<Window*> children_;
    Button* defaultButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    HWND savedFocus_ = nullptr;  // where the focus goes back when the window is activated
};

// Registers the window classes of the program once (called by Window).
void RegisterWindowClasses();
