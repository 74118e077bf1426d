#include "widgets/ColorContrast.h"

#include <cmath>
#include <initializer_list>

namespace ColorContrast {
namespace {

double Channel(std::uint32_t color, int shift) {
    const double c = static_cast<double>((color >> shift) & 0xFFu) / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(std::uint32_t color) {
    return 0.2126 * Channel(color, 0) + 0.7152 * Channel(color, 8) + 0.0722 * Channel(color, 16);
}

// `share` (0..256) of the way from `from` to `to`, channel by channel.
std::uint32_t Mix(std::uint32_t from, std::uint32_t to, int share) {
    std::uint32_t mixed = 0;
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((from >> shift) & 0xFFu);
        const int b = static_cast<int>((to >> shift) & 0xFFu);
        mixed |= static_cast<std::uint32_t>(a + (b - a) * share / 256) << shift;
    }
    return mixed;
}

}  // namespace

double Ratio(std::uint32_t a, std::uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

std::uint32_t Muted(std::uint32_t text, std::uint32_t background, double minimum) {
    // From the background's side of halfway back towards the text, one step a time.
    for (int share = 128; share > 0; --share) {
        const std::uint32_t candidate = Mix(text, background, share);
        if (Ratio(candidate, background) >= minimum) return candidate;
    }
    return text & 0xFFFFFFu;
}

std::uint32_t ReadableOr(std::uint32_t preferred, std::uint32_t fallback, std::uint32_t background,
                         double minimum) {
    return Ratio(preferred, background) >= minimum ? preferred : fallback;
}

}  // namespace ColorContrast
