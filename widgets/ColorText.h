#pragma once
#include <cstdint>
#include <string>

// The picture bar's Color property in its text form: a whole decimal number
// that fits 32 bits, as reading the property gives it. Blanks around the
// number are allowed; anything else (letters, fractions, "&H" hex) is not a
// colour number and fails with std::invalid_argument ("Typen unverträglich"),
// a number beyond 32 bits with std::overflow_error.
std::int32_t ColorFromText(const std::wstring& text);

std::wstring ColorToText(std::int32_t color);
