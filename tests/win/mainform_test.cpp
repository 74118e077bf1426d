// The wizard window under Wine: loading with each validation result, the
// page sequence on "Weiter", and the closing procedure in every state, with
// scripted message-box answers and pages that record what the window asks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FixedOsInfo.h"
#include "app/BlankPage_win.h"
#include "app/MainForm_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/PlatformError.h"
#include "platform/Shell_win.h"
#include "support/PumpingFakeUi.h"

namespace fs = std::filesystem;

namespace {

const wchar_t kQuestion[] = L"Möchten Sie Zelbar-Setup wirklich beenden?";
const wchar_t kNoticeStart[] = L"Bitte starten Sie Zelbar beim 1. Mal unbedingt als Administrator:";

class RecordingDownloadPage : public BlankPageWindow, public DownloadPage {
public:
    RecordingDownloadPage(MainForm& form)
        : BlankPageWindow(form.hwnd(), MainForm::kDownloadPageRect, false), form_(form) {}
    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override {
        Window::SetVisible(visible);
        if (visible) form_.SetZelbarPath(L"C:\\Zelbar\\");
    }
    bool Cancel() override {
        ++cancelCalls;
        if (cancelThrows) throw PlatformError(5, L"Zugriff verweigert");
        return cancelResult;
    }
    int cancelCalls = 0;
    bool cancelResult = false;
    bool cancelThrows = false;

private:
    MainForm& form_;
};

class RecordingFinishPage : public BlankPageWindow, public FinishPage {
public:
    RecordingFinishPage(MainForm& form)
        : BlankPageWindow(form.hwnd(), MainForm::kFinishPageRect, false) {}
    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }
    void Fertigstellen() override {
        ++finishCalls;
        if (finishThrows) {
            finishThrows = false;
            throw PlatformError(32, L"Die Datei ist in Gebrauch: C:\\Zelbar\\ZelbarProg.mdb");
        }
    }
    void Cancel() override { ++cancelCalls; }
    int finishCalls = 0;
    int cancelCalls = 0;
    bool finishThrows = false;
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::path(L"C:\\ztest\\mainform") / fs::path(info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        ui_.startFolder = folder_.wstring();
        Window::SetErrorReporter(
            [this](HWND, const std::wstring& text) { reportedErrors_.push_back(text); });
    }
    void TearDown() override {
        form_.reset();
        Window::SetErrorReporter(nullptr);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void WriteIni(const std::string& content) {
        std::ofstream out(folder_ / "settings.ini", std::ios::binary);
        out << content;
    }
    void WriteUsableIni() { WriteIni("[GetFileSize]\r\nURL=http://127.0.0.1/size.php\r\n"); }

    MainForm& MakeForm() {
        form_ = std::make_unique<MainForm>(platform_, [this](MainForm& form) {
            WizardPages pages;
            pages.startPage =
                std::make_unique<BlankStartPage>(form.hwnd(), MainForm::kStartPageRect, true);
            auto download = std::make_unique<RecordingDownloadPage>(form);
            auto finish = std::make_unique<RecordingFinishPage>(form);
            download_ = download.get();
            finish_ = finish.get();
            pages.downloadPage = std::move(download);
            pages.finishPage = std::move(finish);
            return pages;
        });
        form_->SetQuitOnClose(false);
        return *form_;
    }
    MainForm& LoadedForm() {
        WriteUsableIni();
        MainForm& form = MakeForm();
        form.Load();
        form.Show();
        return form;
    }

    void Press(const wchar_t* button) {
        ::SendMessageW((*form_)[button].hwnd(), BM_CLICK, 0, 0);
        PumpPendingMessages();
    }
    void CloseFromFrame() { ::SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0); }
    std::vector<std::wstring> ShownTexts() const {
        std::vector<std::wstring> texts;
        for (const auto& s : ui_.messages) texts.push_back(s.text.substr(0, 66));
        return texts;
    }

    fs::path folder_;
    PumpingFakeUi ui_;
    WinFileSystem files_;
    WinShell shell_;
    FixedOsInfo os_;
    Platform platform_{files_, shell_, os_, ui_};
    std::unique_ptr<MainForm> form_;
    RecordingDownloadPage* download_ = nullptr;
    RecordingFinishPage* finish_ = nullptr;
    std::vector<std::wstring> reportedErrors_;
};

TEST_F(MainFormTest, MissingSettingsFileIsReportedThenTheNoticeAndTheWindowCloses) {
    MainForm& form = MakeForm();
    form.Load();
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, L"Die ini-Datei wurde nicht gefunden!");
    EXPECT_EQ(ui_.messages[0].style, 16u);
    EXPECT_EQ(ui_.messages[0].title, L"Zelbar Setup");
    EXPECT_EQ(ui_.messages[1].text.rfind(kNoticeStart, 0), 0u);
    EXPECT_EQ(ui_.messages[1].style, 64u);
    EXPECT_EQ(ui_.messages[1].title, L"Setup beenden");
    EXPECT_TRUE(form.Closed());
}

TEST_F(MainFormTest, BrokenSettingsFileIsReportedThenTheNoticeAndTheWindowCloses) {
    WriteIni("[GetFileSize]\r\nURL=ftp://127.0.0.1/size.php\r\n");
    MainForm& form = MakeForm();
    form.Load();
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, L"Die ini-Datei wurde verändert und kann nicht mehr gelesen werden.");
    EXPECT_EQ(ui_.messages[0].style, 16u);
    EXPECT_EQ(ui_.messages[1].style, 64u);
    EXPECT_TRUE(form.Closed());
}

TEST_F(MainFormTest, LockedSettingsFileGivesAGermanMessageInsteadOfACrash) {
    WriteUsableIni();
    const std::wstring path = (folder_ / "settings.ini").wstring();
    HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    MainForm& form = MakeForm();
    form.Load();
    ::CloseHandle(lock);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_NE(ui_.messages[0].text.find(L"ini-Datei kann nicht geöffnet werden"), std::wstring::npos);
    EXPECT_EQ(ui_.messages[0].style, 16u);
    EXPECT_EQ(ui_.messages[1].style, 64u);
    EXPECT_TRUE(form.Closed());
}

TEST_F(MainFormTest, UsableSettingsFileShowsPageOneWithWeiterDisabled) {
    MainForm& form = LoadedForm();
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_FALSE(form.Closed());
    EXPECT_TRUE(form.startPage().Visible());
    EXPECT_FALSE(form.downloadPage().Visible());
    EXPECT_FALSE(form.finishPage().Visible());
    EXPECT_FALSE(::IsWindowEnabled(form[L"buttonWeiter"].hwnd()));
    EXPECT_TRUE(::IsWindowEnabled(form[L"buttonAbbrechen"].hwnd()));
    wchar_t caption[64];
    ::GetWindowTextW(form.hwnd(), caption, 64);
    EXPECT_STREQ(caption, L"Zelbar LIVE Setup 11.0");
}

TEST_F(MainFormTest, AnsweringNoKeepsEverythingOnEveryPage) {
    MainForm& form = LoadedForm();
    ui_.msgBoxAnswers = {MsgBoxResult::No};
    Press(L"buttonAbbrechen");
    EXPECT_FALSE(form.Closed());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, kQuestion);
    EXPECT_EQ(ui_.messages[0].style, 36u);
    EXPECT_EQ(ui_.messages[0].title, L"Setup beenden");

    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    ui_.msgBoxAnswers = {MsgBoxResult::No};
    CloseFromFrame();
    EXPECT_FALSE(form.Closed());
    EXPECT_EQ(download_->cancelCalls, 0);

    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    ui_.msgBoxAnswers = {MsgBoxResult::No};
    Press(L"buttonAbbrechen");
    EXPECT_FALSE(form.Closed());
    EXPECT_EQ(finish_->cancelCalls, 0);
}

TEST_F(MainFormTest, YesOnPageOneClosesAtOnceWithoutTheNotice) {
    MainForm& form = LoadedForm();
    ui_.msgBoxAnswers = {MsgBoxResult::Yes};
    Press(L"buttonAbbrechen");
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(download_->cancelCalls, 0);
}

TEST_F(MainFormTest, WeiterWalksThePagesAndOnlyRenamesTheButtonOnPageTwo) {
    MainForm& form = LoadedForm();
    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    EXPECT_FALSE(form.startPage().Visible());
    EXPECT_TRUE(form.downloadPage().Visible());
    EXPECT_EQ(form.GetZelbarPath(), L"C:\\Zelbar\\");  // the page's show handling ran
    EXPECT_FALSE(::IsWindowEnabled(form[L"buttonWeiter"].hwnd()));

    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    EXPECT_TRUE(form.finishPage().Visible());
    EXPECT_EQ(form[L"buttonWeiter"].Caption(), L"Fertig stellen");
    EXPECT_TRUE(::IsWindowEnabled(form[L"buttonWeiter"].hwnd()));

    Press(L"buttonWeiter");
    EXPECT_EQ(finish_->finishCalls, 1);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text.rfind(kNoticeStart, 0), 0u);
    EXPECT_TRUE(form.Closed());
}

TEST_F(MainFormTest, FailingFertigstellenIsReportedAndTheWindowStaysForAnotherTry) {
    MainForm& form = LoadedForm();
    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    finish_->finishThrows = true;
    Press(L"buttonWeiter");
    EXPECT_FALSE(form.Closed());
    EXPECT_FALSE(form.skipClosePrompt());
    ASSERT_EQ(reportedErrors_.size(), 1u);
    EXPECT_NE(reportedErrors_[0].find(L"ZelbarProg.mdb"), std::wstring::npos);

    Press(L"buttonWeiter");
    EXPECT_EQ(finish_->finishCalls, 2);
    EXPECT_TRUE(form.Closed());
}

TEST_F(MainFormTest, YesOnPageTwoAsksThePageAndStaysOpenWhileWorkIsStopping) {
    MainForm& form = LoadedForm();
    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    download_->cancelResult = true;
    ui_.msgBoxAnswers = {MsgBoxResult::Yes};
    Press(L"buttonAbbrechen");
    EXPECT_EQ(download_->cancelCalls, 1);
    EXPECT_FALSE(form.Closed());

    // The stopped transfer then closes the window itself, without a second question.
    form.CloseWithoutPrompt();
    EXPECT_TRUE(form.Closed());
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[1].style, 64u);
}

TEST_F(MainFormTest, YesOnAnIdlePageTwoClosesWithoutTheNotice) {
    MainForm& form = LoadedForm();
    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    ui_.msgBoxAnswers = {MsgBoxResult::Yes};
    CloseFromFrame();
    EXPECT_EQ(download_->cancelCalls, 1);
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(MainFormTest, FailingPageCancelIsReportedAndTheWindowStaysUsable) {
    MainForm& form = LoadedForm();
    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    download_->cancelThrows = true;
    ui_.msgBoxAnswers = {MsgBoxResult::Yes};
    Press(L"buttonAbbrechen");
    EXPECT_FALSE(form.Closed());
    EXPECT_EQ(reportedErrors_.size(), 1u);
}

TEST_F(MainFormTest, YesOnPageThreeRunsItsCleanUpAndCloses) {
    MainForm& form = LoadedForm();
    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    form.EnableButtonWeiter();
    Press(L"buttonWeiter");
    ui_.msgBoxAnswers = {MsgBoxResult::Yes};
    Press(L"buttonAbbrechen");
    EXPECT_EQ(finish_->cancelCalls, 1);
    EXPECT_EQ(finish_->finishCalls, 0);
    EXPECT_TRUE(form.Closed());
}

TEST_F(MainFormTest, BeendenCoversWeiterDisablesAbbrechenAndClosesWithTheNotice) {
    MainForm& form = LoadedForm();
    form.EnableButtonBeenden();
    EXPECT_FALSE(::IsWindowEnabled(form[L"buttonAbbrechen"].hwnd()));
    EXPECT_TRUE(::IsWindowEnabled(form[L"buttonBeenden"].hwnd()));
    // The button under the centre of the shared place is "Beenden" now.
    RECT r;
    ::GetWindowRect(form[L"buttonWeiter"].hwnd(), &r);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ScreenToClient(form.hwnd(), &centre);
    EXPECT_EQ(::ChildWindowFromPointEx(form.hwnd(), centre, CWP_SKIPINVISIBLE),
              form[L"buttonBeenden"].hwnd());

    Press(L"buttonBeenden");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].style, 64u);
    EXPECT_EQ(ui_.messages[0].text.find(L"\r\n"), 65u);
    EXPECT_TRUE(form.Closed());
}

TEST_F(MainFormTest, DeleteTempFolderRemovesTheTreeWithReadOnlyFiles) {
    MainForm& form = LoadedForm();
    const fs::path install = folder_ / "install";
    fs::create_directories(install / "temp_2026_12_5-10920" / "sub");
    const fs::path readOnly = install / "temp_2026_12_5-10920" / "sub" / "a.txt";
    std::ofstream(readOnly) << "x";
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    std::ofstream(install / "ZelbarData.mdb") << "data";

    form.SetZelbarPath(install.wstring() + L"\\");
    form.SetTempFolder(L"temp_2026_12_5-10920\\");
    form.DeleteTempFolder();
    EXPECT_FALSE(fs::exists(install / "temp_2026_12_5-10920"));
    EXPECT_TRUE(fs::exists(install / "ZelbarData.mdb"));

    form.DeleteTempFolder();  // already gone: nothing happens
    EXPECT_TRUE(fs::exists(install / "ZelbarData.mdb"));
}

TEST_F(MainFormTest, DeleteTempFolderWithoutADownloadFolderLeavesTheInstallationAlone) {
    MainForm& form = LoadedForm();
    const fs::path install = folder_ / "install";
    fs::create_directories(install);
    std::ofstream(install / "ZelbarData.mdb") << "data";
    form.SetZelbarPath(install.wstring() + L"\\");
    form.DeleteTempFolder();
    EXPECT_TRUE(fs::exists(install / "ZelbarData.mdb"));
}

}  // namespace
