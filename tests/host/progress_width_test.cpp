#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "widgets/ColorText.h"
#include "widgets/ProgressWidth.h"

namespace {

TEST(ProgressWidthTest, BarGrowsAndCoverShrinksByTheShareOfTheWidth) {
    EXPECT_EQ(PlainBarWidth(2, 3, 100), 66);
    EXPECT_EQ(PlainBarWidth(150, 100, 1000), 1500);  // past the control's edge
    EXPECT_EQ(PlainBarWidth(-50, -100, 1000), 500);
    EXPECT_THROW(PlainBarWidth(0, 0, 1000), std::domain_error);
    EXPECT_THROW(PlainBarWidth(-1, 100, 50), std::invalid_argument);  // half a twip below 0
    EXPECT_THROW(PlainBarWidth(50, -100, 1000), std::invalid_argument);
    EXPECT_THROW(PlainBarWidth(32767, 1, 100000), std::overflow_error);

    // The cover hides what the value has not reached and keeps the fraction.
    EXPECT_DOUBLE_EQ(CoverWidth(25, 100, 1000), 750.0);
    EXPECT_DOUBLE_EQ(CoverWidth(1, 3, 100), 200.0 / 3);
    EXPECT_DOUBLE_EQ(CoverWidth(-100, 100, 1000), 2000.0);
    EXPECT_THROW(CoverWidth(25, 0, 1000), std::domain_error);
    EXPECT_THROW(CoverWidth(101, 100, 1000), std::invalid_argument);
    // 100 - (-32667) = 32767 still fits 16 bits; one further it wraps to -32768.
    EXPECT_DOUBLE_EQ(CoverWidth(-32667, 100, 10), 3276.7);
    EXPECT_THROW(CoverWidth(-32668, 100, 10), std::invalid_argument);
    // -100 - 32767 wraps to +32669, over a negative maximum a negative width.
    EXPECT_THROW(CoverWidth(32767, -100, 10), std::invalid_argument);
}

TEST(ProgressWidthTest, TwipsPutTheEdgeOnThePixelOfTheExactWidthAtEveryDpi) {
    // Rounding the width alone would put 2314.6 twips on pixel 232 at 144 DPI, not on 231.
    const auto pixel = [](double twips, unsigned dpi) {
        return std::llround(twips * dpi / 1440.0);
    };
    for (const unsigned dpi : {96u, 120u, 144u, 168u, 192u, 288u}) {
        for (int step = 0; step <= 40000; ++step) {
            const double width = step * 0.37;
            const int twips = TwipsOnPixel(width, dpi);
            ASSERT_EQ(pixel(twips, dpi), pixel(width, dpi)) << width << " at " << dpi;
            ASSERT_LT(std::fabs(twips - width), 1.5) << width << " at " << dpi;
        }
    }
    EXPECT_THROW(TwipsOnPixel(3e9, 96), std::overflow_error);
}

TEST(ColorTextTest, OnlyTheDecimalFormOf32BitsReadsBack) {
    EXPECT_EQ(ColorFromText(ColorToText(INT32_MIN)), INT32_MIN);
    EXPECT_EQ(ColorFromText(ColorToText(INT32_MAX)), INT32_MAX);
    EXPECT_EQ(ColorFromText(L"  +65280 "), 65280);
    for (const wchar_t* text :
         {L"", L"  ", L"rot", L"12a", L"1.5", L"&HFF", L"-", L"- 5", L"99999999999999999999x"}) {
        EXPECT_THROW(ColorFromText(text), std::invalid_argument) << "text: " << text;
    }
    for (const wchar_t* text : {L"2147483648", L"-2147483649", L"99999999999999999999999999"}) {
        EXPECT_THROW(ColorFromText(text), std::overflow_error);
    }
}

}  // namespace
