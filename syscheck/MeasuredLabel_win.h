#pragma once
#include "platform/WinApi.h"

// Makes a label draw its lines (its text split at CR LF, never wrapped again)
// with every character at the advance that GetTextExtentExPoint reports for
// the label's font. The page measures words with that same call to lay link
// labels over them, so the drawing must follow the measurement exactly.
// Windows draws at those advances anyway; Wine's own Tahoma, however, is
// drawn from embedded bitmaps whose advances differ from its metrics, and a
// plain label would then drift away from its links. Colours and background
// still come from the parent's WM_CTLCOLORSTATIC, as for any label.
void DrawAtMeasuredAdvances(HWND label);

// Makes a label a link for the keyboard and for screen readers: a tab stop
// with a focus mark that opens with Enter or Space (reported to its parent as
// a click, STN_CLICKED), and announced with the link's role where the system
// lets a program set it.
void ActAsLink(HWND label);
