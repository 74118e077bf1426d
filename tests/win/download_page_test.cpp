// Page 2 under Wine, in the real wizard window: the real WinINet download of the
// fixture archive from tests/fixtures/server.py, its real unpack, and "Abbrechen"
// while the real transfer runs. What the page decides is tested on the host, the
// transfer control's faults in transfer_control_test.
#include <gtest/gtest.h>

#include "TempFolder.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm_win.h"
#include "download/DownloadTexts.h"
#include "download/UserControlDownloadProgram_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/OsInfo_win.h"
#include "platform/Shell_win.h"
#include "platform/Text.h"
#include "platform/TransferControl_win.h"
#include "support/BlankPage_win.h"
#include "support/HttpTestServer.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

class DownloadPageTest : public ::testing::Test {
protected:
    void TearDown() override {
        form_.reset();
        Window::SetErrorReporter(nullptr);
    }

    // The wizard on page 2, with this test's installation folder and program address.
    MainForm& Page2(const std::wstring& programPath) {
        ::CreateDirectoryW((temp / L"start").c_str(), nullptr);
        ::CreateDirectoryW(zelbar.c_str(), nullptr);
        ui.startFolder = temp / L"start";
        ui.now = {2026, 12, 5, 10, 9, 20};  // the stamp of the temporary folder
        WriteBytes(temp / L"start\\settings.ini",
                   Text::EncodeCp1252(L"[SupportedAccessVersions]\r\nAccess.Application.11=Access "
                                      L"2003\r\n\r\n[GetFileSize]\r\nURL=" +
                                      server.Url(L"/size") + L"\r\n\r\n[ProgramFile]\r\nURL=" +
                                      server.Url(programPath) + L"\r\n"));
        Window::SetErrorReporter(
            [this](HWND, const std::wstring& text) { errors.push_back(text); });
        form_ = std::make_unique<MainForm>(platform, [this](MainForm& form) {
            WizardPages pages;
            pages.startPage =
                std::make_unique<BlankStartPage>(form.hwnd(), MainForm::kStartPageRect, true);
            auto page = std::make_unique<UserControlDownloadProgram>(
                form.hwnd(), MainForm::kDownloadPageRect, form, form.platform(), oInet);
            page_ = page.get();
            pages.downloadPage = std::move(page);
            pages.finishPage =
                std::make_unique<BlankFinishPage>(form.hwnd(), MainForm::kFinishPageRect, form);
            return pages;
        });
        form_->SetQuitOnClose(false);
        form_->Load();
        form_->Show();
        page_->SetLabelPfad(zelbar);
        form_->EnableButtonWeiter();
        Press(form_->buttonWeiter);
        return *form_;
    }
    void Press(const Control& control) {
        ::SendMessageW(control.hwnd(), BM_CLICK, 0, 0);
        PumpPendingMessages();
    }
    std::wstring Filesize() const { return page_->LabelFilesize.Caption(); }

    HttpTestServer server{std::string(ZELBAR_BINARY_DIR) + "/tests/fixtures/extractor"};
    TempFolder temp;
    std::wstring zelbar = temp / L"Zelbar";
    WinFileSystem fs;
    WinShell shell;
    WmiOsInfo os;
    PumpingFakeUi ui;
    Platform platform{fs, shell, os, ui};
    WinInetTransferControl oInet;
    std::unique_ptr<MainForm> form_;
    UserControlDownloadProgram* page_ = nullptr;
    std::vector<std::wstring> errors;
};

TEST_F(DownloadPageTest, RealDownloadAndUnpackOfTheArchiveLeadOn) {
    MainForm& form = Page2(L"/files/demo_archive.exe");
    SaveScreenshot(form.hwnd(), L"page2-before");
    std::wstring sizeLine;
    bool shotDuring = false;
    ui.onDoEvents = [&] {
        if (page_->Downloading()) sizeLine = Filesize();
        if (shotDuring || page_->ProgressBar1().value() < 50) return;
        shotDuring = true;
        SaveScreenshot(form.hwnd(), L"page2-during");
    };
    Press(page_->buttonDownload);
    ui.onDoEvents = nullptr;
    SaveScreenshot(form.hwnd(), L"page2-after");

    EXPECT_TRUE(ui.messages.empty()) << Narrow(ui.messages.empty() ? L"" : ui.messages[0].text);
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(shotDuring);
    // The last size line of the transfer counts up to the size the server announced.
    const auto von = sizeLine.find(L" von ");
    ASSERT_NE(von, std::wstring::npos) << Narrow(sizeLine);
    EXPECT_EQ(sizeLine.substr(0, von), sizeLine.substr(von + 5));
    const std::wstring unpacked = zelbar + L"\\temp_2026_12_5-10920\\";
    EXPECT_TRUE(PathExists(unpacked + L"ZelbarProg.mdb"));
    EXPECT_TRUE(PathExists(unpacked + L"Vorlagen\\Briefe\\Brief.txt"));
    EXPECT_FALSE(PathExists(unpacked + L"demo_archive.exe"));
    EXPECT_EQ(Filesize(), DownloadTexts::kDone);
    EXPECT_TRUE(form.buttonWeiter.Enabled());
}

TEST_F(DownloadPageTest, AbbrechenDuringTheTransferClosesOnceTheTransferHasStopped) {
    // 2 MB at 64 KB a second: the transfer is surely still running when we cancel.
    MainForm& form = Page2(L"/drip/2000000/65536/ZelbarSetup11.exe");
    bool asked = false;
    ui.onDoEvents = [&] {
        if (asked || page_->ProgressBar1().value() < 1) return;
        asked = true;
        ui.msgBoxAnswers = {MsgBoxResult::Yes, MsgBoxResult::Ok};
        Press(form.buttonAbbrechen);
        EXPECT_FALSE(form.Closed());
    };
    Press(page_->buttonDownload);
    ui.onDoEvents = nullptr;

    EXPECT_TRUE(asked);
    EXPECT_TRUE(form.Closed());
    ASSERT_EQ(ui.messages.size(), 2u);  // the question, then the notice
    EXPECT_EQ(ui.messages[1].style, MsgInformation);
    EXPECT_FALSE(PathExists(zelbar + L"\\temp_2026_12_5-10920"));
    EXPECT_TRUE(errors.empty());
}

}  // namespace
