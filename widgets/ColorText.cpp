#include "widgets/ColorText.h"

#include <stdexcept>

#include "platform/Text.h"

std::int32_t ColorFromText(const std::wstring& text) {
    const std::wstring number = Text::TrimBlanks(text);
    const bool negative = !number.empty() && number[0] == L'-';
    const std::size_t first = !number.empty() && (negative || number[0] == L'+') ? 1 : 0;
    const std::wstring digits = number.substr(first);
    if (digits.empty() || digits.find_first_not_of(L"0123456789") != std::wstring::npos) {
        throw std::invalid_argument("Typen unverträglich: keine Farbzahl.");
    }
    // Checked digit by digit, so a long text stops before the sum could overflow.
    const long long limit = negative ? 2147483648LL : 2147483647LL;
    long long magnitude = 0;
    for (const wchar_t c : digits) {
        magnitude = magnitude * 10 + (c - L'0');
        if (magnitude > limit) throw std::overflow_error("Überlauf: die Farbzahl ist zu groß.");
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::wstring ColorToText(std::int32_t color) {
    return Text::FromInt(color);
}
