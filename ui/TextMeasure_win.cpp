#include "ui/TextMeasure_win.h"

#include "platform/Handles_win.h"
#include "ui/DeviceContext_win.h"

namespace {

int PixelsToTwips(int pixels, int dpi) {
    return ::MulDiv(pixels, 1440, dpi > 0 ? dpi : 96);
}

}  // namespace

GdiTextMeasure::GdiTextMeasure(HWND window, HFONT font) : window_(window), font_(font) {}

int GdiTextMeasure::TextWidth(const std::wstring& text) {
    WindowDC dc(window_);
    if (!dc) ThrowLastError(L"Der Text konnte nicht vermessen werden: " + text);
    SelectedObject font(dc.get(), font_);
    SIZE size = {};
    if (!::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size)) {
        ThrowLastError(L"Der Text konnte nicht vermessen werden: " + text);
    }
    return PixelsToTwips(size.cx, ::GetDeviceCaps(dc.get(), LOGPIXELSX));
}

int GdiTextMeasure::TextHeight() {
    WindowDC dc(window_);
    if (!dc) ThrowLastError(L"Die Schrifthöhe konnte nicht ermittelt werden");
    SelectedObject font(dc.get(), font_);
    TEXTMETRICW metrics = {};
    if (!::GetTextMetricsW(dc.get(), &metrics)) {
        ThrowLastError(L"Die Schrifthöhe konnte nicht ermittelt werden");
    }
    return PixelsToTwips(metrics.tmHeight, ::GetDeviceCaps(dc.get(), LOGPIXELSY));
}
