#include "widgets/ColorContrast.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

TEST(ColorContrastTest, RatioMatchesTheKnownFigures) {
    EXPECT_NEAR(ColorContrast::Ratio(kBlack, kWhite), 21.0, 0.01);
    EXPECT_NEAR(ColorContrast::Ratio(kWhite, kBlack), 21.0, 0.01);
    EXPECT_NEAR(ColorContrast::Ratio(0x808080, 0x808080), 1.0, 1e-9);
    // The grey the header used to have, and the lightest grey that reads on white.
    EXPECT_NEAR(ColorContrast::Ratio(0x808080, kWhite), 3.95, 0.01);
    EXPECT_NEAR(ColorContrast::Ratio(0x767676, kWhite), 4.54, 0.01);
    EXPECT_NEAR(ColorContrast::Ratio(0x777777, kWhite), 4.48, 0.01);
    // Channels weigh differently: pure green is far lighter than pure blue.
    EXPECT_GT(ColorContrast::Ratio(0x00FF00, kBlack), ColorContrast::Ratio(0xFF0000, kBlack));
}

TEST(ColorContrastTest, MutedTextReachesTheMinimumAndStaysAsLightAsThatAllows) {
    struct Case {
        std::uint32_t text, background;
    };
    for (const Case c : {Case{kBlack, kWhite},      // the usual scheme
                         Case{kWhite, kBlack},      // high contrast, dark
                         Case{0x00FFFF, 0x000000},  // yellow on black
                         Case{0x000000, 0xF0F0F0},  // a light grey page
                         Case{0x800000, 0xFFFFE0}}) {
        SCOPED_TRACE(testing::Message() << std::hex << c.text << " on " << c.background);
        const std::uint32_t muted = ColorContrast::Muted(c.text, c.background);
        EXPECT_GE(ColorContrast::Ratio(muted, c.background), 4.5);
        // Still subdued: less contrast than the text colour itself.
        EXPECT_LT(ColorContrast::Ratio(muted, c.background),
                  ColorContrast::Ratio(c.text, c.background));
    }
    // Black on white gives the grey just dark enough.
    EXPECT_EQ(ColorContrast::Muted(kBlack, kWhite), 0x767676u);
}

TEST(ColorContrastTest, ColoursTooCloseForTheMinimumGiveTheTextColour) {
    EXPECT_EQ(ColorContrast::Muted(0x707070, 0x808080), 0x707070u);
}

TEST(ColorContrastTest, AnAccentThatDoesNotReadGivesWayToTheTextColour) {
    // Windows' link blue on its button face; Wine's light grey on its own; yellow in high contrast.
    EXPECT_EQ(ColorContrast::ReadableOr(0xCC6600, kBlack, 0xF0F0F0), 0xCC6600u);
    EXPECT_EQ(ColorContrast::ReadableOr(0xE0E0E0, kBlack, 0xF5F5F5), kBlack);
    EXPECT_EQ(ColorContrast::ReadableOr(0x00FFFF, kWhite, kBlack), 0x00FFFFu);
}

}  // namespace
