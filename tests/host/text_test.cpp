// wchar_t has 32 bits here; surrogate units in a wide text stand for what a
// 16-bit wchar_t holds on Windows, and ToUtf16 shows that form.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/Text.h"

namespace {

const wchar_t kFffd = 0xFFFD;

// The text of these code points with one wchar_t each.
std::wstring W(std::initializer_list<std::uint32_t> codePoints) {
    std::wstring text;
    for (std::uint32_t cp : codePoints) text.push_back(static_cast<wchar_t>(cp));
    return text;
}

// What Windows makes of 0x80..0x9F; the five bytes it leaves unassigned give their control
// character.
const std::wstring kCp1252High = L"€\x81‚ƒ„…†‡ˆ‰Š‹Œ\x8DŽ\x8F\x90‘’“”•–—˜™š›œ\x9DžŸ";

TEST(Utf8Test, EveryCharacterRoundTripsAndEachLengthEndsWhereItShould) {
    // A step through every range; the ends of each length are pinned below.
    for (std::uint32_t cp = 1; cp <= 0x10FFFF; cp += 0x7F) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::wstring text = W({cp});
        ASSERT_EQ(Text::FromUtf8(Text::ToUtf8(text)), text) << std::hex << cp;
    }
    EXPECT_EQ(Text::ToUtf8(W({0x7F, 0x80})), "\x7F\xC2\x80");
    EXPECT_EQ(Text::ToUtf8(W({0x7FF, 0x800})), "\xDF\xBF\xE0\xA0\x80");
    EXPECT_EQ(Text::ToUtf8(W({0xFFFF, 0x10000})), "\xEF\xBF\xBF\xF0\x90\x80\x80");
    EXPECT_EQ(Text::ToUtf8(W({0x10FFFF})), "\xF4\x8F\xBF\xBF");
}

TEST(Utf8Test, SurrogatePairsAreOneCharacterAndLoneSurrogatesBecomeReplacements) {
    EXPECT_EQ(Text::ToUtf8(W({'a', 0xD834, 0xDD1E, 'z'})), "a\xF0\x9D\x84\x9Ez");
    EXPECT_EQ(Text::ToUtf8(W({0xD800, 0xDC00, 0xDBFF, 0xDFFF})),
              "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(Text::ToUtf8(W({0xD834, 'z', 0xDD1E, 0xD834})),
              "\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Text::ToUtf8(W({0x110000, 'x'})), "\xEF\xBF\xBDx");

    EXPECT_EQ(Text::ToUtf16(W({'a', 0x10000, 0x10FFFF, 0xFFFF})),
              (std::u16string{u'a', 0xD800, 0xDC00, 0xDBFF, 0xDFFF, 0xFFFF}));
    EXPECT_EQ(Text::ToUtf16(W({0xD834, 0xDD1E})), (std::u16string{0xD834, 0xDD1E}));
    EXPECT_EQ(Text::ToUtf16(W({0xDD1E, 'a', 0x110000})), (std::u16string{0xFFFD, u'a', 0xFFFD}));
}

TEST(Utf8Test, EachMalformedPieceBecomesOneReplacementAndNothingAroundItIsLost) {
    const struct {
        const char* bytes;
        std::wstring text;
    } cases[] = {
        {"a\x80z", W({'a', kFffd, 'z'})},  // stray continuation byte
        {"\xBF\x80", W({kFffd, kFffd})},
        {"\xC3", W({kFffd})},                                   // cut short by the end
        {"\xC3Z", W({kFffd, 'Z'})},                             // cut short by a character
        {"\xE2\x82Z\xE2\x82", W({kFffd, 'Z', kFffd})},          // a three-byte form cut twice
        {"\xF0\x9F\x98\xC3\xA4", W({kFffd, 0xE4})},             // a four-byte form cut by the next
        {"\xC0\xAF\xC1\xBF", W({kFffd, kFffd, kFffd, kFffd})},  // overlong two-byte forms
        {"\xE0\x9F\xBF", W({kFffd, kFffd, kFffd})},             // overlong three-byte form
        {"\xE0\xA0\x80", W({0x800})},
        {"\xF0\x8F\xBF\xBF", W({kFffd, kFffd, kFffd, kFffd})},           // overlong four-byte form
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", W({0x10000, 0x10FFFF})},    // the plane edges
        {"\xED\xA0\x80\xED\x9F\xBF", W({kFffd, kFffd, kFffd, 0xD7FF})},  // encoded surrogate
        {"\xF4\x90\x80\x80", W({kFffd, kFffd, kFffd, kFffd})},           // beyond U+10FFFF
        {"\xF5\x80\xF8\xFE\xFFz", W({kFffd, kFffd, kFffd, kFffd, kFffd, 'z'})},
        {"\xF4\x8F\xBF", W({kFffd})}};
    for (const auto& c : cases) EXPECT_EQ(Text::FromUtf8(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(Text::FromUtf8(std::string("a\0b", 3)), W({'a', 0, 'b'}));
}

TEST(Cp1252Test, EveryByteDecodesAsWindowsDoesAndEncodesBack) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::wstring text = Text::DecodeCp1252(byte);
        ASSERT_EQ(text.size(), 1u);
        EXPECT_EQ(text[0], b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : wchar_t(b)) << b;
        EXPECT_EQ(Text::EncodeCp1252(text), byte) << b;
    }
}

TEST(Cp1252Test, EachCharacterTheCodePageLacksBecomesOneQuestionMark) {
    EXPECT_EQ(Text::EncodeCp1252(W({'a', 0x80, 0x100, 0x1F600, 0xD83D, 0xDE00, 0xDE00, 'b'})),
              "a?????b");
}

TEST(TextTest, LetterCaseFoldsAsciiLatin1AndTheOtherCp1252Letters) {
    EXPECT_EQ(Text::ToLower(L"ZELBAR-Setup ÄÖÜ ÀÞ Š Œ Ž Ÿ"), L"zelbar-setup äöü àþ š œ ž ÿ");
    EXPECT_EQ(Text::ToLower(L"@[`{ × ß ÷ Ÿ"), L"@[`{ × ß ÷ ÿ");
    EXPECT_TRUE(Text::EqualsNoCase(L"Größe", L"GRÖßE"));
    EXPECT_FALSE(Text::EqualsNoCase(L"×", L"÷"));
    EXPECT_FALSE(Text::EqualsNoCase(L"abc", L"abcd"));
}

TEST(TextTest, TrimSplitReplaceAndNumbers) {
    EXPECT_EQ(Text::TrimBlanks(L" \ta b \t "), L"\ta b \t");
    EXPECT_EQ(Text::TrimBlanks(L"   "), L"");
    EXPECT_EQ(Text::Split(L"a==b", L'='), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_EQ(Text::ReplaceAll(L"aaa", L"aa", L"b"), L"ba");
    EXPECT_EQ(Text::ReplaceAll(L"abc", L"", L"x"), L"abc");
    EXPECT_TRUE(Text::StartsWith(L"URL=", L"URL="));
    EXPECT_FALSE(Text::StartsWith(L"UR", L"URL="));
    EXPECT_FALSE(Text::EndsWith(L"lnk", L".lnk"));
    EXPECT_EQ(Text::FromInt(-9223372036854775807LL - 1), L"-9223372036854775808");
}

}  // namespace
