#pragma once
#include <string>

// Measures text in the font of one window, in twips.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int TextWidth(const std::wstring& text) = 0;
    // Height of one line of text in the font.
    virtual int TextHeight() = 0;
};
