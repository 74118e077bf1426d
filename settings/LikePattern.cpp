#include "settings/LikePattern.h"

LikePattern::LikePattern(const std::wstring& pattern) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        if (c == L'?') {
            tokens_.push_back({Kind::AnyOne, 0});
        } else if (c == L'*') {
            tokens_.push_back({Kind::AnyRun, 0});
        } else if (c == L'[' && i + 2 < pattern.size() && pattern[i + 2] == L']') {
            tokens_.push_back({Kind::Literal, pattern[i + 1]});
            i += 2;
        } else {
            tokens_.push_back({Kind::Literal, c});
        }
    }
}

bool LikePattern::TokenTakes(const Token& token, wchar_t c) const {
    return token.kind == Kind::AnyOne || (token.kind == Kind::Literal && token.ch == c);
}

bool LikePattern::Matches(const std::wstring& text) const {
    const std::size_t none = static_cast<std::size_t>(-1);
    std::size_t t = 0;
    std::size_t p = 0;
    // Only the most recent "*" needs to be retried: an earlier one can never
    // cover more than the later one already may.
    std::size_t lastRun = none;
    std::size_t runStart = 0;
    while (t < text.size()) {
        if (p < tokens_.size() && tokens_[p].kind == Kind::AnyRun) {
            lastRun = p++;
            runStart = t;
        } else if (p < tokens_.size() && TokenTakes(tokens_[p], text[t])) {
            ++p;
            ++t;
        } else if (lastRun != none) {
            p = lastRun + 1;
            t = ++runStart;
        } else {
            return false;
        }
    }
    while (p < tokens_.size() && tokens_[p].kind == Kind::AnyRun) ++p;
    return p == tokens_.size();
}

bool Like(const std::wstring& text, const std::wstring& pattern) {
    return LikePattern(pattern).Matches(text);
}
