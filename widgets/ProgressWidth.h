#pragma once

// Width arithmetic of the two progress bars, in the control's own units
// (twips). It lives apart from the windows so that the odd values (a
// maximum of 0, values outside 0 to Max, 16-bit wrap-around) can be pinned
// on their own.
//
// Both widths fail the way the bars have always refused them: a maximum of 0
// is a division error (std::domain_error), and a width below zero is refused
// by the rectangle (std::invalid_argument). A width beyond the range of an
// int is an overflow (std::overflow_error).

// The plain bar grows from the left edge: value / max of the width, the
// fraction cut toward zero. A value above max gives a bar wider than the
// control; the part outside is simply not seen.
int PlainBarWidth(short value, short max, int controlWidth);

// The rectangle that covers the picture bar from its left edge:
// (max - value) / max of the width. The difference is a 16-bit number, so
// far outside the range it wraps around instead of growing; the fraction is
// kept.
double CoverWidth(short value, short max, int controlWidth);

// The nearest whole twip, halves away from zero.
int WholeTwips(double width);

// The whole twips, nearest to `width`, that put a rectangle's edge on the
// pixel the exact width gives at this DPI (px = twips * dpi / 1440, rounded
// as the controls round it). Rounding to the nearest twip alone is exact at
// 96 DPI but a pixel off now and then at 120 or 144 DPI, which a bar that
// moves a pixel at a time would show.
int TwipsOnPixel(double width, unsigned dpi);
