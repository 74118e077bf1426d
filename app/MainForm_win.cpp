#include "app/MainForm_win.h"

#include <algorithm>

#include "AssetIds.h"
#include "platform/Path.h"
#include "platform/PlatformError.h"
#include "settings/ini.h"
#include "widgets/ColorContrast.h"

namespace {

const wchar_t kCaption[] = L"Zelbar LIVE Setup 11.0";
const wchar_t kCloseQuestion[] = L"Möchten Sie Zelbar-Setup wirklich beenden?";
const wchar_t kCloseTitle[] = L"Setup beenden";
const wchar_t kAdminNotice[] =
    L"Bitte starten Sie Zelbar beim 1. Mal unbedingt als Administrator:\r\n"
    L"Zelbar-Startsymbol am Desktop mit rechter Maustaste anklicken - 'Als Administrator "
    L"ausführen'\r\n"
    L"Details entnehmen Sie bitte der angezeigten 'Schnellstart-Information'.";
const wchar_t kIniMissing[] = L"Die ini-Datei wurde nicht gefunden!";
const wchar_t kIniBroken[] = L"Die ini-Datei wurde verändert und kann nicht mehr gelesen werden.";
const wchar_t kIniUnreadable[] =
    L"Die ini-Datei kann nicht geöffnet werden. Bitte prüfen Sie, ob sie von einem anderen "
    L"Programm gesperrt ist und ob Sie die Berechtigung haben, sie zu lesen.";
const wchar_t kFinishFailed[] = L"Die Installation konnte nicht fertiggestellt werden.";
const wchar_t kCancelFailed[] = L"Beim Abbrechen des Setups ist ein Fehler aufgetreten.";

constexpr int kClientWidth = 7290;
constexpr int kClientHeight = 5085;

const struct {
    ControlSpec buttonWeiter{
        ControlKind::Button, L"&Weiter", {5640, 4560, 1455, 375}, 1, true, false};
    ControlSpec buttonAbbrechen{ControlKind::Button, L"&Abbrechen", {4080, 4560, 1455, 375}, 2};
    // In the place of "Weiter", shown instead of it when a failed check ends the wizard.
    ControlSpec buttonBeenden{ControlKind::Button, L"&Beenden", {5640, 4560, 1455, 375}, 6, false};
    ControlSpec Shape1{ControlKind::FilledRect, nullptr, {-120, -120, 7455, 975}};
    ControlSpec Image2{ControlKind::Image, nullptr, {240, 120, 3000, 330}};
    ControlSpec Label1{ControlKind::Label, L"Setup", {360, 525, 1335, 255}};
    ControlSpec Image1{ControlKind::Image, nullptr, {4200, 30, 3000, 705}};
    ControlSpec Line1{ControlKind::Line, nullptr, {0, 4440, 7320, 0}};
} kLayout;

}  // namespace

MainForm::MainForm(const Platform& platform, const PageFactory& makePages)
    : Window(TopLevelFrame{
          kCaption, kClientWidth, kClientHeight,
          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN}),
      buttonWeiter(Add<Button>(kLayout.buttonWeiter)),
      buttonAbbrechen(Add<Button>(kLayout.buttonAbbrechen)),
      buttonBeenden(Add<Button>(kLayout.buttonBeenden)),
      Shape1(Add<Picture>(kLayout.Shape1)),
      Image2(Add<Picture>(kLayout.Image2)),
      Label1(Add<Label>(kLayout.Label1)),
      Image1(Add<Picture>(kLayout.Image1)),
      Line1(Add<Picture>(kLayout.Line1)),
      platform_(platform) {
    ArrangeLayout();
    Shape1.SetFillColor(SystemColor(COLOR_WINDOW));
    Label1.SetFont(FontSpec{L"Verdana", 9.75, true, false});
    Label1.SetBackColor(SystemColor(COLOR_WINDOW));
    ApplyHeaderColors();
    Image2.SetPicture(LoadPictureResource(IDB_TITLE));
    Image1.SetPicture(LoadPictureResource(IDB_LOGO));
    Shape1.SetAccessibleName(kCaption);
    Image2.SetAccessibleName(L"Zelbar LIVE");
    Image1.SetAccessibleName(L"Zelbar-Logo");
    Line1.SetAccessibleName(L"Trennlinie");
    SetDefaultButton(&buttonWeiter);
    SetCancelButton(&buttonAbbrechen);

    OnClick(buttonWeiter, [this] { buttonWeiter_Click(); });
    OnClick(buttonAbbrechen, [this] { Close(); });
    OnClick(buttonBeenden, [this] { Close(); });

    pages_ = makePages(*this);
    // The pages are windows of their own, created after the buttons. In the
    // tab order (the z-order) they come right after "Abbrechen", and they must
    // follow a change of the screen's scale like the form's own controls.
    // "Beenden" lies beneath "Weiter" and is no tab stop until it is shown.
    HWND previous = buttonAbbrechen.hwnd();
    for (WizardPage* page : {static_cast<WizardPage*>(pages_.startPage.get()),
                             static_cast<WizardPage*>(pages_.downloadPage.get()),
                             static_cast<WizardPage*>(pages_.finishPage.get())}) {
        auto* window = dynamic_cast<Window*>(page);
        if (!window) continue;
        AddChildWindow(window);
        ::SetWindowPos(window->hwnd(), previous, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = window->hwnd();
    }
    lastPage_ = previous;
}

MainForm::~MainForm() {
    // Pages are child windows; they go before the window that holds them.
    pages_ = WizardPages{};
}

void MainForm::Load() {
    buttonWeiter.SetEnabled(false);
    skipClosePrompt_ = false;

    short result = 0;
    try {
        result = ini(platform_.fs, platform_.ui).CheckIniFile();
    } catch (const PlatformError&) {
        platform_.ui.MsgBox(kIniUnreadable, MsgCritical);
        CloseWithoutPrompt();
        return;
    }
    if (result == 1) {
        platform_.ui.MsgBox(kIniMissing, MsgCritical);
        CloseWithoutPrompt();
    } else if (result == 2) {
        platform_.ui.MsgBox(kIniBroken, MsgCritical);
        CloseWithoutPrompt();
    }
}

void MainForm::Show() {
    if (closed_) return;
    // The first thing to do is the first page's first control.
    if (auto* page = dynamic_cast<Window*>(pages_.startPage.get())) {
        FocusControl(FirstTabStop(page->hwnd()));
    }
    ::ShowWindow(hwnd(), SW_SHOW);
    ::UpdateWindow(hwnd());
}

bool MainForm::Visible() const {
    return !closed_ && hwnd() && ::IsWindowVisible(hwnd());
}

void MainForm::EnableButtonWeiter() {
    buttonWeiter.SetEnabled(true);
    // What the user does next: the page's step is done.
    FocusControl(buttonWeiter.hwnd());
}

void MainForm::EnableButtonBeenden() {
    // "Beenden" takes the place of "Weiter" (hidden, so a screen reader does
    // not list it) and comes last in the tab order, after the pages.
    ::SetWindowPos(buttonBeenden.hwnd(), lastPage_, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    buttonBeenden.SetEnabled(true);
    buttonBeenden.SetVisible(true);
    buttonWeiter.SetVisible(false);
    SetDefaultButton(&buttonBeenden);
    FocusControl(buttonBeenden.hwnd());
    buttonAbbrechen.SetEnabled(false);
    skipClosePrompt_ = true;
}

void MainForm::ApplyHeaderColors() {
    // The grey "Setup" under the title, readable on whatever the header's colour is.
    Label1.SetForeColor(
        ColorContrast::Muted(::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOW)));
}

bool MainForm::HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg == WM_SYSCOLORCHANGE) ApplyHeaderColors();
    return false;  // the base passes the change on and repaints
}

void MainForm::SetButtonCancelEnabled(bool enable) {
    buttonAbbrechen.SetEnabled(enable);
}

void MainForm::CloseWithoutPrompt() {
    skipClosePrompt_ = true;
    Close();
}

void MainForm::KeepTempFolder(const std::wstring& path) {
    createdFolders_.erase(std::remove(createdFolders_.begin(), createdFolders_.end(), path),
                          createdFolders_.end());
}

void MainForm::DeleteTempFolder() {
    // Only the folders the pages made, by the paths they had then: the
    // installation folder may have changed since, and a folder of the same
    // name in the new one is not ours.
    for (const std::wstring& path : createdFolders_) {
        try {
            if (!platform_.fs.FolderExists(path)) continue;
            platform_.fs.DeleteFolder(Path::WithoutTrailingBackslash(path), true);
        } catch (const PlatformError&) {
            // Whatever could not be removed stays; the user is not troubled with it.
        }
    }
}

void MainForm::Close() {
    if (closed_ || !hwnd()) return;
    ::SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void MainForm::buttonWeiter_Click() {
    if (pages_.startPage->Visible()) {
        pages_.startPage->SetVisible(false);
        pages_.downloadPage->SetVisible(true);
        buttonWeiter.SetEnabled(false);
        FocusFirstControlOf(pages_.downloadPage.get());
    } else if (pages_.downloadPage->Visible()) {
        pages_.downloadPage->SetVisible(false);
        pages_.finishPage->SetVisible(true);
        buttonWeiter.SetCaption(L"&Fertig stellen");
        FocusFirstControlOf(pages_.finishPage.get());
    } else if (pages_.finishPage->Visible()) {
        try {
            pages_.finishPage->Fertigstellen();
        } catch (...) {
            ReportError(kFinishFailed, DescribeCurrentException());
            return;
        }
        skipClosePrompt_ = true;
        Close();
    }
}

void MainForm::FocusFirstControlOf(WizardPage* page) {
    auto* window = dynamic_cast<Window*>(page);
    HWND first = window ? FirstTabStop(window->hwnd()) : nullptr;
    if (first) FocusControl(first);
}

bool MainForm::OnCloseRequest() {
    if (skipClosePrompt_) {
        platform_.ui.MsgBox(kAdminNotice, MsgInformation, kCloseTitle);
        return true;
    }
    return ConfirmClose();
}

bool MainForm::ConfirmClose() {
    if (platform_.ui.MsgBox(kCloseQuestion, MsgYesNoQuestion, kCloseTitle) != MsgBoxResult::Yes) {
        return false;
    }
    try {
        if (pages_.downloadPage->Visible()) return !pages_.downloadPage->Cancel();
        if (pages_.finishPage->Visible()) pages_.finishPage->Cancel();
    } catch (...) {
        ReportError(kCancelFailed, DescribeCurrentException());
        return false;
    }
    return true;
}

void MainForm::OnDestroyed() {
    closed_ = true;
    if (quitOnClose_) ::PostQuitMessage(0);
}
