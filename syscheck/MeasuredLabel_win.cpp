#include "syscheck/MeasuredLabel_win.h"

#include <commctrl.h>
// The GUIDs of the accessibility property service are defined here.
#include <initguid.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "platform/Handles_win.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x5A4C;      // "ZL"
constexpr UINT_PTR kLinkSubclassId = 0x5A4B;  // "ZK"

std::wstring WindowTextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

std::vector<std::wstring> LinesOf(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

// The advance of every character as the measurement counts it.
std::vector<INT> Advances(HDC dc, const std::wstring& line) {
    const int count = static_cast<int>(line.size());
    std::vector<INT> ends(line.size());
    SIZE size{0, 0};
    if (count == 0 ||
        !::GetTextExtentExPointW(dc, line.c_str(), count, 0, nullptr, ends.data(), &size)) {
        return {};
    }
    std::vector<INT> advances(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) advances[i] = ends[i] - (i ? ends[i - 1] : 0);
    return advances;
}

void Paint(HWND label) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(label, &ps);
    RECT client;
    ::GetClientRect(label, &client);
    // The parent chooses text colour and background, as for a plain label.
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(label), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(label)));
    ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);

    auto font = reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font ? ::SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    int top = 0;
    for (const std::wstring& line : LinesOf(WindowTextOf(label))) {
        const std::vector<INT> advances = Advances(dc, line);
        if (!advances.empty()) {
            ::ExtTextOutW(dc, 0, top, ETO_CLIPPED, &client, line.c_str(),
                          static_cast<UINT>(line.size()), advances.data());
        }
        top += metrics.tmHeight;
    }
    if (previous) ::SelectObject(dc, previous);
    // Only a link takes the focus (by Tab); it shows where the keys act.
    if (::GetFocus() == label) ::DrawFocusRect(dc, &client);
    ::EndPaint(label, &ps);
}

LRESULT CALLBACK LabelProc(HWND label, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
    switch (msg) {
        case WM_PAINT:
            Paint(label);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills the whole label
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(label, LabelProc, kSubclassId);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(label, msg, wParam, lParam);
}

bool IsLinkKey(WPARAM key) {
    return key == VK_RETURN || key == VK_SPACE;
}

LRESULT CALLBACK LinkProc(HWND label, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
        case WM_GETDLGCODE: {
            // Enter and Space are the link's own keys, not the window's default button.
            const auto* message = reinterpret_cast<const MSG*>(lParam);
            const LRESULT code = ::DefSubclassProc(label, msg, wParam, lParam);
            if (message && message->message == WM_KEYDOWN && IsLinkKey(message->wParam)) {
                return code | DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_KEYDOWN:
            if (!IsLinkKey(wParam)) break;
            // Opens the link as a click does.
            ::SendMessageW(::GetParent(label), WM_COMMAND,
                           MAKEWPARAM(::GetDlgCtrlID(label), STN_CLICKED),
                           reinterpret_cast<LPARAM>(label));
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            ::InvalidateRect(label, nullptr, TRUE);
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(label, LinkProc, kLinkSubclassId);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(label, msg, wParam, lParam);
}

// Screen readers read a label as text; this one is a link. Where the system
// has no property service, the label is still read with its words.
void AnnounceAsLink(HWND label) {
    IAccPropServices* services = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        return;
    }
    VARIANT role;
    ::VariantInit(&role);
    role.vt = VT_I4;
    role.lVal = ROLE_SYSTEM_LINK;
    services->SetHwndProp(label, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_ROLE,
                          role);
    services->Release();
}

}  // namespace

void ActAsLink(HWND label) {
    ::SetWindowLongW(label, GWL_STYLE, ::GetWindowLongW(label, GWL_STYLE) | WS_TABSTOP);
    if (!::SetWindowSubclass(label, LinkProc, kLinkSubclassId, 0)) {
        ThrowLastError(L"Der Verweis konnte nicht eingerichtet werden");
    }
    AnnounceAsLink(label);
}

void DrawAtMeasuredAdvances(HWND label) {
    if (!::SetWindowSubclass(label, LabelProc, kSubclassId, 0)) {
        ThrowLastError(L"Die Beschriftung konnte nicht eingerichtet werden");
    }
}
