#include "folderchooser/OrdnerAuswahlDialog_win.h"

#include "folderchooser/FolderChoice.h"
#include "platform/Path.h"
#include "platform/PlatformError.h"
#include "ui/MessageLoop_win.h"
#include "ui/Ui.h"

namespace {

const wchar_t kInsertMedium[] = L"Legen Sie einen Datenträger in Laufwerk ";
const wchar_t kInsertMediumEnd[] = L" ein.";
const wchar_t kNewFolderPrompt[] = L"Neuen Ordner erstellen in: ";
const wchar_t kNewFolderTitle[] = L"Ordner erstellen";
const wchar_t kPathTooLong[] = L"Bitte wählen Sie einen kürzeren Programmpfad!";
const wchar_t kRootRefused[] =
    L"Bitte wählen Sie ein Verzeichnis in dem ausgewählten Laufwerk aus.";

constexpr int kClientWidth = 4260;
constexpr int kClientHeight = 4845;

// Each list follows its label, whose access key reaches it; the buttons come
// last, as they stand from left to right.
const struct {
    ControlSpec LabelDrive{
        ControlKind::Label, L"&Laufwerk:", {120, 120, 3975, 195}, 1, true, true, true};
    ControlSpec Drive1{ControlKind::Custom, L"Laufwerk", {120, 360, 3975, 315}, 2};
    ControlSpec LabelDir{
        ControlKind::Label, L"O&rdner:", {120, 720, 3975, 195}, 3, true, true, true};
    ControlSpec Dir1{ControlKind::Custom, L"Ordner", {120, 960, 3975, 3240}, 4};
    ControlSpec buttonNeuerOrdner{ControlKind::Button, L"&Neuer Ordner", {120, 4320, 1215, 375}, 5};
    ControlSpec OKButton{ControlKind::Button, L"&OK", {1440, 4320, 1215, 375}, 6};
    ControlSpec CancelButton{ControlKind::Button, L"&Abbrechen", {2760, 4320, 1215, 375}, 7};
} kLayout;

// The dialog's handlers go on past a failing step: the step has no effect.
template <typename Step>
void IgnoringErrors(Step step) {
    try {
        step();
    } catch (const PlatformError&) {
    }
}

}  // namespace

OrdnerAuswahlDialog::OrdnerAuswahlDialog(WizardHost& host, const Platform& platform)
    : Window(TopLevelFrame{kTitle, kClientWidth, kClientHeight, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                           static_cast<HWND>(host.OwnerWindow())}),
      OKButton(Add<Button>(kLayout.OKButton)),
      CancelButton(Add<Button>(kLayout.CancelButton)),
      buttonNeuerOrdner(Add<Button>(kLayout.buttonNeuerOrdner)),
      host_(host),
      platform_(platform) {
    Add<Label>(kLayout.LabelDrive);
    Add<Label>(kLayout.LabelDir);
    drive1_ = std::make_unique<DriveList>(*this, kLayout.Drive1);
    dir1_ = std::make_unique<FolderList>(*this, kLayout.Dir1);
    ArrangeLayout();
    SetDefaultButton(&OKButton);
    SetCancelButton(&CancelButton);

    OnClick(OKButton, [this] { OKButton_Click(); });
    OnClick(CancelButton, [this] { Hide(); });
    OnClick(buttonNeuerOrdner, [this] { buttonNeuerOrdner_Click(); });
    Form_Load();
}

OrdnerAuswahlDialog::~OrdnerAuswahlDialog() {
    ReleaseOwner();
    // The lists hold controls of this window; they go first.
    dir1_.reset();
    drive1_.reset();
}

void OrdnerAuswahlDialog::Form_Load() {
    lastDrive_ = L"C:";
    IgnoringErrors([&] { drive1_->SetDrive(L"C:"); });
    IgnoringErrors([&] { dir1_->SetPath(host_.GetZelbarPath()); });
    tag_ = dir1_->Path();
}

void OrdnerAuswahlDialog::ShowModal(HWND owner) {
    if (!hwnd()) return;
    owner_ = owner;
    ::SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (owner_) ::EnableWindow(owner_, FALSE);
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetActiveWindow(hwnd());
    FocusControl(dir1_->control().hwnd());

    modal_ = true;
    MSG msg;
    while (modal_ && hwnd()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: leave the quit for the main loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        DispatchOneMessage(msg);
    }
    modal_ = false;
    ReleaseOwner();
    if (hwnd()) ::ShowWindow(hwnd(), SW_HIDE);
}

void OrdnerAuswahlDialog::ReleaseOwner() {
    if (!owner_) return;
    // Enabled before the dialog disappears, so the owner gets the activation back.
    ::EnableWindow(owner_, TRUE);
    if (hwnd() && ::GetActiveWindow() == hwnd()) ::SetActiveWindow(owner_);
    owner_ = nullptr;
}

void OrdnerAuswahlDialog::Hide() {
    ReleaseOwner();
    modal_ = false;
    ::ShowWindow(hwnd(), SW_HIDE);
}

bool OrdnerAuswahlDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (dir1_ && dir1_->HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg == WM_COMMAND && drive1_ && drive1_->IsSelectionChange(wParam, lParam)) {
        Drive1_Change();
        result = 0;
        return true;
    }
    return false;
}

bool OrdnerAuswahlDialog::OnCloseRequest() {
    discarded_ = true;
    ReleaseOwner();
    modal_ = false;
    return true;
}

void OrdnerAuswahlDialog::OnDestroyed() {
    modal_ = false;
}

void OrdnerAuswahlDialog::ApplyDpi(UINT dpi) {
    Window::ApplyDpi(dpi);
    if (dir1_) dir1_->ApplyDpi();
}

void OrdnerAuswahlDialog::Drive1_Change() {
    IgnoringErrors([&] {
        const std::wstring chosen = drive1_->Drive();
        for (const DriveItem& drive : platform_.fs.Drives()) {
            if (!FolderChoice::EntryIsDrive(chosen, drive.path)) continue;
            if (!drive.isReady) {
                platform_.ui.MsgBox(kInsertMedium + drive.path + kInsertMediumEnd, MsgInformation);
            } else {
                lastDrive_ = chosen.substr(0, 2);
            }
        }
    });
    IgnoringErrors([&] { drive1_->SetDrive(lastDrive_); });
    IgnoringErrors([&] { dir1_->SetPath(lastDrive_); });
    tag_ = dir1_->Path();
}

void OrdnerAuswahlDialog::buttonNeuerOrdner_Click() {
    const std::wstring selected = dir1_->SelectedFolder();
    const std::wstring name = platform_.ui.InputBox(kNewFolderPrompt + selected, kNewFolderTitle);
    if (name.empty()) return;
    const std::wstring path = Path::Join(selected, name);
    IgnoringErrors([&] { platform_.ui.MkDir(path); });
    IgnoringErrors([&] { dir1_->SetPath(path); });
    IgnoringErrors([&] { dir1_->Refresh(); });
}

void OrdnerAuswahlDialog::OKButton_Click() {
    const std::wstring selected = dir1_->SelectedFolder();
    bool refused = false;
    if (FolderChoice::ProgramPathTooLong(host_.GetAccessPath(), selected)) {
        platform_.ui.MsgBox(kPathTooLong, MsgInformation);
        refused = true;
    }
    // Asked even after the length message, so one press can show both.
    if (FolderChoice::IsDriveRoot(selected, drive1_->Drive())) {
        platform_.ui.MsgBox(kRootRefused, MsgInformation);
        refused = true;
    }
    if (refused) return;
    tag_ = selected;
    Hide();
}
