#include <gtest/gtest.h>

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

}  // namespace

TEST(ExtractLinkTest, FirstCompleteLinkIsReducedToItsWordAndEqualEscapesRestored) {
    struct Case {
        const wchar_t* text;
        bool found;
        const wchar_t* shown;
        const wchar_t* target;
        const wchar_t* linkText;
    };
    for (const Case& c :
         {Case{L"Infos: <a href#EQUAL#http://zelbar.de/info?a#EQUAL#1>hier</a>", true,
               L"Infos: hier", L"http://zelbar.de/info?a=1", L"hier"},
          Case{L"Service-Pack: <A HREF=sp\\SP3.exe>installieren</A> jetzt", true,
               L"Service-Pack: installieren jetzt", L"sp\\SP3.exe", L"installieren"},
          // Only the first link counts, and every copy of it is replaced.
          Case{L"<a href=x>eins</a> und <a href=y>zwei</a> und <a href=x>eins</a> nochmal", true,
               L"eins und <a href=y>zwei</a> und eins nochmal", L"x", L"eins"},
          Case{L"Text <a href#EQUAL#ziel ohne Ende", false, L"Text <a href=ziel ohne Ende", L"",
               L""},
          Case{L"Text <a href#EQUAL#ziel>hier", false, L"Text <a href=ziel>hier", L"", L""},
          Case{L"a#EQUAL#b ohne Link", false, L"a=b ohne Link", L"", L""}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        const LinkMarkup link = ExtractLink(c.text);
        EXPECT_EQ(link.found, c.found);
        EXPECT_EQ(link.text, c.shown);
        EXPECT_EQ(link.target, c.target);
        EXPECT_EQ(link.linkText, c.linkText);
    }
}

TEST(LinkPlacementTest, LinkStartsWhereTheWordByWordLayoutPutsIt) {
    FixedWidthMeasure measure;
    struct Case {
        std::wstring caption;
        int width;
        std::wstring link;
        int line;
        int offset;
    };
    for (const Case& c :
         {// "aaaa bbbb" (850) fits, "cccc" would end at 1300: "hier" is on
          // line 3 after "ffff" and one blank.
          Case{kSixWords, 1000, L"hier", 3, 450},
          Case{L"aaaa bbbb", 850, L"bbbb", 1, 450},  // ends exactly at the edge
          Case{L"aaaa bbbb", 849, L"bbbb", 2, 0},
          Case{L"aa  hier", 5000, L"hier", 1, 300},   // an empty word with its blank
          Case{L"aaaa bbbb  cc", 870, L"cc", 2, 50},  // a blank that starts a line stays
          Case{L"Infos (hier) lesen", 5000, L"hier", 1,
               650},  // after "Infos ("
                      // A word wider than the label stays on its line and pushes the next down.
          Case{L"aaaaaaaaaaaaaaa hier", 1000, L"hier", 2, 0}}) {
        SCOPED_TRACE(testing::PrintToString(c.caption + L" / " + c.link));
        const auto position = FindLinkPosition(c.caption, c.width, c.link, measure);
        ASSERT_TRUE(position);
        EXPECT_EQ(position->line, c.line);
        EXPECT_EQ(position->offset, c.offset);
    }

    const auto box = PlaceLinkLabel({1200, 1080, 1000, 195}, kSixWords, L"hier", measure);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->left, 1200 + 450);
    EXPECT_EQ(box->top, 1080 + 2 * 195);
    EXPECT_EQ(box->width, 340);
    EXPECT_EQ(box->height, 195);

    for (const wchar_t* hidden : {L"", L"  ", L"link"}) {  // "link": letter case counts
        EXPECT_FALSE(FindLinkPosition(L"Text mit  Link", 5000, hidden, measure));
    }
    EXPECT_FALSE(PlaceLinkLabel({0, 0, 5000, 195}, L"Text mit Link", L"hier", measure));
}

TEST(LinkPlacementTest, WrappedTextBreaksExactlyWhereTheLinkLayoutDoes) {
    FixedWidthMeasure measure;
    const WrappedText narrow = WrapAtBlanks(kSixWords, 1000, measure);
    EXPECT_EQ(narrow.text, L"aaaa bbbb\r\ncccc dddd\r\nffff hier\r\ngggg");
    EXPECT_EQ(narrow.lines, 4);
    const WrappedText wide = WrapAtBlanks(kSixWords, 5000, measure);
    EXPECT_EQ(wide.text, kSixWords);
    EXPECT_EQ(wide.lines, 1);
    EXPECT_EQ(WrapAtBlanks(L"aaaaaaaaaaaaaaa hier", 1000, measure).text,
              L"aaaaaaaaaaaaaaa\r\nhier");
    EXPECT_EQ(WrapAtBlanks(L"aaaa bbbb  cc", 870, measure).text, L"aaaa bbbb\r\n cc");
}

TEST(LinkTargetTest, WebAndMailTargetsOpenInAnyCaseOtherTargetsStartAsQuotedFullPath) {
    FakeUi ui(L"C:\\Setup CD");
    FakeShell shell;
    const std::vector<std::wstring> web{L"http://zelbar.de",      L"HTTP://ZELBAR.DE",
                                        L"https://zelbar.de/a",   L"Https://zelbar.de",
                                        L"mailto:info@zelbar.de", L"MailTo:info@zelbar.de"};
    for (const std::wstring& target : web) OpenLinkTarget(target, ui, shell);
    for (const wchar_t* target : {L"docs\\Hilfe.pdf", L"http:/kaputt", L"www.zelbar.de"}) {
        OpenLinkTarget(target, ui, shell);
    }
    EXPECT_EQ(ui.openedUrls, web);
    EXPECT_EQ(shell.runCommands, (std::vector<std::wstring>{L"\"C:\\Setup CD\\docs\\Hilfe.pdf\"",
                                                            L"\"C:\\Setup CD\\http:/kaputt\"",
                                                            L"\"C:\\Setup CD\\www.zelbar.de\""}));
}
