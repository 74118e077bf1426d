#pragma once
#include <memory>
#include <string>

#include "folderchooser/DriveList_win.h"
#include "folderchooser/FolderList_win.h"
#include "platform/Platform.h"
#include "ui/Window_win.h"
#include "wizard/WizardHost.h"

// The modal dialog in which the user picks the installation folder, or makes
// a new folder for it: a drive list above a folder list and the buttons "OK",
// "Abbrechen" and "Neuer Ordner". OK refuses a folder that would make the
// product's start command too long, and the root of the listed drive. The
// result is handed back in Tag: the folder that opening, the last drive
// change or an accepted OK left there.
//
// Loading happens in the constructor; ShowModal shows it over its owner until
// it hides itself. Closing it through its frame discards it: the window is
// gone, Discarded() is true, and the caller reads Tag of a fresh dialog.
class OrdnerAuswahlDialog : public Window {
public:
    static constexpr const wchar_t* kTitle = L"Installationsordner auswählen";

    OrdnerAuswahlDialog(WizardHost& host, const Platform& platform);
    ~OrdnerAuswahlDialog() override;

    // Disables the owner, shows the dialog and handles messages until the
    // dialog is hidden or discarded, then enables the owner again. A WM_QUIT
    // that arrives meanwhile ends the display and is left for the main loop.
    void ShowModal(HWND owner);

    const std::wstring& Tag() const { return tag_; }
    bool Discarded() const { return discarded_; }
    const std::wstring& lastDrive() const { return lastDrive_; }

    DriveList& Drive1() { return *drive1_; }
    FolderList& Dir1() { return *dir1_; }

    Button& OKButton;
    Button& CancelButton;
    Button& buttonNeuerOrdner;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCloseRequest() override;
    void OnDestroyed() override;
    void ApplyDpi(UINT dpi) override;

private:
    void Form_Load();
    void Drive1_Change();
    void buttonNeuerOrdner_Click();
    void OKButton_Click();
    void Hide();
    void ReleaseOwner();

    WizardHost& host_;
    const Platform& platform_;
    std::unique_ptr<DriveList> drive1_;
    std::unique_ptr<FolderList> dir1_;
    std::wstring lastDrive_ = L"C:";
    std::wstring tag_;
    HWND owner_ = nullptr;
    bool modal_ = false;
    bool discarded_ = false;
};
