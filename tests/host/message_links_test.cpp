#include <gtest/gtest.h>

#include <tuple>

#include "FakeShell.h"
#include "FakeUi.h"
#include "syscheck/MessageLinks.h"

namespace {

// Every character is 100 twips wide except the blank (50) and "i" (40);
// lines are 195 twips high.
class FixedWidthMeasure : public TextMeasure {
public:
    int TextWidth(const std::wstring& text) override {
        int width = 0;
        for (wchar_t c : text) width += c == L' ' ? 50 : c == L'i' ? 40 : 100;
        return width;
    }
    int TextHeight() override { return 195; }
};

const std::wstring kSixWords = L"aaaa bbbb cccc dddd ffff hier gggg";

// The message "before WORD after" with WORD as its link.
LinkMarkup Linked(const std::wstring& before, const std::wstring& word,
                  const std::wstring& after = L"") {
    return ExtractLink(before + L"<a href=x>" + word + L"</a>" + after);
}

}  // namespace

TEST(LinkPlacementTest, LinkStartsWhereTheWordByWordLayoutPutsIt) {
    FixedWidthMeasure measure;
    struct Case {
        LinkMarkup link;
        int width;
        int line;
        int offset;
    };
    for (const Case& c :
         {// "aaaa bbbb" (850) fits, "cccc" would end at 1300: "hier" is on
          // line 3 after "ffff" and one blank.
          Case{Linked(L"aaaa bbbb cccc dddd ffff ", L"hier", L" gggg"), 1000, 3, 450},
          Case{Linked(L"aaaa ", L"bbbb"), 850, 1, 450},  // ends exactly at the edge
          Case{Linked(L"aaaa ", L"bbbb"), 849, 2, 0},
          Case{Linked(L"aa  ", L"hier"), 5000, 1, 300},     // an empty word with its blank
          Case{Linked(L"aaaa bbbb  ", L"cc"), 870, 2, 50},  // a blank that starts a line stays
          Case{Linked(L"Infos (", L"hier", L") lesen"), 5000, 1, 650},
          // The label covers the link's own words, not the same letters earlier on.
          Case{Linked(L"Hinweise hierzu finden Sie ", L"hier", L"."), 5000, 1, 2200},
          // A word wider than the label stays on its line and pushes the next down.
          Case{Linked(L"aaaaaaaaaaaaaaa ", L"hier"), 1000, 2, 0}}) {
        SCOPED_TRACE(testing::PrintToString(c.link.text));
        const auto position = FindLinkPosition(c.link, c.width, measure);
        ASSERT_TRUE(position);
        EXPECT_EQ(position->line, c.line);
        EXPECT_EQ(position->offset, c.offset);
    }

    const auto box = PlaceLinkLabel(
        {1200, 1080, 1000, 195}, Linked(L"aaaa bbbb cccc dddd ffff ", L"hier", L" gggg"), measure);
    ASSERT_TRUE(box);
    EXPECT_EQ(std::make_tuple(box->left, box->top, box->width, box->height),
              std::make_tuple(1200 + 450, 1080 + 2 * 195, 340, 195));

    for (const LinkMarkup& hidden :
         {Linked(L"Text mit ", L""), Linked(L"Text mit ", L"  "), ExtractLink(L"Text mit Link")}) {
        EXPECT_FALSE(FindLinkPosition(hidden, 5000, measure));
    }
}

TEST(LinkPlacementTest, WrappedTextBreaksExactlyWhereTheLinkLayoutDoes) {
    FixedWidthMeasure measure;
    const WrappedText narrow = WrapAtBlanks(kSixWords, 1000, measure);
    EXPECT_EQ(narrow.text, L"aaaa bbbb\r\ncccc dddd\r\nffff hier\r\ngggg");
    EXPECT_EQ(narrow.lines, 4);
    EXPECT_EQ(WrapAtBlanks(kSixWords, 5000, measure).text, kSixWords);
    EXPECT_EQ(WrapAtBlanks(L"aaaa bbbb  cc", 870, measure).text, L"aaaa bbbb\r\n cc");
}

TEST(LinkTargetTest, WebAndMailTargetsOpenInAnyCaseOtherTargetsStartAsQuotedFullPath) {
    FakeUi ui(L"C:\\Setup CD");
    FakeShell shell;
    const std::vector<std::wstring> web{L"HTTP://ZELBAR.DE", L"Https://zelbar.de/a",
                                        L"MailTo:info@zelbar.de"};
    for (const std::wstring& target : web) OpenLinkTarget(target, ui, shell);
    for (const wchar_t* target : {L"docs\\Hilfe.pdf", L"http:/kaputt"}) {
        OpenLinkTarget(target, ui, shell);
    }
    EXPECT_EQ(ui.openedUrls, web);
    EXPECT_EQ(shell.runCommands, (std::vector<std::wstring>{L"\"C:\\Setup CD\\docs\\Hilfe.pdf\"",
                                                            L"\"C:\\Setup CD\\http:/kaputt\""}));
}
