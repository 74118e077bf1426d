#include "syscheck/MessageLinks.h"


#include "platform/Text.h"

namespace {

const wchar_t kLinkStart[] = L"<a href=";
const wchar_t kLinkEnd[] = L"</a>";
const wchar_t kEqualEscape[] = L"#EQUAL#";

std::size_t Length(const wchar_t* marker) { return std::wstring(marker).size(); }

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
    result.found = true;
    return result;
}

std::optional<LinkPosition> FindLinkPosition(const std::wstring& caption, int labelWidth,
                                             const std::wstring& linkText, TextMeasure& measure) {
    if (Text::TrimBlanks(linkText).empty()) return std::nullopt;
    const auto linkStart = caption.find(linkText);
    if (linkStart == std::wstring::npos) return std::nullopt;

    const int blank = measure.TextWidth(L" ");
    LinkPosition position;
    std::size_t wordStart = 0;
    for (const std::wstring& word : Text::Split(caption, L' ')) {
        const int width = measure.TextWidth(word);
        // A word wider than the whole label stays on the line it starts, as
        // the label draws it; only a started line is broken.
        if (position.offset > 0 && position.offset + width > labelWidth) {
            ++position.line;
            position.offset = 0;
        }
        const std::size_t wordEnd = wordStart + word.size();
        if (linkStart <= wordEnd) {
            // The link may start inside the word, e.g. after a parenthesis.
            position.offset += measure.TextWidth(word.substr(0, linkStart - wordStart));
            return position;
        }
        position.offset += width + blank;
        wordStart = wordEnd + 1;
    }
    return position;  // not reached: the link starts inside the caption
}

std::optional<LinkBox> PlaceLinkLabel(const LinkBox& message, const std::wstring& caption,
                                      const std::wstring& linkText, TextMeasure& measure) {
    const auto position = FindLinkPosition(caption, message.width, linkText, measure);
    if (!position) return std::nullopt;
    const int lineHeight = measure.TextHeight();
    return LinkBox{message.left + position->offset,
                   message.top + (position->line - 1) * lineHeight, measure.TextWidth(linkText),
                   lineHeight};
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
    shell.Run(L"\"" + ui.StartFolder() + L"\\" + target + L"\"");
}
