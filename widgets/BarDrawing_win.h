#pragma once
#include "ui/Controls_win.h"

// Drawing helpers shared by the two progress bars and the window that shows them.

// Gives a bar's rectangle a new width in twips, but leaves its window alone
// while the right edge stays on the same pixel: a loop of steps finer than a
// pixel (a large Max, a narrow bar) then costs no window traffic, and the
// twips figure the rectangle keeps is off by less than a pixel. The bars
// keep the figure they asked for and re-apply it when the DPI changes.
void SetBarWidth(Control& bar, int twips);

// A copy of a picture control's bitmap, for a control that takes ownership
// of its own; nullptr for no picture. Throws PlatformError when the system
// cannot copy it.
HBITMAP CopyPicture(HBITMAP picture);
