#include "widgets/ProgressWidth.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace {

double Proportion(int part, short max, int controlWidth) {
    if (max == 0) throw std::domain_error("Division durch Null: Max ist 0.");
    const double width = static_cast<double>(part) / max * controlWidth;
    if (width < 0) {
        throw std::invalid_argument("Ungültiger Eigenschaftswert: die Breite wäre negativ.");
    }
    return width;
}

int FitInt(double width) {
    if (!(width >= INT_MIN && width <= INT_MAX)) {
        throw std::overflow_error("Überlauf: die Breite ist zu groß.");
    }
    return static_cast<int>(width);
}

}  // namespace

int PlainBarWidth(short value, short max, int controlWidth) {
    return FitInt(std::trunc(Proportion(value, max, controlWidth)));
}

double CoverWidth(short value, short max, int controlWidth) {
    const auto difference = static_cast<std::int16_t>(max - value);
    return Proportion(difference, max, controlWidth);
}

int WholeTwips(double width) {
    return FitInt(std::round(width));
}

int TwipsOnPixel(double width, unsigned dpi) {
    const auto pixel = [dpi](double twips) { return std::llround(twips * dpi / 1440.0); };
    const long long wanted = pixel(width);
    int twips = WholeTwips(width);
    // Up to 1440 DPI a pixel spans at least one twip, so one step reaches it.
    while (pixel(twips) < wanted && twips < INT_MAX) ++twips;
    while (pixel(twips) > wanted && twips > INT_MIN) --twips;
    return twips;
}
