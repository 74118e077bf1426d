#include "syscheck/MeasuredLabel_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/Handles_win.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x5A4C;  // "ZL"

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

}  // namespace

void DrawAtMeasuredAdvances(HWND label) {
    if (!::SetWindowSubclass(label, LabelProc, kSubclassId, 0)) {
        ThrowLastError(L"Die Beschriftung konnte nicht eingerichtet werden");
    }
}
