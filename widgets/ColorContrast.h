#pragma once
#include <cstdint>

// Contrast of colours as screen-reading guidelines measure it. Colours are
// 0x00BBGGRR values, the layout of the system's colour values.
namespace ColorContrast {

// (L1 + 0.05) / (L2 + 0.05) of the relative luminances, the lighter first:
// 1 for equal colours, 21 for black on white.
double Ratio(std::uint32_t a, std::uint32_t b);

// A subdued text colour: halfway from the text colour to the background, then
// moved towards the text colour just as far as it takes to reach `minimum`
// contrast against the background (at most the text colour itself).
std::uint32_t Muted(std::uint32_t text, std::uint32_t background, double minimum = 4.5);

// `preferred` when it reaches `minimum` contrast against the background, else
// `fallback`: a colour scheme's accent may be meant for something else (Wine's
// link colour is a light grey for hot-tracked backgrounds).
std::uint32_t ReadableOr(std::uint32_t preferred, std::uint32_t fallback, std::uint32_t background,
                         double minimum = 4.5);

}  // namespace ColorContrast
