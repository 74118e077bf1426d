#include "widgets/ProgressWidth.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace ProgressWidth {
namespace {

double Fraction(double part, short max, int controlWidth) {
    if (max == 0) throw std::domain_error("Division durch Null: Max ist 0.");
    const double width = part / max * controlWidth;
    if (width < 0) throw std::invalid_argument("Ungültiger Wert: die Breite wäre negativ.");
    return width;
}

}  // namespace

int PlainBarWidth(short value, short max, int controlWidth) {
    return static_cast<int>(std::trunc(Fraction(value, max, controlWidth)));
}

double CoverWidth(short value, short max, int controlWidth) {
    // A 16-bit difference, as the bar has always computed it: far outside
    // the range it wraps instead of growing.
    const auto d = static_cast<std::int16_t>(max - value);
    return Fraction(d, max, controlWidth);
}

}  // namespace ProgressWidth
