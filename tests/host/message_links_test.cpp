// The link markup of the system check's messages, the placement of a link
// label over a wrapped message (with a fixed-width text measure) and how a
// clicked target is opened.
#include <gtest/gtest.h>

#include "FakeUi.h"
#include "platform/PlatformError.h"
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

class RecordingShell : public Shell {
public:
    std::vector<std::wstring> started;
    std::wstring regRead(const std::wstring&) override { return L""; }
    void Run(const std::wstring& commandLine) override { started.push_back(commandLine); }
    unsigned long Run(const std::wstring&, WindowStyle, bool) override { return 0; }
    std::wstring SpecialFolders(const std::wstring&) override { return L""; }
    std::unique_ptr<Shortcut> CreateShortcut(const std::wstring&) override { return nullptr; }
};

}  // namespace

TEST(ExtractLinkTest, EqualEscapeIsReplacedAndLinkReducedToItsWord) {
    const LinkMarkup link =
        ExtractLink(L"Weitere Infos: <a href#EQUAL#http://zelbar.de/info?a#EQUAL#1>hier</a>");
    EXPECT_TRUE(link.found);
    EXPECT_EQ(link.text, L"Weitere Infos: hier");
    EXPECT_EQ(link.target, L"http://zelbar.de/info?a=1");
    EXPECT_EQ(link.linkText, L"hier");
}

TEST(ExtractLinkTest, MarkersAreFoundInAnyLetterCase) {
    const LinkMarkup link =
        ExtractLink(L"Service-Pack: <A HREF=sp\\SP3.exe>installieren</A> jetzt");
    EXPECT_TRUE(link.found);
    EXPECT_EQ(link.text, L"Service-Pack: installieren jetzt");
    EXPECT_EQ(link.target, L"sp\\SP3.exe");
    EXPECT_EQ(link.linkText, L"installieren");
}

TEST(ExtractLinkTest, OnlyFirstLinkIsTakenAndEveryCopyOfItReplaced) {
    const LinkMarkup link =
        ExtractLink(L"<a href=x>eins</a> und <a href=y>zwei</a> und <a href=x>eins</a> nochmal");
    EXPECT_TRUE(link.found);
    EXPECT_EQ(link.target, L"x");
    EXPECT_EQ(link.text, L"eins und <a href=y>zwei</a> und eins nochmal");
}

TEST(ExtractLinkTest, IncompleteMarkupStaysAsWrittenWithEqualsRestored) {
    for (const wchar_t* text :
         {L"Text <a href#EQUAL#ziel ohne Ende", L"Text <a href#EQUAL#ziel>hier"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        const LinkMarkup link = ExtractLink(text);
        EXPECT_FALSE(link.found);
        EXPECT_EQ(link.text.find(L"#EQUAL#"), std::wstring::npos);
        EXPECT_NE(link.text.find(L"<a href=ziel"), std::wstring::npos);
        EXPECT_EQ(link.target, L"");
    }
    const LinkMarkup plain = ExtractLink(L"a#EQUAL#b ohne Link");
    EXPECT_FALSE(plain.found);
    EXPECT_EQ(plain.text, L"a=b ohne Link");
}

TEST(ExtractLinkTest, CdOfferBecomesSentenceWithBareAddress) {
    const LinkMarkup link = ExtractLink(
        L"Sie können Zelbar jedoch auch kostenlos auf CD anfordern - E-Mail genügt: "
        L"<a href=mailto:bestellung@zelbar.de>bestellung@zelbar.de</a>");
    EXPECT_TRUE(link.found);
    EXPECT_EQ(link.text,
              L"Sie können Zelbar jedoch auch kostenlos auf CD anfordern - E-Mail genügt: "
              L"bestellung@zelbar.de");
    EXPECT_EQ(link.target, L"mailto:bestellung@zelbar.de");
    EXPECT_EQ(link.linkText, L"bestellung@zelbar.de");
}

class LinkPlacementTest : public ::testing::Test {
protected:
    FixedWidthMeasure measure;
};

TEST_F(LinkPlacementTest, LinkOnThirdLineLiesTwoLinesDownAfterItsLinesWords) {
    // Width 1000: "aaaa bbbb" (850) fits, "cccc" would end at 1300.
    const std::wstring caption = L"aaaa bbbb cccc dddd ffff hier gggg";
    const auto position = FindLinkPosition(caption, 1000, L"hier", measure);
    ASSERT_TRUE(position);
    EXPECT_EQ(position->line, 3);
    EXPECT_EQ(position->offset, 400 + 50);  // "ffff" and one blank

    const auto box = PlaceLinkLabel({1200, 1080, 1000, 195}, caption, L"hier", measure);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->left, 1200 + 450);
    EXPECT_EQ(box->top, 1080 + 2 * 195);
    EXPECT_EQ(box->width, measure.TextWidth(L"hier"));
    EXPECT_EQ(box->height, 195);
}

TEST_F(LinkPlacementTest, WordEndingExactlyAtLabelEdgeStaysOnItsLine) {
    // "aaaa bbbb" is 850 wide: with width 850 it fits, with 849 "bbbb" wraps.
    EXPECT_EQ(FindLinkPosition(L"aaaa bbbb", 850, L"bbbb", measure)->line, 1);
    const auto wrapped = FindLinkPosition(L"aaaa bbbb", 849, L"bbbb", measure);
    EXPECT_EQ(wrapped->line, 2);
    EXPECT_EQ(wrapped->offset, 0);
}

TEST_F(LinkPlacementTest, DoubleBlankCountsAsEmptyWordWithItsBlank) {
    const auto position = FindLinkPosition(L"aa  hier", 5000, L"hier", measure);
    EXPECT_EQ(position->offset, 200 + 50 + 50);
}

TEST_F(LinkPlacementTest, LinkInsideLongerWordStartsAfterWhatPrecedesIt) {
    const auto position = FindLinkPosition(L"Infos (hier) lesen", 5000, L"hier", measure);
    ASSERT_TRUE(position);
    EXPECT_EQ(position->offset, measure.TextWidth(L"Infos ("));
}

TEST_F(LinkPlacementTest, LinkOfTwoWordsLiesOverItsFirstWord) {
    const auto position = FindLinkPosition(L"aaaa bbbb cccc", 5000, L"bbbb cccc", measure);
    ASSERT_TRUE(position);
    EXPECT_EQ(position->line, 1);
    EXPECT_EQ(position->offset, 450);
}

TEST_F(LinkPlacementTest, WordWiderThanLabelStaysOnFirstLineAndPushesNextDown) {
    const std::wstring caption = L"aaaaaaaaaaaaaaa hier";  // 1500 wide first word
    EXPECT_EQ(FindLinkPosition(caption, 1000, L"aaaaaaaaaaaaaaa", measure)->line, 1);
    EXPECT_EQ(FindLinkPosition(caption, 1000, L"hier", measure)->line, 2);
}

TEST_F(LinkPlacementTest, WrappedTextBreaksExactlyWhereTheLinkLayoutDoes) {
    const std::wstring caption = L"aaaa bbbb cccc dddd ffff hier gggg";
    EXPECT_EQ(WrapAtBlanks(caption, 1000, measure).text, L"aaaa bbbb\r\ncccc dddd\r\nffff hier\r\ngggg");
    EXPECT_EQ(WrapAtBlanks(caption, 5000, measure).text, caption);
    EXPECT_EQ(WrapAtBlanks(caption, 5000, measure).lines, 1);
    EXPECT_EQ(WrapAtBlanks(caption, 1000, measure).lines, 4);
    // An over-wide word keeps its own line; a blank that starts a line stays.
    EXPECT_EQ(WrapAtBlanks(L"aaaaaaaaaaaaaaa hier", 1000, measure).text, L"aaaaaaaaaaaaaaa\r\nhier");
    EXPECT_EQ(WrapAtBlanks(L"aaaa bbbb  cc", 870, measure).text, L"aaaa bbbb\r\n cc");
    EXPECT_EQ(FindLinkPosition(L"aaaa bbbb  cc", 870, L"cc", measure)->offset, 50);
}

TEST_F(LinkPlacementTest, BlankOrMissingLinkTextHidesTheLabel) {
    EXPECT_FALSE(FindLinkPosition(L"Text mit Link", 5000, L"", measure));
    EXPECT_FALSE(FindLinkPosition(L"Text mit Link", 5000, L"  ", measure));
    EXPECT_FALSE(FindLinkPosition(L"Text mit Link", 5000, L"link", measure));  // case counts
    EXPECT_FALSE(PlaceLinkLabel({0, 0, 5000, 195}, L"Text mit Link", L"hier", measure));
}

TEST(LinkTargetTest, WebAndMailSchemesAreRecognisedInAnyCase) {
    for (const wchar_t* target :
         {L"http://zelbar.de", L"HTTP://ZELBAR.DE", L"https://zelbar.de/a", L"Https://zelbar.de",
          L"mailto:info@zelbar.de", L"MailTo:info@zelbar.de"}) {
        EXPECT_EQ(ClassifyLinkTarget(target), LinkTargetKind::WebOrMail)
            << testing::PrintToString(std::wstring(target));
    }
    for (const wchar_t* target :
         {L"readme.txt", L"docs\\Hilfe.pdf", L"http:/kaputt", L"www.zelbar.de", L""}) {
        EXPECT_EQ(ClassifyLinkTarget(target), LinkTargetKind::File)
            << testing::PrintToString(std::wstring(target));
    }
}

TEST(LinkTargetTest, WebTargetOpensUrlAndFileStartsQuotedFullPath) {
    FakeUi ui(L"C:\\Setup CD");
    RecordingShell shell;

    OpenLinkTarget(L"HTTPS://zelbar.de/hilfe", ui, shell);
    OpenLinkTarget(L"docs\\Schnellstart.pdf", ui, shell);

    EXPECT_EQ(ui.openedUrls, std::vector<std::wstring>{L"HTTPS://zelbar.de/hilfe"});
    EXPECT_EQ(shell.started,
              std::vector<std::wstring>{L"\"C:\\Setup CD\\docs\\Schnellstart.pdf\""});
}
