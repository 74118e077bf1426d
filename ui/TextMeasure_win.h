#pragma once
#include "platform/WinApi.h"
#include "ui/TextMeasure.h"

// Measures text with GDI in a window's font and converts pixels to twips with
// the DPI of the window's device context (twips = pixels * 1440 / dpi).
// The window and font stay the caller's; a device context is taken per call.
class GdiTextMeasure : public TextMeasure {
public:
    GdiTextMeasure(HWND window, HFONT font);
    int TextWidth(const std::wstring& text) override;
    int TextHeight() override;

private:
    HWND window_;
    HFONT font_;
};
