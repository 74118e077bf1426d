#include "ui/Controls_win.h"

#include <algorithm>
#include <cmath>

#include "ui/Window_win.h"

namespace {

constexpr COLORREF kTransparentKey = RGB(255, 0, 255);
constexpr UINT_PTR kTextTimerId = 0x5A54;  // "ZT"

// Labels whose latest text waits for its turn. Controls live on the UI
// thread only, so this needs no lock.
std::vector<Control*>& WaitingTexts() {
    static std::vector<Control*> waiting;
    return waiting;
}

DWORD StyleFor(const ControlSpec& row) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (row.visible) style |= WS_VISIBLE;
    if (!row.enabled) style |= WS_DISABLED;
    switch (row.kind) {
        case ControlKind::Label:
            // SS_NOTIFY lets a label report clicks (link labels); SS_NOPREFIX
            // shows "&" as written, except where it marks an access key.
            return style | SS_LEFT | SS_NOTIFY | (row.accessKey ? 0 : SS_NOPREFIX);
        case ControlKind::Button:
            return style | BS_PUSHBUTTON | WS_TABSTOP;
        case ControlKind::CheckBox:
            return style | BS_AUTOCHECKBOX | WS_TABSTOP;
        default:
            return style;
    }
}

const wchar_t* ClassFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return L"STATIC";
        case ControlKind::Button:
        case ControlKind::CheckBox:
            return L"BUTTON";
        default:
            return L"ZelbarShape";
    }
}

}  // namespace

COLORREF ResolveColor(COLORREF color) {
    if (color == kDefaultColor || (color & 0x80000000u) == 0) return color;
    return ::GetSysColor(static_cast<int>(color & 0xFFu));
}

bool HasFocusWithin(HWND window) {
    HWND focus = ::GetFocus();
    return window && focus && (focus == window || ::IsChild(window, focus));
}

void HandFocusOn(HWND leaving) {
    HWND root = ::GetAncestor(leaving, GA_ROOT);
    if (!root) return;
    HWND next = ::GetNextDlgTabItem(root, leaving, FALSE);
    if (next && next != leaving && !::IsChild(leaving, next) && ::IsWindowEnabled(next) &&
        ::IsWindowVisible(next)) {
        // Through the window, which also moves the default button's look.
        ::SendMessageW(root, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
        return;
    }
    // Nothing else takes it: the window itself keeps the keys (Escape still works).
    if (!HasFocusWithin(root) || HasFocusWithin(leaving)) ::SetFocus(root);
}

int TwipsToPx(int twips, UINT dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

int PxToTwips(int px, UINT dpi) {
    return static_cast<int>(std::lround(static_cast<double>(px) * 1440.0 / dpi));
}

HBITMAP LoadPictureResource(int id) {
    return static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                             IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

Control::Control(HWND parent, const ControlSpec& row, int id, UINT dpi, const FontSpec& font,
                 const Clock& clock, const wchar_t* customClass, DWORD customStyle)
    : id_(id),
      kind_(row.kind),
      rect_(row.rect),
      caption_(row.caption ? row.caption : L""),
      clock_(clock),
      visible_(row.visible),
      enabled_(row.enabled),
      dpi_(dpi),
      font_(font) {
    DWORD style = StyleFor(row);
    const wchar_t* cls = ClassFor(kind_);
    if (kind_ == ControlKind::Custom) {
        cls = customClass;
        style |= customStyle;
        if (row.tabIndex > 0) style |= WS_TABSTOP;
    }
    HWND hwnd = ::CreateWindowExW(0, cls, caption_.c_str(), style, Px(rect_.left), Px(rect_.top),
                                  Px(rect_.width), Px(rect_.height), parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        ThrowLastError(L"Ein Steuerelement \u201e" + caption_ +
                       L"\u201c konnte nicht angelegt werden");
    hwnd_.reset(hwnd);
    if (cls == std::wstring(L"ZelbarShape")) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    if (kind_ == ControlKind::Line) ApplyRect();
    ApplyFont();
}

Control::~Control() {
    DropWaitingText();
}

int Control::Px(int twips) const {
    return TwipsToPx(twips, dpi_);
}

void Control::ApplyRect() {
    int height = Px(rect_.height);
    if (kind_ == ControlKind::Line && height < 2) height = 2;
    ::SetWindowPos(hwnd(), nullptr, Px(rect_.left), Px(rect_.top), Px(rect_.width), height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::ApplyFont() {
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(font_.points * dpi_ / 72.0));
    lf.lfWeight = font_.bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = font_.underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(lf.lfFaceName, font_.face.c_str(), LF_FACESIZE - 1);
    UniqueFont font(::CreateFontIndirectW(&lf));
    ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    hfont_ = std::move(font);
}

void Control::Move(const TwipsRect& rect) {
    rect_ = rect;
    ApplyRect();
}
void Control::SetLeft(int twips) {
    if (twips == rect_.left) return;
    rect_.left = twips;
    ApplyRect();
}
void Control::SetTop(int twips) {
    if (twips == rect_.top) return;
    rect_.top = twips;
    ApplyRect();
}
void Control::SetWidth(int twips) {
    if (twips == rect_.width) return;
    rect_.width = twips;
    ApplyRect();
}
void Control::SetHeight(int twips) {
    if (twips == rect_.height) return;
    rect_.height = twips;
    ApplyRect();
}

void Control::SetCaption(const std::wstring& caption) {
    if (caption == caption_ && !ownLineBreaks_) return;
    caption_ = caption;
    ownLineBreaks_ = false;
    if (textWaiting_) return;  // the timer shows caption_ as it then is
    const std::uint64_t sinceShown = textShownAt_ ? clock_.NowMs() - *textShownAt_ : 0;
    if (kind_ != ControlKind::Label || !textShownAt_ || sinceShown >= kTextIntervalMs ||
        hwnd() == nullptr) {
        ShowText();
        return;
    }
    if (::SetTimer(hwnd(), kTextTimerId, static_cast<UINT>(kTextIntervalMs - sinceShown),
                   TextTimerProc) == 0) {
        ShowText();
        return;
    }
    textWaiting_ = true;
    WaitingTexts().push_back(this);
}

void Control::SetCaption(const std::wstring& caption, const std::wstring& shown) {
    DropWaitingText();
    caption_ = caption;
    ownLineBreaks_ = shown != caption;
    textShownAt_ = clock_.NowMs();
    ::SetWindowTextW(hwnd(), shown.c_str());
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void Control::ShowText() {
    textShownAt_ = clock_.NowMs();
    ::SetWindowTextW(hwnd(), caption_.c_str());
    if (kind_ != ControlKind::Button && kind_ != ControlKind::CheckBox) {
        ::InvalidateRect(hwnd(), nullptr, TRUE);
    }
}

void Control::ShowWaitingText() {
    if (!textWaiting_) return;
    DropWaitingText();
    if (hwnd() != nullptr) ShowText();
}

void Control::DropWaitingText() {
    if (!textWaiting_) return;
    textWaiting_ = false;
    auto& waiting = WaitingTexts();
    waiting.erase(std::remove(waiting.begin(), waiting.end(), this), waiting.end());
    if (hwnd() != nullptr) ::KillTimer(hwnd(), kTextTimerId);
}

void CALLBACK Control::TextTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    for (Control* control : WaitingTexts()) {
        if (control->hwnd() != hwnd) continue;
        control->ShowWaitingText();
        return;
    }
    // A timer whose label has shown its text some other way.
    ::KillTimer(hwnd, kTextTimerId);
}

void Control::ShowWaitingTexts() {
    // A copy: ShowWaitingText takes each label off the list.
    const std::vector<Control*> waiting = WaitingTexts();
    for (Control* control : waiting) {
        control->ShowWaitingText();
        if (control->hwnd() != nullptr) ::UpdateWindow(control->hwnd());
    }
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    const bool hadFocus = !visible && HasFocusWithin(hwnd());
    ::ShowWindow(hwnd(), visible ? SW_SHOWNA : SW_HIDE);
    if (hadFocus) HandFocusOn(hwnd());
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    const bool hadFocus = !enabled && HasFocusWithin(hwnd());
    ::EnableWindow(hwnd(), enabled ? TRUE : FALSE);
    if (hadFocus) HandFocusOn(hwnd());
}

void Control::SetAccessibleName(const std::wstring& name) {
    ::SetWindowTextW(hwnd(), name.c_str());
}

void Control::BringToFront() {
    ::SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

CheckState CheckBox::Value() const {
    switch (::SendMessageW(hwnd(), BM_GETCHECK, 0, 0)) {
        case BST_CHECKED:
            return CheckState::Checked;
        case BST_INDETERMINATE:
            return CheckState::Indeterminate;
        default:
            return CheckState::Unchecked;
    }
}

void CheckBox::SetValue(CheckState state) {
    const WPARAM value = state == CheckState::Checked         ? BST_CHECKED
                         : state == CheckState::Indeterminate ? BST_INDETERMINATE
                                                              : BST_UNCHECKED;
    ::SendMessageW(hwnd(), BM_SETCHECK, value, 0);
}

void Control::SetFont(const FontSpec& font) {
    font_ = font;
    ApplyFont();
}

void Control::SetForeColor(COLORREF color) {
    if (color == foreColor_) return;
    foreColor_ = color;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void Control::SetBackColor(COLORREF color) {
    if (color == backColor_) return;
    backColor_ = color;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void Control::SetFillColor(COLORREF color) {
    if (color == fillColor_) return;
    fillColor_ = color;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void Control::SetPicture(HBITMAP bitmap) {
    picture_.reset(bitmap);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

SIZE Control::PictureSize() const {
    BITMAP bm{};
    if (!picture_ || !::GetObjectW(picture_.get(), sizeof(bm), &bm)) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

void Control::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    ApplyRect();
    ApplyFont();
}

void Control::Paint(HDC dc, const RECT& client) const {
    switch (kind_) {
        case ControlKind::FilledRect: {
            const COLORREF color =
                fillColor_ == kDefaultColor ? ::GetSysColor(COLOR_WINDOW) : FillColor();
            UniqueBrush brush(::CreateSolidBrush(color));
            ::FillRect(dc, &client, brush.get());
            break;
        }
        case ControlKind::Frame: {
            const COLORREF color =
                fillColor_ == kDefaultColor ? ::GetSysColor(COLOR_BTNSHADOW) : FillColor();
            UniqueBrush brush(::CreateSolidBrush(color));
            ::FrameRect(dc, &client, brush.get());
            break;
        }
        case ControlKind::Line: {
            // An etched line: shadow above, highlight below.
            RECT shadow{client.left, client.top, client.right, client.top + 1};
            RECT light{client.left, client.top + 1, client.right, client.top + 2};
            ::FillRect(dc, &shadow, ::GetSysColorBrush(COLOR_BTNSHADOW));
            ::FillRect(dc, &light, ::GetSysColorBrush(COLOR_BTNHIGHLIGHT));
            break;
        }
        case ControlKind::Image: {
            if (!picture_) break;
            const SIZE size = PictureSize();
            HDC memory = ::CreateCompatibleDC(dc);
            HGDIOBJ old = ::SelectObject(memory, picture_.get());
            ::TransparentBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, size.cx, size.cy,
                             kTransparentKey);
            ::SelectObject(memory, old);
            ::DeleteDC(memory);
            break;
        }
        default:
            break;
    }
}
