#include "platform/Text.h"

#include <algorithm>

namespace Text {
namespace {

// Windows-1252 0x80..0x9F; 0 marks the five unassigned bytes, which decode to
// the C1 control of the same number as Windows itself does.
const char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr std::uint32_t kReplacement = 0xFFFD;  // U+FFFD REPLACEMENT CHARACTER
constexpr std::uint32_t kLastCodePoint = 0x10FFFF;

bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

wchar_t FoldChar(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code >= L'A' && code <= L'Z') return static_cast<wchar_t>(code + 32);
    // Latin-1 capitals À..Þ except the multiplication sign.
    if (code >= 0xC0 && code <= 0xDE && code != 0xD7) return static_cast<wchar_t>(code + 32);
    // The other capitals of Windows-1252, which settings.ini may hold.
    switch (code) {
        case 0x0160:  // Š
        case 0x0152:  // Œ
        case 0x017D:  // Ž
            return static_cast<wchar_t>(code + 1);
        case 0x0178:  // Ÿ
            return static_cast<wchar_t>(0xFF);
        default:
            return c;
    }
}

// The characters of a text, whatever the width of wchar_t: a surrogate pair
// is one character, a surrogate without its partner and a unit beyond
// Unicode cannot be one and become U+FFFD.
std::u32string CodePoints(const std::wstring& text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<std::uint32_t>(text[i]);
        if (IsHighSurrogate(unit) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<std::uint32_t>(text[i + 1]))) {
            const auto low = static_cast<std::uint32_t>(text[++i]);
            out.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit) || unit > kLastCodePoint) {
            out.push_back(kReplacement);
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

// Characters in the form of the string type: a character beyond the Basic
// Multilingual Plane takes a surrogate pair where the unit has 16 bits.
template <typename Wide>
Wide FromCodePoints(const std::u32string& codePoints) {
    using Unit = typename Wide::value_type;
    Wide out;
    out.reserve(codePoints.size());
    for (std::uint32_t cp : codePoints) {
        if (sizeof(Unit) == 2 && cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<Unit>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<Unit>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<Unit>(cp));
        }
    }
    return out;
}

// The number of bytes a lead byte announces and the range its first
// continuation byte must lie in, so that no character has two encodings, no
// surrogate is encoded and nothing lies beyond U+10FFFF; 0 for a byte that
// cannot begin a character.
struct Lead {
    std::size_t length;
    unsigned char low, high;
};

Lead LeadOf(unsigned char b) {
    if (b < 0x80) return {1, 0, 0};
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// Malformed input never swallows a following character: each broken piece
// (a byte that cannot begin a character, or a sequence cut short by a byte
// that does not belong to it) becomes one U+FFFD, and decoding goes on at the
// byte that broke it off.
std::u32string DecodeUtf8(const std::string& bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const Lead form = LeadOf(lead);
        if (form.length == 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        std::uint32_t cp = form.length == 1 ? lead : lead & (0x7F >> form.length);
        std::size_t taken = 1;
        for (; taken < form.length && i + taken < bytes.size(); ++taken) {
            const auto b = static_cast<unsigned char>(bytes[i + taken]);
            const unsigned char low = taken == 1 ? form.low : 0x80;
            const unsigned char high = taken == 1 ? form.high : 0xBF;
            if (b < low || b > high) break;
            cp = (cp << 6) | (b & 0x3F);
        }
        out.push_back(taken == form.length ? cp : kReplacement);
        i += taken;
    }
    return out;
}

std::string EncodeUtf8(const std::u32string& codePoints) {
    std::string out;
    out.reserve(codePoints.size());
    for (const std::uint32_t cp : codePoints) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace

std::wstring TrimBlanks(const std::wstring& s) {
    const auto first = s.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::wstring();
    const auto last = s.find_last_not_of(L' ');
    return s.substr(first, last - first + 1);
}

std::wstring ToLower(const std::wstring& s) {
    std::wstring out(s);
    std::transform(out.begin(), out.end(), out.begin(), FoldChar);
    return out;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldChar(a[i]) != FoldChar(b[i])) return false;
    }
    return true;
}

std::vector<std::wstring> Split(const std::wstring& s, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const auto pos = s.find(separator, start);
        if (pos == std::wstring::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, pos - start));
        start = pos + 1;
    }
}

bool StartsWith(const std::wstring& s, const std::wstring& prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::wstring& s, const std::wstring& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::wstring ReplaceAll(const std::wstring& s, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return s;
    std::wstring out;
    size_t start = 0;
    for (;;) {
        const auto pos = s.find(from, start);
        if (pos == std::wstring::npos) break;
        out.append(s, start, pos - start);
        out.append(to);
        start = pos + from.size();
    }
    out.append(s, start, std::wstring::npos);
    return out;
}

std::wstring FromInt(long long value) {
    const std::string digits = std::to_string(value);
    return std::wstring(digits.begin(), digits.end());
}

std::wstring DecodeCp1252(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        if (b >= 0x80 && b <= 0x9F && kCp1252High[b - 0x80] != 0) {
            out.push_back(static_cast<wchar_t>(kCp1252High[b - 0x80]));
        } else {
            out.push_back(static_cast<wchar_t>(b));
        }
    }
    return out;
}

std::string EncodeCp1252(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (const std::uint32_t code : CodePoints(text)) {
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            out.push_back(static_cast<char>(code));
            continue;
        }
        char encoded = '?';
        for (int i = 0; i < 32; ++i) {
            const char16_t mapped = kCp1252High[i];
            if ((mapped != 0 && mapped == code) || (mapped == 0 && code == 0x80u + i)) {
                encoded = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.push_back(encoded);
    }
    return out;
}

std::string ToUtf8(const std::wstring& text) {
    return EncodeUtf8(CodePoints(text));
}

std::wstring FromUtf8(const std::string& bytes) {
    return FromCodePoints<std::wstring>(DecodeUtf8(bytes));
}

std::u16string ToUtf16(const std::wstring& text) {
    return FromCodePoints<std::u16string>(CodePoints(text));
}

}  // namespace Text
