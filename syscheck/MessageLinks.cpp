#include "syscheck/MessageLinks.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/Path.h"
#include "platform/Text.h"

namespace {

const wchar_t kLinkStart[] = L"<a href=";
const wchar_t kLinkEnd[] = L"</a>";
const wchar_t kEqualEscape[] = L"#EQUAL#";

std::size_t Length(const wchar_t* marker) {
    return std::wstring(marker).size();
}

}  // namespace

LinkMarkup ExtractLink(const std::wstring& text) {
    LinkMarkup result;
    result.text = Text::ReplaceAll(text, kEqualEscape, L"=");
    // Case folding keeps every character in place, so positions found in the
    // folded copy hold for the text itself.
    const std::wstring folded = Text::ToLower(result.text);

    const auto start = folded.find(kLinkStart);
    if (start == std::wstring::npos) return result;
    const auto targetStart = start + Length(kLinkStart);
    const auto close = folded.find(L'>', targetStart);
    if (close == std::wstring::npos) return result;
    const auto end = folded.find(kLinkEnd, close + 1);
    if (end == std::wstring::npos) return result;

    result.target = result.text.substr(targetStart, close - targetStart);
    result.linkText = result.text.substr(close + 1, end - close - 1);
    const std::wstring wholeLink = result.text.substr(start, end + Length(kLinkEnd) - start);
    result.text = Text::ReplaceAll(result.text, wholeLink, result.linkText);
    // Nothing before the first whole link is replaced, so it still starts here.
    result.linkStart = start;
    result.found = true;
    return result;
}

namespace {

struct PlacedWord {
    std::wstring text;
    std::size_t start;  // index of its first character in the caption
    LinkPosition position;
};

std::vector<PlacedWord> LayoutWords(const std::wstring& caption, int labelWidth,
                                    TextMeasure& measure) {
    const int blank = measure.TextWidth(L" ");
    std::vector<PlacedWord> placed;
    LinkPosition next;
    std::size_t start = 0;
    for (std::wstring& word : Text::Split(caption, L' ')) {
        const int width = measure.TextWidth(word);
        if (next.offset > 0 && next.offset + width > labelWidth) {
            ++next.line;
            next.offset = 0;
        }
        const std::size_t length = word.size();
        placed.push_back({std::move(word), start, next});
        next.offset += width + blank;
        start += length + 1;
    }
    return placed;
}

}  // namespace

WrappedText WrapAtBlanks(const std::wstring& caption, int labelWidth, TextMeasure& measure) {
    WrappedText wrapped;
    for (const PlacedWord& word : LayoutWords(caption, labelWidth, measure)) {
        if (word.start > 0) wrapped.text += word.position.line > wrapped.lines ? L"\r\n" : L" ";
        wrapped.lines = word.position.line;
        wrapped.text += word.text;
    }
    return wrapped;
}

std::optional<LinkPosition> FindLinkPosition(const LinkMarkup& link, int labelWidth,
                                             TextMeasure& measure) {
    if (!link.found || Text::TrimBlanks(link.linkText).empty()) return std::nullopt;
    const std::size_t linkStart = link.linkStart;
    if (linkStart > link.text.size() ||
        link.text.compare(linkStart, link.linkText.size(), link.linkText) != 0) {
        return std::nullopt;
    }

    const auto words = LayoutWords(link.text, labelWidth, measure);
    // The last word that starts at or before the link holds it (or the blank
    // right after it, when the link text begins with a blank).
    auto word = words.begin();
    while (std::next(word) != words.end() && std::next(word)->start <= linkStart) ++word;
    LinkPosition position = word->position;
    // The link may start inside the word, e.g. after a parenthesis.
    const std::size_t inside = std::min(linkStart - word->start, word->text.size());
    position.offset += measure.TextWidth(word->text.substr(0, inside));
    return position;
}

std::optional<LinkBox> PlaceLinkLabel(const LinkBox& message, const LinkMarkup& link,
                                      TextMeasure& measure) {
    const auto position = FindLinkPosition(link, message.width, measure);
    if (!position) return std::nullopt;
    const int lineHeight = measure.TextHeight();
    return LinkBox{message.left + position->offset, message.top + (position->line - 1) * lineHeight,
                   measure.TextWidth(link.linkText), lineHeight};
}

LinkTargetKind ClassifyLinkTarget(const std::wstring& target) {
    const std::wstring folded = Text::ToLower(target);
    for (const wchar_t* scheme : {L"http://", L"https://", L"mailto:"}) {
        if (Text::StartsWith(folded, scheme)) return LinkTargetKind::WebOrMail;
    }
    return LinkTargetKind::File;
}

void OpenLinkTarget(const std::wstring& target, Ui& ui, Shell& shell) {
    if (ClassifyLinkTarget(target) == LinkTargetKind::WebOrMail) {
        ui.OpenUrl(target);
        return;
    }
    shell.Run(L"\"" + Path::Join(ui.StartFolder(), target) + L"\"");
}
