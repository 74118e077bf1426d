#pragma once
#include "platform/Platform.h"
#include "ui/Window_win.h"
#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"

// Page 3 of the wizard, "Abschließende Einstellungen": the user chooses the
// desktop shortcut and the start-menu entries; "Fertig stellen" then saves the
// installation folder, makes the shortcuts, moves the downloaded files into
// place and opens the quick-start page (Fertigstellung does the work).
class UserControlShortcuts : public Window, public FinishPage {
public:
    UserControlShortcuts(HWND parent, const TwipsRect& rect, WizardHost& host,
                         const Platform& platform);

    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }

    // Throws PlatformError naming the failed step; the window reports it and
    // stays on this page, and pressing "Fertig stellen" again is safe.
    void Fertigstellen() override;
    // Leaving the wizard here only removes the temporary folder.
    void Cancel() override;

    Label& Label3;
    Picture& Shape2;
    CheckBox& CheckShortcutDesktop;
    CheckBox& CheckStartmenu;
    CheckBox& CheckSchnellstart;

private:
    WizardHost& host_;
    const Platform& platform_;
};
