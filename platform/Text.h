#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Small text helpers shared by the portable code. They never depend on the
// width of wchar_t (16 bits on Windows, 32 on the Linux host).
namespace Text {

// Removes leading and trailing blanks (the space character only; tabs stay).
std::wstring TrimBlanks(const std::wstring& s);

// Upper/lower-case folding for comparisons "without regard to letter case"
// (ASCII and the Latin-1 letters such as umlauts).
std::wstring ToLower(const std::wstring& s);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

// Splits at every occurrence of the separator; "a==b" gives "a", "", "b".
std::vector<std::wstring> Split(const std::wstring& s, wchar_t separator);

bool StartsWith(const std::wstring& s, const std::wstring& prefix);
bool EndsWith(const std::wstring& s, const std::wstring& suffix);

// Replaces every occurrence of `from` (case-sensitive).
std::wstring ReplaceAll(const std::wstring& s, const std::wstring& from, const std::wstring& to);

// Decimal text of a whole number, no leading zeros or blanks.
std::wstring FromInt(long long value);

// Windows-1252 bytes to text and back; characters that the code page cannot
// hold become '?'. Used where the ANSI code page is not available (host build)
// and as the documented encoding of settings.ini.
std::wstring DecodeCp1252(const std::string& bytes);
std::string EncodeCp1252(const std::wstring& text);

// UTF-8 conversions for diagnostics and exception texts.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& bytes);

}  // namespace Text
