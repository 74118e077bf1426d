// The folder chooser under Wine, over the real wizard window, with the real
// drives and folders of the sandbox prefix. A user's actions are posted to
// the dialog before it is shown and run inside its own modal loop, in order;
// message and input boxes are scripted. The drive letter Q: is defined for the
// test's Wine session as a folder that does not exist: a drive that is listed
// but not ready, like a drive without its medium.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "app/MainForm_win.h"
#include "folderchooser/OrdnerAuswahlDialog_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/Shell_win.h"
#include "support/BlankPage_win.h"
#include "support/ScriptedUi.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

const wchar_t kTooLong[] = L"Bitte wählen Sie einen kürzeren Programmpfad!";
const wchar_t kRoot[] = L"Bitte wählen Sie ein Verzeichnis in dem ausgewählten Laufwerk aus.";

class FixedOsInfo : public OsInfo {
public:
    std::wstring OperatingSystemVersion() override { return L"10.0.19045"; }
};

// Drive letters defined for this process's Wine session, as a substituted
// drive would be: listed among the drives, and not ready when the folder it
// stands for is missing.
class DefinedDrive {
public:
    DefinedDrive(const wchar_t* drive, const std::wstring& target) : drive_(drive) {
        if (!::DefineDosDeviceW(0, drive_, target.c_str())) {
            throw std::runtime_error("DefineDosDeviceW failed");
        }
    }
    ~DefinedDrive() { ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive_, nullptr); }

private:
    const wchar_t* drive_;
};

// Closes the dialog through its frame if a test leaves it open, so a broken
// dialog fails its test instead of hanging the run.
class Watchdog {
public:
    explicit Watchdog(HWND window)
        : thread_([this, window, stop = stop_.get_future()] {
              if (stop.wait_for(std::chrono::seconds(20)) == std::future_status::ready) return;
              fired = true;
              ::PostMessageW(window, WM_CLOSE, 0, 0);
          }) {}
    ~Watchdog() {
        stop_.set_value();
        thread_.join();
    }
    std::atomic<bool> fired{false};

private:
    std::promise<void> stop_;
    std::thread thread_;
};

class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<MainForm>(platform_, [](MainForm& form) {
            return WizardPages{
                std::make_unique<BlankStartPage>(form.hwnd(), MainForm::kStartPageRect, true),
                std::make_unique<BlankDownloadPage>(form.hwnd(), MainForm::kDownloadPageRect, form),
                std::make_unique<BlankFinishPage>(form.hwnd(), MainForm::kFinishPageRect, form)};
        });
        form_->SetQuitOnClose(false);
        form_->Show();
        form_->SetAccessPath(L"\"C:\\Programme\\Office\\MSACCESS.EXE\"");
    }

    OrdnerAuswahlDialog& Open(const std::wstring& zelbarPath) {
        form_->SetZelbarPath(zelbarPath);
        dialog_ = std::make_unique<OrdnerAuswahlDialog>(*form_, platform_);
        return *dialog_;
    }
    // Queues a click on a button of the dialog, as the user's next action.
    void Click(Button& control) {
        ::PostMessageW(dialog_->hwnd(), WM_COMMAND, MAKEWPARAM(control.id(), BN_CLICKED),
                       reinterpret_cast<LPARAM>(control.hwnd()));
    }
    // Queues the choice of a drive in the drive list.
    void ChooseDrive(wchar_t letter) {
        DriveList& drives = dialog_->Drive1();
        int index = -1;
        for (int i = 0; i < drives.ListCount(); ++i) {
            if (drives.List(i)[0] == letter) index = i;
        }
        ASSERT_GE(index, 0) << "no drive " << static_cast<char>(letter) << ": in the list";
        HWND combo = drives.control().hwnd();
        ::PostMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::PostMessageW(dialog_->hwnd(), WM_COMMAND,
                       MAKEWPARAM(drives.control().id(), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }
    // Highlights a list entry (list index as in the control) at once.
    void Highlight(int listIndex) {
        FolderList& list = dialog_->Dir1();
        ::SendMessageW(list.control().hwnd(), LB_SETCURSEL,
                       static_cast<WPARAM>(listIndex + 1 + ParentCount(list)), 0);
    }
    // Double-clicks the highlighted entry at once.
    void DoubleClickHighlighted() {
        FolderList& list = dialog_->Dir1();
        ::SendMessageW(dialog_->hwnd(), WM_COMMAND, MAKEWPARAM(list.control().id(), LBN_DBLCLK),
                       reinterpret_cast<LPARAM>(list.control().hwnd()));
    }
    static int ParentCount(FolderList& list) {
        int count = 0;
        while (!list.List(-2 - count).empty()) ++count;
        return count;
    }
    // Shows the dialog modally; the queued actions run inside.
    void ShowModal() {
        Watchdog watchdog(dialog_->hwnd());
        dialog_->ShowModal(form_->hwnd());
        EXPECT_FALSE(watchdog.fired) << "the dialog did not end by itself";
    }

    DefinedDrive notReady_{L"Q:", L"C:\\ztest\\kein-datentraeger"};
    TempFolder temp_;
    ScriptedUi ui_;
    WinFileSystem files_;
    WinShell shell_;
    FixedOsInfo os_;
    Platform platform_{files_, shell_, os_, ui_};
    std::unique_ptr<MainForm> form_;
    std::unique_ptr<OrdnerAuswahlDialog> dialog_;
};

TEST_F(FolderChooserTest, OpensAtTheInstallationFolderOnDriveCWithEveryDriveListed) {
    OrdnerAuswahlDialog& dialog = Open(temp_.path() + L"\\");
    EXPECT_EQ(WindowText(dialog.hwnd()), L"Name des Dialogfeldes");
    EXPECT_EQ(dialog.Tag(), temp_.path());
    EXPECT_EQ(dialog.Dir1().Path(), temp_.path());
    EXPECT_EQ(dialog.Dir1().List(-1), temp_.path());
    EXPECT_EQ(dialog.Dir1().List(-2), L"C:\\ztest");
    EXPECT_EQ(dialog.Dir1().List(-3), L"C:\\");
    EXPECT_EQ(dialog.Drive1().Drive().substr(0, 2), L"c:");
    EXPECT_EQ(dialog.lastDrive(), L"C:");
    for (Button* button : {&dialog.OKButton, &dialog.CancelButton, &dialog.buttonNeuerOrdner}) {
        const LONG style = ::GetWindowLongW(button->hwnd(), GWL_STYLE);
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << Narrow(button->Caption());
    }
    // Every drive is listed, ready or not.
    std::wstring letters;
    for (int i = 0; i < dialog.Drive1().ListCount(); ++i) letters += dialog.Drive1().List(i)[0];
    for (wchar_t letter : {L'c', L'q', L'z'}) {
        EXPECT_NE(letters.find(letter), std::wstring::npos) << Narrow(letters);
    }
}

TEST_F(FolderChooserTest, OkShowsEachRefusalLengthFirstAndKeepsTheDialogOpen) {
    form_->SetAccessPath(std::wstring(230, L'x'));
    Open(L"C:\\");
    Click(dialog_->OKButton);
    Click(dialog_->CancelButton);
    ShowModal();
    ASSERT_EQ(ui_.shown.size(), 2u);
    EXPECT_EQ(ui_.shown[0].text, kTooLong);
    EXPECT_EQ(ui_.shown[1].text, kRoot);
    for (const auto& shown : ui_.shown) {
        EXPECT_EQ(shown.style, 64u);
        EXPECT_EQ(shown.title, L"Zelbar Setup");
    }
    // Only "Abbrechen" ended the display; Tag is what opening set.
    EXPECT_EQ(dialog_->Tag(), L"C:\\");
    EXPECT_FALSE(dialog_->Discarded());
}

TEST_F(FolderChooserTest, AbbrechenAfterADriveChangeHandsBackThatDrivesFolder) {
    // The test runs in a folder of drive Z:, which is that drive's current folder.
    wchar_t current[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, current);
    ASSERT_EQ(std::wstring(current).substr(0, 3), L"Z:\\");
    Open(temp_.path() + L"\\");
    ChooseDrive(L'z');
    Click(dialog_->CancelButton);
    ShowModal();
    EXPECT_TRUE(ui_.shown.empty());
    EXPECT_EQ(dialog_->lastDrive(), L"z:");
    EXPECT_EQ(dialog_->Drive1().Drive().substr(0, 2), L"z:");
    EXPECT_EQ(dialog_->Dir1().Path(), current);
    EXPECT_EQ(dialog_->Tag(), current);
}

TEST_F(FolderChooserTest, DriveThatIsNotReadyIsNamedAndTheListReturnsToTheLastReadyDrive) {
    Open(temp_.path() + L"\\");
    ChooseDrive(L'q');
    Click(dialog_->CancelButton);
    ShowModal();
    ASSERT_EQ(ui_.shown.size(), 1u);
    EXPECT_EQ(ui_.shown[0].text, L"Legen Sie einen Datenträger in Laufwerk Q: ein.");
    EXPECT_EQ(ui_.shown[0].style, 64u);
    EXPECT_EQ(dialog_->Drive1().Drive().substr(0, 2), L"c:");
    EXPECT_EQ(dialog_->lastDrive(), L"C:");
    // The folder list went to drive C:'s current folder.
    EXPECT_EQ(dialog_->Dir1().Path().substr(0, 3), L"C:\\");
    EXPECT_EQ(dialog_->Tag(), dialog_->Dir1().Path());
}

TEST_F(FolderChooserTest, NewFolderIsMadeBelowTheSelectedFolderAndOpened) {
    Open(temp_.path() + L"\\");
    // Cannot be made (its parent is missing), made, then the box cancelled.
    ui_.inputAnswers = {L"fehlt\\tiefer", L"Neu"};
    for (int i = 0; i < 3; ++i) Click(dialog_->buttonNeuerOrdner);
    Click(dialog_->CancelButton);
    ShowModal();
    const std::wstring prompt = L"Ordner erstellen|Neuen Ordner erstellen in: ";
    EXPECT_EQ(ui_.inputPrompts,
              (std::vector<std::wstring>{prompt + temp_.path(), prompt + temp_.path(),
                                         prompt + (temp_ / L"Neu")}));
    EXPECT_FALSE(PathExists(temp_ / L"fehlt"));
    EXPECT_EQ(dialog_->Dir1().Path(), temp_ / L"Neu");
    EXPECT_EQ(dialog_->Dir1().ListCount(), 0);
    // Navigation alone leaves Tag alone.
    EXPECT_EQ(dialog_->Tag(), temp_.path());
}

TEST_F(FolderChooserTest, DoubleClickOpensASubfolderAndOkTakesTheHighlightedOne) {
    ::CreateDirectoryW((temp_ / L"Alpha").c_str(), nullptr);
    ::CreateDirectoryW((temp_ / L"beta").c_str(), nullptr);
    ::CreateDirectoryW((temp_ / L"beta\\Gamma").c_str(), nullptr);
    Open(temp_.path() + L"\\");
    ASSERT_EQ(dialog_->Dir1().ListCount(), 2);
    EXPECT_EQ(dialog_->Dir1().List(0), temp_ / L"Alpha");
    Highlight(1);
    DoubleClickHighlighted();
    Highlight(0);  // Gamma, below beta
    Click(dialog_->OKButton);
    ShowModal();
    EXPECT_TRUE(ui_.shown.empty());
    EXPECT_EQ(dialog_->Dir1().Path(), temp_ / L"beta");
    EXPECT_EQ(dialog_->Tag(), temp_ / L"beta\\Gamma");
    EXPECT_FALSE(::IsWindowVisible(dialog_->hwnd()));
    EXPECT_TRUE(::IsWindowEnabled(form_->hwnd()));
}

TEST_F(FolderChooserTest, ClosingThroughTheFrameDiscardsTheDialogAndFreesTheOwner) {
    for (const wchar_t* name : {L"Zelbar", L"Daten", L"Sicherung"}) {
        ::CreateDirectoryW((temp_ / name).c_str(), nullptr);
    }
    Open(temp_.path() + L"\\");
    bool ownerDisabledMeanwhile = false;
    DialogAnswerer answer(OrdnerAuswahlDialog::kTitle, [&](HWND window) {
        ownerDisabledMeanwhile = !::IsWindowEnabled(form_->hwnd());
        SaveScreenshot(window, L"folder-chooser");
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    });
    ShowModal();
    EXPECT_TRUE(answer.answered());
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_TRUE(dialog_->Discarded());
    EXPECT_EQ(dialog_->hwnd(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(form_->hwnd()));
}

}  // namespace
