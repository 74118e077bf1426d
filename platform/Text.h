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
// (ASCII, the Latin-1 letters such as umlauts and the other letters of
// Windows-1252: Š, Œ, Ž, Ÿ).
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

// Windows-1252 bytes to text and back; each character that the code page
// cannot hold (a surrogate pair is one character) becomes one '?'. The five
// bytes the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand
// for the control characters of the same number, both ways, as on Windows.
// Used where the ANSI code page is not available (host build) and as the
// documented encoding of settings.ini.
std::wstring DecodeCp1252(const std::string& bytes);
std::string EncodeCp1252(const std::wstring& text);

// UTF-8 conversions for diagnostics, exception texts and host file names.
// Nothing is lost and nothing crashes on broken input: a surrogate without its
// partner, and each malformed piece of UTF-8 (a stray continuation byte, a
// sequence cut short, an overlong or out-of-range form), becomes U+FFFD, and
// the characters around it stay as they are.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& bytes);

// The text in UTF-16, the form the Windows API counts in, whatever the width
// of wchar_t; a surrogate without its partner becomes U+FFFD.
std::u16string ToUtf16(const std::wstring& text);

}  // namespace Text
