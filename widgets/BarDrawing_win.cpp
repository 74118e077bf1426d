#include "widgets/BarDrawing_win.h"

void SetBarWidth(Control& bar, int twips) {
    // The rectangles stand at the left edge, so the width alone places the edge.
    if (bar.Px(twips) == bar.Px(bar.Width())) return;
    bar.SetWidth(twips);
}

HBITMAP CopyPicture(HBITMAP picture) {
    if (!picture) return nullptr;
    auto* copy =
        static_cast<HBITMAP>(::CopyImage(picture, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!copy) ThrowLastError(L"Das Bild konnte nicht kopiert werden");
    return copy;
}
