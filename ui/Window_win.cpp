#include "ui/Window_win.h"

#include <algorithm>

#include "platform/Clock_win.h"
#include "platform/PlatformError.h"
#include "ui/Ui.h"

namespace {

constexpr wchar_t kWindowClass[] = L"ZelbarWindow";
constexpr wchar_t kShapeClass[] = L"ZelbarShape";

LRESULT CALLBACK ShapeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCHITTEST:
            // Pictures and shapes never take the mouse from what lies beneath.
            return HTTRANSPARENT;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd, &ps);
            auto* control = reinterpret_cast<Control*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            RECT client;
            ::GetClientRect(hwnd, &client);
            if (control) control->Paint(dc, client);
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

UINT WindowDpi(HWND hwnd) {
    const UINT dpi = hwnd ? ::GetDpiForWindow(hwnd) : 0;
    if (dpi != 0) return dpi;
    HDC screen = ::GetDC(nullptr);
    const int fromDc = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return fromDc > 0 ? static_cast<UINT>(fromDc) : 96u;
}

bool IsPushButton(HWND window) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (_wcsicmp(name, L"Button") != 0) return false;
    const LONG type = ::GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// Visible and enabled, and so are all its parents.
bool Usable(HWND window) {
    return window && ::IsWindow(window) && ::IsWindowVisible(window) && ::IsWindowEnabled(window) &&
           (::GetParent(window) == nullptr || ::IsWindowEnabled(::GetParent(window)));
}

int KindOrder(ControlKind kind) {
    switch (kind) {
        case ControlKind::FilledRect:
        case ControlKind::Frame:
        case ControlKind::Line:
            return 2;
        default:
            return 1;
    }
}

Window::ErrorReporter& CurrentErrorReporter() {
    static Window::ErrorReporter reporter;
    return reporter;
}

}  // namespace

void Window::SetErrorReporter(ErrorReporter reporter) {
    CurrentErrorReporter() = std::move(reporter);
}

void RegisterWindowClasses() {
    static bool registered = false;
    if (registered) return;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Window::WndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!::RegisterClassExW(&wc))
        ThrowLastError(L"Die Fensterklasse konnte nicht registriert werden");

    WNDCLASSEXW shape{};
    shape.cbSize = sizeof(shape);
    shape.lpfnWndProc = ShapeProc;
    shape.hInstance = instance;
    shape.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    shape.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    shape.lpszClassName = kShapeClass;
    if (!::RegisterClassExW(&shape))
        ThrowLastError(L"Die Fensterklasse konnte nicht registriert werden");
    registered = true;
}

const FontSpec& Window::DefaultFont() {
    static const FontSpec font{};
    return font;
}

Window::Window() : Window(SystemClock()) {}

Window::Window(const Clock& clock) : clock_(clock) {}

Window::~Window() {
    controls_.clear();
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

void Window::CreateTopLevel(const std::wstring& title, int clientWidthTwips, int clientHeightTwips,
                            DWORD style, HWND owner) {
    RegisterWindowClasses();
    topLevel_ = true;
    clientWidthTwips_ = clientWidthTwips;
    clientHeightTwips_ = clientHeightTwips;
    HWND hwnd = ::CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, title.c_str(), style,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, nullptr,
                                  ::GetModuleHandleW(nullptr), this);
    if (!hwnd)
        ThrowLastError(L"Das Fenster \u201e" + title + L"\u201c konnte nicht angelegt werden");
    dpi_ = WindowDpi(hwnd);

    RECT frame{0, 0, Px(clientWidthTwips), Px(clientHeightTwips)};
    ::AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_CONTROLPARENT, dpi_);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT area;
    if (owner) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    ::SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::CreateChild(HWND parent, const TwipsRect& rect, bool visible) {
    RegisterWindowClasses();
    topLevel_ = false;
    rect_ = rect;
    dpi_ = WindowDpi(parent);
    DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (visible) style |= WS_VISIBLE;
    HWND hwnd = ::CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"", style, Px(rect.left),
                                  Px(rect.top), Px(rect.width), Px(rect.height), parent, nullptr,
                                  ::GetModuleHandleW(nullptr), this);
    if (!hwnd) ThrowLastError(L"Die Seite konnte nicht angelegt werden");
}

Window::Window(const TopLevelFrame& frame) : Window(SystemClock()) {
    CreateTopLevel(frame.title, frame.clientWidthTwips, frame.clientHeightTwips, frame.style,
                   frame.owner);
}

Window::Window(const ChildFrame& frame) : Window(SystemClock()) {
    CreateChild(frame.parent, frame.rect, frame.visible);
}

void Window::ArrangeLayout() {
    std::vector<const Entry*> order;
    for (const auto& entry : controls_) order.push_back(&entry);
    std::stable_sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
        const int ka = KindOrder(a->control->kind()), kb = KindOrder(b->control->kind());
        if (ka != kb) return ka < kb;
        const bool ta = a->tabIndex > 0, tb = b->tabIndex > 0;
        if (ta != tb) return ta;
        return ta && a->tabIndex < b->tabIndex;
    });
    // Child windows lie in the order they were created, the first on top and
    // first in the tab order; each one sent to the bottom in turn rebuilds it.
    for (const Entry* entry : order) {
        ::SetWindowPos(entry->control->hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

Control* Window::Find(HWND child) const {
    for (const auto& entry : controls_) {
        if (entry.control->hwnd() == child) return entry.control.get();
    }
    return nullptr;
}

void Window::OnClick(const Control& control, std::function<void()> handler) {
    clickHandlers_[control.id()] = std::move(handler);
}

bool Window::Visible() const {
    // The window's own visibility, as its parent set it, not whether it can be seen.
    return hwnd_ && (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Window::SetVisible(bool visible) {
    if (Visible() == visible) return;
    const bool hadFocus = !visible && HasFocusWithin(hwnd_);
    ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
    if (hadFocus) HandFocusOn(hwnd_);
    OnVisibleChanged(visible);
}

void Window::SetDefaultButton(Button* button) {
    if (defaultButton_ && defaultButton_ != button) {
        ::SendMessageW(defaultButton_->hwnd(), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    defaultButton_ = button;
    if (button) ::SendMessageW(button->hwnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void Window::FocusControl(HWND control) {
    savedFocus_ = control;
    if (::GetActiveWindow() == hwnd_ && control) {
        ::SetFocus(control);
        ShowDefaultFor(control);
    }
}

void Window::ShowDefaultFor(HWND focus) {
    // As in the system's dialogs: a focused push button is the one Enter
    // presses and looks it; otherwise the window's default button does.
    HWND look = focus && ::IsChild(hwnd_, focus) && IsPushButton(focus) ? focus
                : defaultButton_                                        ? defaultButton_->hwnd()
                                                                        : nullptr;
    for (const auto& entry : controls_) {
        HWND button = entry.control->hwnd();
        if (entry.control->kind() != ControlKind::Button || !IsPushButton(button)) continue;
        const bool isDefault =
            (::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        if (isDefault != (button == look)) {
            ::SendMessageW(button, BM_SETSTYLE, button == look ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                           TRUE);
        }
    }
}

HWND Window::FirstTabStop(HWND container) {
    HWND first = ::GetNextDlgTabItem(container, nullptr, FALSE);
    return first && ::IsChild(container, first) ? first : nullptr;
}

void Window::RestoreFocus() {
    HWND target = savedFocus_;
    if (target && (!::IsWindow(target) || !::IsChild(hwnd_, target))) target = nullptr;
    if (target && !Usable(target)) {
        HWND next = ::GetNextDlgTabItem(hwnd_, target, FALSE);
        target = Usable(next) ? next : nullptr;
    }
    if (!target) {
        HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        target = Usable(first) ? first : hwnd_;
    }
    ::SetFocus(target);
    ShowDefaultFor(target);
}

void Window::PressButton(HWND button) {
    // As a click reports itself: to the button's own window.
    ::SendMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

bool Window::HandleDialogKey(WPARAM wParam) {
    // IsDialogMessage turns Enter into IDOK and Escape into IDCANCEL.
    if (LOWORD(wParam) == IDCANCEL) {
        if (cancelButton_ && Usable(cancelButton_->hwnd())) PressButton(cancelButton_->hwnd());
        return true;
    }
    if (LOWORD(wParam) != IDOK) return false;
    HWND focus = ::GetFocus();
    const bool ours = focus && ::IsChild(hwnd_, focus);
    if (ours && IsPushButton(focus) && Usable(focus)) {
        PressButton(focus);
        return true;
    }
    if (defaultButton_ && Usable(defaultButton_->hwnd())) PressButton(defaultButton_->hwnd());
    return true;
}

void Window::MoveTo(const TwipsRect& rect) {
    rect_ = rect;
    ::SetWindowPos(hwnd_, nullptr, Px(rect.left), Px(rect.top), Px(rect.width), Px(rect.height),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    if (!topLevel_) MoveTo(rect_);
    for (auto& entry : controls_) entry.control->ApplyDpi(dpi);
    for (Window* child : children_) child->ApplyDpi(dpi);
}

void Window::ReportError(const std::wstring& whatFailed, const std::wstring& detail) const {
    std::wstring text = whatFailed;
    if (!detail.empty()) text += L"\r\n\r\n" + detail;
    HWND owner = hwnd_ ? ::GetAncestor(hwnd_, GA_ROOT) : nullptr;
    if (CurrentErrorReporter()) {
        CurrentErrorReporter()(owner, text);
        return;
    }
    ::MessageBoxW(owner, text.c_str(), kAppTitle, MB_OK | MB_ICONERROR);
}

std::wstring Window::DescribeClick(const Control& control) const {
    std::wstring caption = control.Caption();
    caption.erase(std::remove(caption.begin(), caption.end(), L'&'), caption.end());
    if (caption.empty()) return L"Ein Fehler ist aufgetreten.";
    return L"Bei \u201e" + caption + L"\u201c ist ein Fehler aufgetreten.";
}

HBRUSH Window::BrushFor(COLORREF color) {
    auto it = brushes_.find(color);
    if (it == brushes_.end()) {
        it = brushes_.emplace(color, UniqueBrush(::CreateSolidBrush(color))).first;
    }
    return it->second.get();
}

LRESULT CALLBACK Window::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return self->Dispatch(msg, wParam, lParam);
    } catch (...) {
        const std::wstring detail = DescribeCurrentException();
        self->ReportError(detail.empty() ? L"Ein unbekannter Fehler ist aufgetreten."
                                         : L"Ein Fehler ist aufgetreten.",
                          detail);
    }
    return 0;
}

LRESULT Window::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleMessage(msg, wParam, lParam, result)) return result;
    return DefaultHandling(msg, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (topLevel_ && code == BN_CLICKED && (id == IDOK || id == IDCANCEL) &&
                HandleDialogKey(wParam)) {
                return 0;
            }
            // The dialog keys report a page's control to the top-level window;
            // the control's own window knows it (ids repeat from page to page).
            HWND from = reinterpret_cast<HWND>(lParam);
            if (from && ::GetParent(from) != hwnd_ && ::IsChild(hwnd_, from)) {
                return ::SendMessageW(::GetParent(from), WM_COMMAND, wParam, lParam);
            }
            if (code != BN_CLICKED && code != STN_CLICKED) break;
            auto it = clickHandlers_.find(id);
            if (it == clickHandlers_.end()) break;
            Control* control = Find(reinterpret_cast<HWND>(lParam));
            // Copy: the handler may replace itself while it runs.
            auto handler = it->second;
            try {
                handler();
            } catch (...) {
                ReportError(control ? DescribeClick(*control) : L"Ein Fehler ist aufgetreten.",
                            DescribeCurrentException());
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            Control* control = Find(reinterpret_cast<HWND>(lParam));
            const COLORREF fore = control ? control->ForeColor() : kDefaultColor;
            const COLORREF back = control ? control->BackColor() : kDefaultColor;
            ::SetTextColor(dc, fore == kDefaultColor ? ::GetSysColor(COLOR_BTNTEXT) : fore);
            if (back == kDefaultColor) {
                ::SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
            }
            ::SetBkColor(dc, back);
            return reinterpret_cast<LRESULT>(BrushFor(back));
        }
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            ApplyDpi(HIWORD(wParam));
            return 0;
        }
        case WM_ACTIVATE:
            if (!topLevel_) break;
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus && ::IsChild(hwnd_, focus)) savedFocus_ = focus;
            } else if (!HIWORD(wParam)) {
                RestoreFocus();
            }
            return 0;
        case WM_NEXTDLGCTL: {
            // Sent by the dialog keys for a label's access key: the label's
            // control (the next tab stop after it) takes the focus.
            HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                         : ::GetNextDlgTabItem(hwnd_, ::GetFocus(), wParam != 0);
            if (target) ::SetFocus(target);
            ShowDefaultFor(target);
            return 0;
        }
        case DM_GETDEFID:
            // Asked by the dialog keys: Enter, and where the default look goes back.
            if (!topLevel_ || !defaultButton_) break;
            return MAKELRESULT(::GetDlgCtrlID(defaultButton_->hwnd()), DC_HASDEFID);
        case WM_SYSCOLORCHANGE: {
            // Common controls learn the new colours from their parent.
            for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child;
                 child = ::GetWindow(child, GW_HWNDNEXT)) {
                ::SendMessageW(child, WM_SYSCOLORCHANGE, wParam, lParam);
            }
            brushes_.clear();
            ::RedrawWindow(hwnd_, nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
            return 0;
        }
        case WM_CLOSE:
            if (OnCloseRequest()) ::DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY: {
            OnDestroyed();
            return 0;
        }
        case WM_NCDESTROY: {
            // The system has destroyed the controls with their parent.
            for (auto& entry : controls_) entry.control->Detach();
            HWND hwnd = hwnd_;
            hwnd_ = nullptr;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        }
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool Window::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}
