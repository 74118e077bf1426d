// The wizard window under Wine, with scripted message boxes and pages that
// record what the window asks of them; the e2e roads take it with real pages.
#include <gtest/gtest.h>

#include "app/MainForm_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/OsInfo_win.h"
#include "platform/PlatformError.h"
#include "platform/Shell_win.h"
#include "support/BlankPage_win.h"
#include "support/ScriptedUi.h"
#include "support/TestSupport.h"

namespace {
using namespace wintest;

const wchar_t kQuestion[] = L"Möchten Sie Zelbar-Setup wirklich beenden?";
const wchar_t kNotice[] = L"Bitte starten Sie Zelbar beim 1. Mal unbedingt als Administrator:";
const char kUsableIni[] = "[GetFileSize]\r\nURL=http://127.0.0.1/size.php\r\n";

struct RecordingDownloadPage : BlankDownloadPage {
    using BlankDownloadPage::BlankDownloadPage;
    bool Cancel() override {
        ++cancels;
        if (throws) throw PlatformError(5, L"Zugriff verweigert");
        return stillBusy;
    }
    int cancels = 0;
    bool stillBusy = false, throws = false;
};

struct RecordingFinishPage : BlankFinishPage {
    using BlankFinishPage::BlankFinishPage;
    void Fertigstellen() override {
        if (finishes++ < failures) throw PlatformError(32, L"In Gebrauch: ZelbarProg.mdb");
    }
    void Cancel() override { ++cancels; }
    int finishes = 0, cancels = 0, failures = 0;
};

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest() {
        ui_.startFolder = temp_.path();
        WriteBytes(temp_ / L"settings.ini", kUsableIni);
        Window::SetErrorReporter([this](HWND, const std::wstring& e) { errors_.push_back(e); });
    }
    ~MainFormTest() override {
        form_.reset();
        Window::SetErrorReporter(nullptr);
    }

    // A fresh window, loaded and walked on to `page` (0: as loading left it), each page leaving
    // "Weiter" disabled until done; earlier messages and errors are forgotten.
    MainForm& FormOnPage(int page) {
        form_.reset();
        ui_.shown.clear();
        errors_.clear();
        form_ = std::make_unique<MainForm>(platform_, [this](MainForm& form) {
            download_ = new RecordingDownloadPage(form.hwnd(), MainForm::kDownloadPageRect, form);
            finish_ = new RecordingFinishPage(form.hwnd(), MainForm::kFinishPageRect, form);
            return WizardPages{
                std::make_unique<BlankStartPage>(form.hwnd(), MainForm::kStartPageRect, true),
                std::unique_ptr<DownloadPage>(download_), std::unique_ptr<FinishPage>(finish_)};
        });
        form_->SetQuitOnClose(false);
        form_->Load();
        form_->Show();
        for (int i = 1; i < page; ++i) {
            EXPECT_FALSE(::IsWindowEnabled(form_->buttonWeiter.hwnd()));
            form_->EnableButtonWeiter();
            Press(form_->buttonWeiter);
        }
        if (page == 0) return *form_;
        EXPECT_EQ(WindowText(form_->buttonWeiter.hwnd()),
                  page == 3 ? L"Fertig stellen" : L"Weiter");
        return *form_;
    }
    void Press(Button& button) {
        ::SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
        PumpPendingMessages();
    }
    // `count` message boxes so far; box i began with `start`, with this style and title.
    void ExpectShown(std::size_t count, std::size_t i, const std::wstring& start, unsigned style,
                     const std::wstring& title = L"Setup beenden") {
        ASSERT_EQ(ui_.shown.size(), count);
        EXPECT_EQ(ui_.shown[i].text.rfind(start, 0), 0u) << Narrow(ui_.shown[i].text);
        EXPECT_EQ(ui_.shown[i].style, style);
        EXPECT_EQ(ui_.shown[i].title, title);
    }

    TempFolder temp_;
    ScriptedUi ui_;
    WinFileSystem files_;
    WinShell shell_;
    WmiOsInfo os_;
    Platform platform_{files_, shell_, os_, ui_};
    std::unique_ptr<MainForm> form_;
    RecordingDownloadPage* download_ = nullptr;
    RecordingFinishPage* finish_ = nullptr;
    std::vector<std::wstring> errors_;
};

TEST_F(MainFormTest, UnusableSettingsFileIsReportedThenTheNoticeAndTheWindowCloses) {
    const std::wstring path = temp_ / L"settings.ini";
    const std::pair<const char*, const wchar_t*> cases[] = {
        {nullptr, L"Die ini-Datei wurde nicht gefunden!"},
        {"[GetFileSize]\r\nURL=ftp://127.0.0.1/size.php\r\n",
         L"Die ini-Datei wurde verändert und kann nicht mehr gelesen werden."},
        {kUsableIni, L"Die ini-Datei kann nicht geöffnet werden."},
    };
    for (const auto& [ini, message] : cases) {
        SCOPED_TRACE(message);
        RemoveTree(path);
        if (ini) WriteBytes(path, ini);
        const HANDLE lock = ini == kUsableIni ? ::CreateFileW(path.c_str(), GENERIC_READ, 0,
                                                              nullptr, OPEN_EXISTING, 0, nullptr)
                                              : nullptr;
        EXPECT_TRUE(FormOnPage(0).Closed());
        if (lock) ::CloseHandle(lock);
        ExpectShown(2, 0, message, 16, L"Zelbar Setup");
        ExpectShown(2, 1, kNotice, 64);
    }
}

TEST_F(MainFormTest, FertigStellenThatFailsReportsTheErrorAndCanBeTriedAgain) {
    MainForm& form = FormOnPage(3);
    finish_->failures = 1;
    Press(form.buttonWeiter);
    EXPECT_FALSE(form.Closed());
    EXPECT_EQ(errors_.size(), 1u);
    EXPECT_TRUE(ui_.shown.empty());
    Press(form.buttonWeiter);  // the notice that follows is on the e2e road
    EXPECT_TRUE(form.Closed());
}

TEST_F(MainFormTest, ClosingAsksFirstThenLetsTheVisiblePageCleanUp) {
    // "Ja" lets the visible page clean up; a download still stopping or a failed cleanup waits.
    const struct {
        int page;
        bool viaFrame, yes, downloadBusy, cancelThrows;
    } cases[] = {
        {1, true, true, false, false},  {2, true, false, false, false},
        {2, false, true, false, false}, {2, false, true, true, false},
        {2, false, true, false, true},  {3, false, false, false, false},
        {3, true, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << (&c - cases));
        MainForm& form = FormOnPage(c.page);
        download_->stillBusy = c.downloadBusy;
        download_->throws = c.cancelThrows;
        ui_.answers = {c.yes ? MsgBoxResult::Yes : MsgBoxResult::No};
        c.viaFrame ? void(::SendMessageW(form.hwnd(), WM_CLOSE, 0, 0))
                   : Press(form.buttonAbbrechen);
        EXPECT_EQ(form.Closed(), c.yes && !c.downloadBusy && !c.cancelThrows);
        EXPECT_EQ(download_->cancels, c.yes && c.page == 2 ? 1 : 0);
        EXPECT_EQ(finish_->cancels, c.yes && c.page == 3 ? 1 : 0);
        EXPECT_EQ(errors_.size(), c.cancelThrows ? 1u : 0u);
        ExpectShown(1, 0, kQuestion, 36);
        if (c.downloadBusy) {
            // The stopped transfer closes the window itself, without a second question.
            form.CloseWithoutPrompt();
            EXPECT_TRUE(form.Closed());
            ExpectShown(2, 1, kNotice, 64);
        }
    }
}

TEST_F(MainFormTest, BeendenCoversWeiterDisablesAbbrechenAndClosesWithTheNotice) {
    MainForm& form = FormOnPage(1);
    form.EnableButtonBeenden();
    EXPECT_FALSE(::IsWindowEnabled(form.buttonAbbrechen.hwnd()));
    RECT r;
    ::GetWindowRect(form.buttonWeiter.hwnd(), &r);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ScreenToClient(form.hwnd(), &centre);
    EXPECT_EQ(::ChildWindowFromPointEx(form.hwnd(), centre, CWP_SKIPINVISIBLE),
              form.buttonBeenden.hwnd());
    Press(form.buttonBeenden);
    ExpectShown(1, 0, kNotice, 64);
    EXPECT_TRUE(form.Closed());
}

}  // namespace
