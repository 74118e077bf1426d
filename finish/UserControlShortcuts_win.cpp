#include "finish/UserControlShortcuts_win.h"

#include <vector>

#include "finish/Fertigstellung.h"
#include "platform/TextMeasure_win.h"

namespace {

// Room beside the heading's text, so the frame line does not touch it.
constexpr int kHeadingPadding = 60;

const std::vector<ControlSpec>& Layout() {
    static const std::vector<ControlSpec> layout = {
        {L"Label3", ControlKind::Label, L"Abschließende Einstellungen", {240, 0, 2535, 255}},
        {L"Shape2", ControlKind::Frame, nullptr, {120, 120, 6855, 3015}},
        {L"CheckShortcutDesktop",
         ControlKind::CheckBox,
         L"Verknüpfung auf dem Desktop anlegen",
         {720, 480, 3615, 375},
         1},
        {L"CheckStartmenu",
         ControlKind::CheckBox,
         L"Menüeintrage dem Startmenü hinzufügen",
         {720, 840, 4215, 375},
         2},
        // The quick-start page is always shown: checked, and the user cannot clear it.
        {L"CheckSchnellstart",
         ControlKind::CheckBox,
         L"Schnellstart.html anzeigen",
         {720, 1800, 4455, 375},
         3,
         true,
         false},
    };
    return layout;
}

}  // namespace

UserControlShortcuts::UserControlShortcuts(HWND parent, const TwipsRect& rect, WizardHost& host,
                                           const Platform& platform)
    : host_(host), platform_(platform) {
    CreateChild(parent, rect, false);
    AddLayout(Layout());
    Control& heading = (*this)[L"Label3"];
    heading.SetFont(FontSpec{L"MS Sans Serif", 8.25, true, false});
    // Where "MS Sans Serif" is replaced by a wider font, the heading would wrap
    // beneath the frame's edge; it keeps its one line instead.
    const int needed = GdiTextMeasure(heading.hwnd(), heading.hfont()).TextWidth(heading.Caption());
    if (needed > heading.Width()) heading.SetWidth(needed + kHeadingPadding);
    (*this)[L"CheckShortcutDesktop"].SetValue(1);
    (*this)[L"CheckStartmenu"].SetValue(1);
    (*this)[L"CheckSchnellstart"].SetValue(1);
}

void UserControlShortcuts::Fertigstellen() {
    // The indeterminate state (2) does not count as chosen.
    const FinishChoices choices{(*this)[L"CheckShortcutDesktop"].Value() == 1,
                                (*this)[L"CheckStartmenu"].Value() == 1,
                                (*this)[L"CheckSchnellstart"].Value() == 1};
    Fertigstellung(host_, platform_).Fertigstellen(choices);
}

void UserControlShortcuts::Cancel() {
    host_.DeleteTempFolder();
}
