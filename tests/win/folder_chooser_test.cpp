// The folder chooser over the real wizard window, with the drives and folders of the Wine
// prefix and scripted boxes. Q: stands for a missing folder: listed, not ready, like a drive
// without its medium.
#include <gtest/gtest.h>

#include "TempFolder.h"

#include "app/MainForm_win.h"
#include "folderchooser/OrdnerAuswahlDialog_win.h"
#include "platform/FileSystem_win.h"
#include "platform/OsInfo_win.h"
#include "platform/Shell_win.h"
#include "support/BlankPage_win.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

WizardPages BlankPages(MainForm& form) {
    return {std::make_unique<BlankStartPage>(form.hwnd(), MainForm::kStartPageRect, true),
            std::make_unique<BlankDownloadPage>(form.hwnd(), MainForm::kDownloadPageRect, form),
            std::make_unique<BlankFinishPage>(form.hwnd(), MainForm::kFinishPageRect, form)};
}

class FolderChooserTest : public ::testing::Test {
protected:
    FolderChooserTest() {
        ::DefineDosDeviceW(0, L"Q:", L"C:\\ztest\\nicht-bereit");
        form_.SetQuitOnClose(false);
    }
    ~FolderChooserTest() override { ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr); }

    OrdnerAuswahlDialog& Open(const std::wstring& zelbarPath) {
        form_.SetZelbarPath(zelbarPath);
        dialog_ = std::make_unique<OrdnerAuswahlDialog>(form_, platform_);
        return *dialog_;
    }
    // A user's action on a control: at once, or queued to run inside the modal loop.
    void Notify(const Control& control, WORD code, bool queued = false) {
        const WPARAM w = MAKEWPARAM(control.id(), code);
        const LPARAM l = reinterpret_cast<LPARAM>(control.hwnd());
        queued ? void(::PostMessageW(dialog_->hwnd(), WM_COMMAND, w, l))
               : void(::SendMessageW(dialog_->hwnd(), WM_COMMAND, w, l));
    }
    // Shows the dialog modally after queueing a click on `button` (if any).
    void ShowModal(Button* button) {
        if (button) Notify(*button, BN_CLICKED, true);
        HangGuard guard("the folder chooser's modal loop");
        dialog_->ShowModal(form_.hwnd());
        EXPECT_TRUE(::IsWindowEnabled(form_.hwnd()));
    }

    TempFolder temp_;
    PumpingFakeUi ui_;
    WinFileSystem files_;
    WinShell shell_;
    WmiOsInfo os_;
    Platform platform_{files_, shell_, os_, ui_};
    MainForm form_{platform_, BlankPages};
    std::unique_ptr<OrdnerAuswahlDialog> dialog_;
};

TEST_F(FolderChooserTest, ListsTheRealFoldersAndNewFolderAndOkTakeTheHighlightedOne) {
    for (const wchar_t* name : {L"Alpha", L"beta", L"beta\\Gamma"}) {
        ::CreateDirectoryW((temp_ / name).c_str(), nullptr);
    }
    FolderList& list = Open(temp_.path() + L"\\").Dir1();
    EXPECT_EQ(list.List(-3), L"C:\\");
    ASSERT_EQ(list.ListCount(), 2);
    EXPECT_EQ(list.List(0), temp_ / L"Alpha");
    list.SetListIndex(1);
    Notify(list.control(), LBN_DBLCLK);
    ui_.inputBoxAnswers = {L"fehlt\\tiefer", L"Neu"};
    Notify(dialog_->buttonNeuerOrdner, BN_CLICKED);  // cannot be made: its parent is missing
    list.SetListIndex(0);                            // Gamma, below beta
    Notify(dialog_->buttonNeuerOrdner, BN_CLICKED);  // made below Gamma, and opened
    Notify(dialog_->buttonNeuerOrdner, BN_CLICKED);  // cancelled
    ASSERT_EQ(ui_.inputRequests.size(), 3u);
    EXPECT_EQ(ui_.inputRequests[0].prompt, L"Neuen Ordner erstellen in: " + (temp_ / L"beta"));
    EXPECT_EQ(ui_.inputRequests[2].prompt,
              L"Neuen Ordner erstellen in: " + (temp_ / L"beta\\Gamma\\Neu"));
    EXPECT_FALSE(PathExists(temp_ / L"beta\\fehlt"));
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(dialog_->Tag(), temp_.path());  // navigation alone leaves Tag alone
    list.SetListIndex(-2);                    // Gamma, above Neu
    ShowModal(&dialog_->OKButton);
    EXPECT_EQ(dialog_->Tag(), temp_ / L"beta\\Gamma");
    EXPECT_TRUE(dialog_->hwnd() && !::IsWindowVisible(dialog_->hwnd()));  // hidden, not discarded
}

TEST_F(FolderChooserTest, OkRefusesLengthFirstThenTheRootAndClosingTheFrameDiscards) {
    form_.SetAccessPath(std::wstring(230, L'x'));
    Open(L"C:\\");
    Notify(dialog_->OKButton, BN_CLICKED);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, L"Bitte wählen Sie einen kürzeren Programmpfad!");
    EXPECT_EQ(ui_.messages[1].text,
              L"Bitte wählen Sie ein Verzeichnis in dem ausgewählten Laufwerk aus.");
    bool ownerDisabledMeanwhile = false;
    DialogAnswerer answer(OrdnerAuswahlDialog::kTitle, [&](HWND window) {
        ownerDisabledMeanwhile = !::IsWindowEnabled(form_.hwnd());
        SaveScreenshot(window, L"folder-chooser");
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    });
    ShowModal(nullptr);
    EXPECT_TRUE(answer.answered());
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_TRUE(dialog_->Discarded());
    EXPECT_EQ(dialog_->Tag(), L"C:\\");
}

TEST_F(FolderChooserTest, DriveNotReadyIsNamedAndAbbrechenHandsBackTheChosenDrivesFolder) {
    // The test runs in a folder of drive Z:, which is that drive's current folder.
    wchar_t current[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, current);
    Open(temp_.path() + L"\\");
    dialog_->Drive1().SetDrive(L"Q:");  // throws when the list lacks it
    Notify(dialog_->Drive1().control(), CBN_SELCHANGE);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, L"Legen Sie einen Datenträger in Laufwerk Q: ein.");
    EXPECT_EQ(dialog_->Drive1().Drive().substr(0, 2), L"c:");
    EXPECT_EQ(dialog_->Dir1().Path().substr(0, 3), L"C:\\");
    dialog_->Drive1().SetDrive(L"Z:");
    Notify(dialog_->Drive1().control(), CBN_SELCHANGE);
    ShowModal(&dialog_->CancelButton);
    EXPECT_EQ(dialog_->Drive1().Drive().substr(0, 2), L"z:");
    EXPECT_EQ(dialog_->Tag(), current);
    EXPECT_FALSE(dialog_->Discarded());
}

}  // namespace
