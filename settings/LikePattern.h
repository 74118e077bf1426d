#pragma once
#include <string>
#include <vector>

// The match patterns of the settings validation: "?" is exactly one character,
// "*" any run of characters (also none), a character in square brackets
// stands for itself ("[[]" is "[", "[]]" is "]"), every other character stands
// for itself with letter case significant. The pattern must cover the whole text.
class LikePattern {
public:
    explicit LikePattern(const std::wstring& pattern);

    // Time grows with text length times pattern length at worst, never
    // exponentially, so long lines in a damaged file cannot stall the start.
    bool Matches(const std::wstring& text) const;

private:
    enum class Kind { Literal, AnyOne, AnyRun };
    struct Token {
        Kind kind;
        wchar_t ch;
    };

    bool TokenTakes(const Token& token, wchar_t c) const;

    std::vector<Token> tokens_;
};

bool Like(const std::wstring& text, const std::wstring& pattern);
