#pragma once
#include <optional>
#include <string>

#include "platform/Shell.h"
#include "ui/TextMeasure.h"
#include "ui/Ui.h"

// The link markup of the system check's messages and the arithmetic that lays
// a link label over the link's word in a word-wrapping message label.
//
// A message holds at most one link that is acted on:
//   <a href=TARGET>WORD</a>
// The markers are found without regard to letter case; settings-file texts
// write every "=" as "#EQUAL#", because the settings reader ends a value at
// the next "=".

// A text split into what the label shows and the link it carries.
struct LinkMarkup {
    std::wstring text;      // display text: "#EQUAL#" replaced, the link reduced to its word
    std::wstring target;    // as written, without quotes
    std::wstring linkText;  // the word the link label covers
    // Where linkText starts in text: the same words may also stand earlier in
    // the message ("hierzu ... hier"), and only these are the link.
    std::size_t linkStart = 0;
    bool found = false;  // false: the text keeps any incomplete markup as written
};

LinkMarkup ExtractLink(const std::wstring& text);

// Where a word lies in a wrapped message: its line (1 = first) and its
// distance from the label's left edge, in twips.
struct LinkPosition {
    int line = 1;
    int offset = 0;
};

// The word-by-word layout of a message label: the caption is split at every
// single blank (two blanks in a row give an empty word); a word that does not
// fit on a started line moves to the next one, where it starts at 0. A word
// wider than the label stays on the line it starts.
//
// The page shows a message with these line breaks put in (WrapAtBlanks), so
// the label draws exactly the lines this layout computes; the system's own
// word wrapping is not relied on (Wine's, for one, also breaks before a word
// that fits when the blank after it does not).
struct WrappedText {
    std::wstring text;  // the caption with CR LF where a line ends
    int lines = 1;
};
WrappedText WrapAtBlanks(const std::wstring& caption, int labelWidth, TextMeasure& measure);

// Finds the start of the link's words (link.linkStart in link.text) in that
// layout. Nothing when there is no link or its words are blank.
std::optional<LinkPosition> FindLinkPosition(const LinkMarkup& link, int labelWidth,
                                             TextMeasure& measure);

// A twips rectangle in the page's coordinates.
struct LinkBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The link label's rectangle over the link's words in a message label at
// `message` showing link.text: one line high and as wide as the link text.
// Nothing when the link label is to stay hidden.
std::optional<LinkBox> PlaceLinkLabel(const LinkBox& message, const LinkMarkup& link,
                                      TextMeasure& measure);

enum class LinkTargetKind {
    WebOrMail,  // http://, https:// or mailto:, in any letter case
    File,       // a file relative to the setup program's folder
};

LinkTargetKind ClassifyLinkTarget(const std::wstring& target);

// Opens a web or mail target with the default handler, or starts a file next
// to the setup program as its quoted full path. Failures reach the caller.
void OpenLinkTarget(const std::wstring& target, Ui& ui, Shell& shell);
