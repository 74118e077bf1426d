// The folder chooser under Wine, over the real wizard window, with the real
// drives and folders of the sandbox prefix. A user's actions are posted to
// the dialog before it is shown and run inside its own modal loop, in order;
// message and input boxes are scripted. The drive letter Q: is defined for the
// test's Wine session as a folder that does not exist: a drive that is listed
// but not ready, like a drive without its medium.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "FixedOsInfo.h"
#include "app/BlankPage_win.h"
#include "app/MainForm_win.h"
#include "folderchooser/OrdnerAuswahlDialog_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/Shell_win.h"
#include "platform/Text.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

const wchar_t kTooLong[] = L"Bitte wählen Sie einen kürzeren Programmpfad!";
const wchar_t kRoot[] = L"Bitte wählen Sie ein Verzeichnis in dem ausgewählten Laufwerk aus.";

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
    DefinedDrive(const DefinedDrive&) = delete;
    DefinedDrive& operator=(const DefinedDrive&) = delete;

private:
    const wchar_t* drive_;
};

std::wstring CurrentFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer);
    return std::wstring(buffer, length);
}

// Closes the dialog through its frame if a test leaves it open, so a broken
// dialog fails its test instead of hanging the run.
class Watchdog {
public:
    explicit Watchdog(HWND window)
        : thread_([this, window] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::seconds(20), [this] { return stop_; })) {
                  fired = true;
                  ::PostMessageW(window, WM_CLOSE, 0, 0);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        done_.notify_all();
        thread_.join();
    }
    bool fired = false;

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool stop_ = false;
    std::thread thread_;
};

class FolderChooserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        notReady = new DefinedDrive(L"Q:", L"C:\\ztest\\kein-datentraeger");
    }
    static void TearDownTestSuite() {
        delete notReady;
        notReady = nullptr;
    }

    void SetUp() override {
        form_ = std::make_unique<MainForm>(platform_, [](MainForm& form) {
            WizardPages pages;
            pages.startPage =
                std::make_unique<BlankStartPage>(form.hwnd(), MainForm::kStartPageRect, true);
            pages.downloadPage = std::make_unique<BlankDownloadPage>(
                form.hwnd(), MainForm::kDownloadPageRect, form);
            pages.finishPage =
                std::make_unique<BlankFinishPage>(form.hwnd(), MainForm::kFinishPageRect, form);
            return pages;
        });
        form_->SetQuitOnClose(false);
        form_->Show();
        form_->SetAccessPath(L"\"C:\\Programme\\Office\\MSACCESS.EXE\"");
    }
    void TearDown() override {
        dialog_.reset();
        form_->SetAccessPath(L"");
        form_.reset();
    }

    OrdnerAuswahlDialog& Open(const std::wstring& zelbarPath) {
        form_->SetZelbarPath(zelbarPath);
        dialog_ = std::make_unique<OrdnerAuswahlDialog>(*form_, platform_);
        return *dialog_;
    }
    // Queues a click on a button of the dialog, as the user's next action.
    void Click(const wchar_t* button) {
        Control& control = (*dialog_)[button];
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
    std::vector<std::wstring> Messages() const {
        std::vector<std::wstring> texts;
        for (const auto& shown : ui_.messages) texts.push_back(shown.text);
        return texts;
    }

    static DefinedDrive* notReady;
    TempFolder temp_;
    PumpingFakeUi ui_;
    WinFileSystem files_;
    WinShell shell_;
    FixedOsInfo os_;
    Platform platform_{files_, shell_, os_, ui_};
    std::unique_ptr<MainForm> form_;
    std::unique_ptr<OrdnerAuswahlDialog> dialog_;
};

DefinedDrive* FolderChooserTest::notReady = nullptr;

// A folder below the test's temporary folder whose full path has `length` characters.
std::wstring FolderOfLength(const TempFolder& temp, std::size_t length) {
    const std::wstring base = temp.path() + L"\\";
    std::wstring path = base + std::wstring(length - base.size(), L'a');
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

TEST_F(FolderChooserTest, OpensAtTheInstallationFolderWithCAsDriveAndNoDefaultButton) {
    OrdnerAuswahlDialog& dialog = Open(temp_.path() + L"\\");
    EXPECT_EQ(WindowText(dialog.hwnd()), L"Name des Dialogfeldes");
    EXPECT_EQ(dialog.Tag(), temp_.path());
    EXPECT_EQ(dialog.Dir1().Path(), temp_.path());
    EXPECT_EQ(dialog.Dir1().List(-1), temp_.path());
    EXPECT_EQ(dialog.Dir1().List(-2), L"C:\\ztest");
    EXPECT_EQ(dialog.Dir1().List(-3), L"C:\\");
    EXPECT_EQ(dialog.Drive1().Drive().substr(0, 2), L"c:");
    EXPECT_EQ(dialog.lastDrive(), L"C:");
    for (const wchar_t* button : {L"OKButton", L"CancelButton", L"buttonNeuerOrdner"}) {
        const LONG style = ::GetWindowLongW(dialog[button].hwnd(), GWL_STYLE);
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << Narrow(button);
    }
}

TEST_F(FolderChooserTest, EveryDriveIsListedReadyOrNot) {
    OrdnerAuswahlDialog& dialog = Open(L"C:\\");
    std::wstring letters;
    for (int i = 0; i < dialog.Drive1().ListCount(); ++i) letters += dialog.Drive1().List(i)[0];
    EXPECT_NE(letters.find(L'c'), std::wstring::npos) << Narrow(letters);
    EXPECT_NE(letters.find(L'q'), std::wstring::npos) << Narrow(letters);
    EXPECT_NE(letters.find(L'z'), std::wstring::npos) << Narrow(letters);
}

TEST_F(FolderChooserTest, FolderOf59CharactersGives268AndIsAccepted) {
    form_->SetAccessPath(std::wstring(101, L'x'));
    const std::wstring folder = FolderOfLength(temp_, 59);
    Open(folder + L"\\");
    Click(L"OKButton");
    ShowModal();
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(dialog_->Tag(), folder);
    EXPECT_FALSE(::IsWindowVisible(dialog_->hwnd()));
    EXPECT_TRUE(::IsWindowEnabled(form_->hwnd()));
}

TEST_F(FolderChooserTest, FolderOf60CharactersGives270AndIsRefused) {
    form_->SetAccessPath(std::wstring(101, L'x'));
    const std::wstring shorter = FolderOfLength(temp_, 59);
    const std::wstring longer = FolderOfLength(temp_, 60);
    Open(shorter + L"\\");
    // The 60-character sibling: up to the parent, then highlight it (the
    // longer name sorts after the shorter one).
    Highlight(-2);
    DoubleClickHighlighted();
    Highlight(1);
    Click(L"OKButton");
    Click(L"CancelButton");
    ShowModal();
    EXPECT_EQ(Messages(), std::vector<std::wstring>{kTooLong});
    EXPECT_EQ(dialog_->Dir1().List(1), longer);
    // Refused: Tag keeps what opening set.
    EXPECT_EQ(dialog_->Tag(), shorter);
}

TEST_F(FolderChooserTest, RootOfTheDriveIsRefusedAndTheDialogStaysOpen) {
    Open(L"C:\\");
    Click(L"OKButton");
    Click(L"CancelButton");
    ShowModal();
    EXPECT_EQ(Messages(), std::vector<std::wstring>{kRoot});
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].style, 64u);
    EXPECT_EQ(ui_.messages[0].title, L"Zelbar Setup");
    // Only "Abbrechen" ended the display; Tag is what opening set.
    EXPECT_EQ(dialog_->Tag(), L"C:\\");
}

TEST_F(FolderChooserTest, RootWithATooLongAccessPathShowsBothMessagesLengthFirst) {
    form_->SetAccessPath(std::wstring(230, L'x'));
    Open(L"C:\\");
    Click(L"OKButton");
    Click(L"CancelButton");
    ShowModal();
    EXPECT_EQ(Messages(), (std::vector<std::wstring>{kTooLong, kRoot}));
}

TEST_F(FolderChooserTest, AbbrechenRightAfterOpeningHandsBackTheOpenedFolder) {
    Open(temp_.path() + L"\\");
    Click(L"CancelButton");
    ShowModal();
    EXPECT_EQ(dialog_->Tag(), temp_.path());
    EXPECT_FALSE(dialog_->Discarded());
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(FolderChooserTest, AbbrechenAfterADriveChangeHandsBackThatDrivesFolder) {
    // The test runs in a folder of drive Z:, which is that drive's current folder.
    const std::wstring current = CurrentFolder();
    ASSERT_EQ(current.substr(0, 3), L"Z:\\");
    Open(temp_.path() + L"\\");
    ChooseDrive(L'z');
    Click(L"CancelButton");
    ShowModal();
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(dialog_->lastDrive(), L"z:");
    EXPECT_EQ(dialog_->Drive1().Drive().substr(0, 2), L"z:");
    EXPECT_EQ(dialog_->Dir1().Path(), current);
    EXPECT_EQ(dialog_->Tag(), current);
}

TEST_F(FolderChooserTest, DriveThatIsNotReadyIsNamedAndTheListReturnsToTheLastReadyDrive) {
    Open(temp_.path() + L"\\");
    ChooseDrive(L'q');
    Click(L"CancelButton");
    ShowModal();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, L"Legen Sie einen Datenträger in Laufwerk Q: ein.");
    EXPECT_EQ(ui_.messages[0].style, 64u);
    EXPECT_EQ(dialog_->Drive1().Drive().substr(0, 2), L"c:");
    EXPECT_EQ(dialog_->lastDrive(), L"C:");
    // The folder list went to drive C:'s current folder.
    EXPECT_EQ(dialog_->Dir1().Path().substr(0, 3), L"C:\\");
    EXPECT_EQ(dialog_->Tag(), dialog_->Dir1().Path());
}

TEST_F(FolderChooserTest, NewFolderBelowAFolderIsMadeAndOpened) {
    Open(temp_.path() + L"\\");
    ui_.inputBoxAnswers = {L"Neu"};
    Click(L"buttonNeuerOrdner");
    Click(L"CancelButton");
    ShowModal();
    ASSERT_EQ(ui_.inputRequests.size(), 1u);
    EXPECT_EQ(ui_.inputRequests[0].title, L"Ordner erstellen");
    EXPECT_EQ(ui_.inputRequests[0].prompt, L"Neuen Ordner erstellen in: " + temp_.path());
    EXPECT_TRUE(PathExists(temp_ / L"Neu"));
    EXPECT_EQ(dialog_->Dir1().Path(), temp_ / L"Neu");
    // Navigation alone leaves Tag alone.
    EXPECT_EQ(dialog_->Tag(), temp_.path());
}

TEST_F(FolderChooserTest, NewFolderAtARootGetsNoDoubledBackslash) {
    const std::wstring name = L"ztest_neu_" + Text::FromInt(::GetCurrentProcessId());
    RemoveTree(L"C:\\" + name);
    Open(L"C:\\");
    ui_.inputBoxAnswers = {name};
    Click(L"buttonNeuerOrdner");
    Click(L"CancelButton");
    ShowModal();
    const bool made = PathExists(L"C:\\" + name);
    RemoveTree(L"C:\\" + name);
    EXPECT_TRUE(made);
    EXPECT_EQ(ui_.inputRequests.at(0).prompt, L"Neuen Ordner erstellen in: C:\\");
    EXPECT_EQ(dialog_->Dir1().Path(), L"C:\\" + name);
}

TEST_F(FolderChooserTest, CancelledInputBoxMakesNothingAndChangesNothing) {
    Open(temp_.path() + L"\\");
    Click(L"buttonNeuerOrdner");  // no scripted answer: the box was cancelled
    Click(L"OKButton");
    ShowModal();
    EXPECT_EQ(ui_.inputRequests.size(), 1u);
    EXPECT_EQ(dialog_->Dir1().Path(), temp_.path());
    EXPECT_EQ(dialog_->Dir1().ListCount(), 0);
    EXPECT_EQ(dialog_->Tag(), temp_.path());
}

TEST_F(FolderChooserTest, NewFolderThatCannotBeMadeLeavesTheListWhereItWas) {
    Open(temp_.path() + L"\\");
    ui_.inputBoxAnswers = {L"fehlt\\tiefer"};
    Click(L"buttonNeuerOrdner");
    Click(L"CancelButton");
    ShowModal();
    EXPECT_FALSE(PathExists(temp_ / L"fehlt"));
    EXPECT_EQ(dialog_->Dir1().Path(), temp_.path());
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
    Click(L"OKButton");
    ShowModal();
    EXPECT_EQ(dialog_->Dir1().Path(), temp_ / L"beta");
    EXPECT_EQ(dialog_->Tag(), temp_ / L"beta\\Gamma");
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
