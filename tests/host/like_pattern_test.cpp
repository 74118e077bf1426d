#include <gtest/gtest.h>

#include <string>

#include "settings/LikePattern.h"

TEST(LikePatternTest, PatternCoversTheWholeTextWithLetterCaseSignificant) {
    const struct {
        const wchar_t* text;
        const wchar_t* pattern;
        bool matches;
    } cases[] = {
        // "?" is exactly one character.
        {L"a=b", L"?=?", true},
        {L"=b", L"?=?", false},
        {L"ab=b", L"?=?", false},
        // "*" is any run, also none, and gives back what the tokens after it need.
        {L"", L"*", true},
        {L"a=", L"?*=*", true},
        {L"=value", L"?*=*", false},
        {L"abc=def=g", L"?*=?*", true},
        {L"key=", L"?*=?*", false},
        {L"a.b.c=d", L"*.*.*=?*", true},
        {L"a.b=c", L"*.*.*=?*", false},
        // A character in brackets stands for itself; an unclosed bracket is a character.
        {L"[GetFileSize]", L"[[]*[]]", true},
        {L"[]", L"[[]*[]]", true},
        {L"[", L"[[]*[]]", false},
        {L"[GetFileSize", L"[[]*[]]", false},
        {L"GetFileSize]", L"[[]*[]]", false},
        {L"*", L"[*]", true},
        {L"x", L"[*]", false},
        {L"x", L"[?]", false},
        {L"[ab", L"[ab", true},
        {L"a", L"[ab", false},
        // Letter case counts, and nothing may stand before or after.
        {L"url=http://h", L"URL=http://*", false},
        {L" URL=http://h", L"URL=http://*", false},
        {L"Meldung=x", L"Meldung", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Like(c.text, c.pattern), c.matches)
            << ::testing::PrintToString(std::wstring(c.text)) << " ~ "
            << ::testing::PrintToString(std::wstring(c.pattern));
    }
}

// A naive recursive matcher needs exponential time here; the test would hang.
TEST(LikePatternTest, ManyStarsOnLongLinesStayFast) {
    EXPECT_FALSE(Like(std::wstring(20000, L'a'), L"*a*a*a*a*a*a*a*a*b"));
}
