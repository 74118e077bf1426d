#include "finish/UserControlShortcuts_win.h"

#include "finish/Fertigstellung.h"
#include "ui/TextMeasure_win.h"

namespace {

// Room beside the heading's text, so the frame line does not touch it.
constexpr int kHeadingPadding = 60;

const struct {
    ControlSpec Label3{ControlKind::Label, L"Abschließende Einstellungen", {240, 0, 2535, 255}};
    ControlSpec Shape2{ControlKind::Frame, nullptr, {120, 120, 6855, 3015}};
    ControlSpec CheckShortcutDesktop{
        ControlKind::CheckBox, L"Verknüpfung auf dem &Desktop anlegen", {720, 480, 3615, 375}, 1};
    ControlSpec CheckStartmenu{
        ControlKind::CheckBox, L"&Menüeintrage dem Startmenü hinzufügen", {720, 840, 4215, 375}, 2};
    // The quick-start page is always shown: checked, and the user cannot clear it.
    ControlSpec CheckSchnellstart{ControlKind::CheckBox,
                                  L"&Schnellstart.html anzeigen",
                                  {720, 1800, 4455, 375},
                                  3,
                                  true,
                                  false};
} kLayout;

}  // namespace

UserControlShortcuts::UserControlShortcuts(HWND parent, const TwipsRect& rect, WizardHost& host,
                                           const Platform& platform)
    : Window(ChildFrame{parent, rect, false}),
      Label3(Add<Label>(kLayout.Label3)),
      Shape2(Add<Picture>(kLayout.Shape2)),
      CheckShortcutDesktop(Add<CheckBox>(kLayout.CheckShortcutDesktop)),
      CheckStartmenu(Add<CheckBox>(kLayout.CheckStartmenu)),
      CheckSchnellstart(Add<CheckBox>(kLayout.CheckSchnellstart)),
      host_(host),
      platform_(platform) {
    ArrangeLayout();
    Label3.SetFont(FontSpec{L"MS Sans Serif", 8.25, true, false});
    // Where "MS Sans Serif" is replaced by a wider font, the heading would wrap
    // beneath the frame's edge; it keeps its one line instead.
    const int needed = GdiTextMeasure(Label3.hwnd(), Label3.hfont()).TextWidth(Label3.Caption());
    if (needed > Label3.Width()) Label3.SetWidth(needed + kHeadingPadding);
    // The page and its frame are named by the heading.
    ::SetWindowTextW(hwnd(), Label3.Caption().c_str());
    Shape2.SetAccessibleName(Label3.Caption());
    CheckShortcutDesktop.SetValue(CheckState::Checked);
    CheckStartmenu.SetValue(CheckState::Checked);
    CheckSchnellstart.SetValue(CheckState::Checked);
}

void UserControlShortcuts::Fertigstellen() {
    // The indeterminate state does not count as chosen.
    const FinishChoices choices{CheckShortcutDesktop.Value() == CheckState::Checked,
                                CheckStartmenu.Value() == CheckState::Checked,
                                CheckSchnellstart.Value() == CheckState::Checked};
    Fertigstellung(host_, platform_).Fertigstellen(choices);
}

void UserControlShortcuts::Cancel() {
    host_.DeleteTempFolder();
}
