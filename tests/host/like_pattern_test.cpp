#include <gtest/gtest.h>

#include <string>

#include "settings/LikePattern.h"

TEST(LikePatternTest, QuestionMarkIsExactlyOneCharacter) {
    EXPECT_TRUE(Like(L"a=b", L"?=?"));
    EXPECT_FALSE(Like(L"=b", L"?=?"));
    EXPECT_FALSE(Like(L"ab=b", L"?=?"));
    EXPECT_TRUE(Like(L"Menü", L"Men?"));
}

TEST(LikePatternTest, StarCoversEmptyAndLongRuns) {
    EXPECT_TRUE(Like(L"a=", L"?*=*"));
    EXPECT_TRUE(Like(L"abc=def=g", L"?*=?*"));
    EXPECT_FALSE(Like(L"=value", L"?*=*"));
    EXPECT_FALSE(Like(L"key=", L"?*=?*"));
    EXPECT_TRUE(Like(L"", L"*"));
    EXPECT_TRUE(Like(L"Access.Application.16=Access 2016", L"*.*.*=?*"));
    EXPECT_FALSE(Like(L"Access.Application=Access", L"*.*.*=?*"));
    // The points may stand after the "=", the pattern only asks for an "=" later on.
    EXPECT_TRUE(Like(L"a.b.c=d", L"*.*.*=?*"));
    EXPECT_FALSE(Like(L"a.b.c=", L"*.*.*=?*"));
}

TEST(LikePatternTest, BracketedCharacterStandsForItself) {
    EXPECT_TRUE(Like(L"[GetFileSize]", L"[[]*[]]"));
    EXPECT_TRUE(Like(L"[]", L"[[]*[]]"));
    EXPECT_FALSE(Like(L"[", L"[[]*[]]"));
    EXPECT_FALSE(Like(L"[GetFileSize", L"[[]*[]]"));
    EXPECT_FALSE(Like(L"GetFileSize]", L"[[]*[]]"));
    EXPECT_TRUE(Like(L"*", L"[*]"));
    EXPECT_FALSE(Like(L"x", L"[*]"));
    EXPECT_FALSE(Like(L"x", L"[?]"));
    EXPECT_TRUE(Like(L"[accessVer_16.0]", L"[[]accessVer_*"));
}

TEST(LikePatternTest, UnclosedBracketIsAnOrdinaryCharacter) {
    EXPECT_TRUE(Like(L"[ab", L"[ab"));
    EXPECT_TRUE(Like(L"x[", L"x["));
    EXPECT_FALSE(Like(L"a", L"[ab"));
}

TEST(LikePatternTest, LetterCaseIsSignificantAndWholeLineMustMatch) {
    EXPECT_TRUE(Like(L"URL=http://host/x", L"URL=http://*"));
    EXPECT_FALSE(Like(L"url=http://host/x", L"URL=http://*"));
    EXPECT_FALSE(Like(L"URL=HTTP://host/x", L"URL=http://*"));
    EXPECT_FALSE(Like(L" URL=http://host/x", L"URL=http://*"));
    EXPECT_FALSE(Like(L"Meldung=x", L"Meldung"));
}

// A naive recursive matcher needs exponential time here; the test would hang.
TEST(LikePatternTest, ManyStarsOnLongLinesStayFast) {
    const std::wstring line(20000, L'a');
    EXPECT_FALSE(Like(line, L"*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(Like(line + L"b", L"*a*a*a*a*a*a*a*a*b"));
    EXPECT_FALSE(Like(std::wstring(100000, L'.'), L"*.*.*=?*"));
}
