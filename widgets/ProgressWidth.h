#pragma once

// The width arithmetic of the two progress bars, in the control's units.
// Both fail like the arithmetic they stand for: a maximum of 0 is a division
// error (std::domain_error), a width below zero is refused by the rectangle
// (std::invalid_argument).
namespace ProgressWidth {

// The plain bar grows from the left edge: value / max of the width, the
// fraction cut toward zero.
int PlainBarWidth(short value, short max, int controlWidth);

// The covering rectangle of the picture bar: (max - value) / max of the width,
// the difference taken as a 16-bit number, the fraction kept.
double CoverWidth(short value, short max, int controlWidth);

}  // namespace ProgressWidth
