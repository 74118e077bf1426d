// Page 2 under Wine, inside the real wizard window: downloads over the real
// WinINet control from tests/fixtures/server.py, the fixture self-extracting
// archive run hidden into the temporary folder, the server's faults, a
// damaged archive, and "Abbrechen" before, during and after a transfer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FixedOsInfo.h"
#include "app/BlankPage_win.h"
#include "app/MainForm_win.h"
#include "download/DownloadTexts.h"
#include "download/UserControlDownloadProgram_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/Shell_win.h"
#include "platform/Text.h"
#include "platform/TransferControl_win.h"
#include "support/HttpTestServer.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

const wchar_t kTemp[] = L"temp_2026_12_5-10920";
const wchar_t kArchive[] = L"ZelbarSetup11.exe";
const wchar_t kNoticeStart[] = L"Bitte starten Sie Zelbar beim 1. Mal unbedingt als Administrator:";

std::string ServedFolder() { return std::string(ZELBAR_BINARY_DIR) + "/page2-served"; }

class DownloadPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::CreateDirectoryW(WinPath(ServedFolder()).c_str(), nullptr);
        const std::string archive =
            ReadBytes(BinaryDir() + L"\\tests\\fixtures\\extractor\\demo_archive.exe");
        WriteBytes(WinPath(ServedFolder() + "/ZelbarSetup11.exe"), archive);
        // A payload cut short: the extractor must refuse it with exit code 2.
        WriteBytes(WinPath(ServedFolder() + "/Kaputt.exe"), archive.substr(0, archive.size() - 40));
        server = new HttpTestServer(ServedFolder());
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override {
        zelbar = temp / L"Zelbar";
        ::CreateDirectoryW((temp / L"start").c_str(), nullptr);
        ::CreateDirectoryW(zelbar.c_str(), nullptr);
        ui.startFolder = temp / L"start";
        ui.now = {2026, 12, 5, 10, 9, 20};  // the stamp of kTemp
        Window::SetErrorReporter(
            [this](HWND, const std::wstring& text) { errors.push_back(text); });
    }
    void TearDown() override {
        ui.onDoEvents = nullptr;
        form_.reset();
        Window::SetErrorReporter(nullptr);
    }

    void WriteSettings(const std::wstring& programPath,
                       const std::wstring& sizePath = L"/size") {
        const std::wstring text = L"[SupportedAccessVersions]\r\nAccess.Application.11=Access "
                                  L"2003\r\n\r\n[GetFileSize]\r\nURL=" +
                                  server->Url(sizePath) +
                                  L"\r\n\r\n[ProgramFile]\r\nURL=" + server->Url(programPath) +
                                  L"\r\n";
        WriteBytes(temp / L"start\\settings.ini", Text::EncodeCp1252(text));
    }

    // The wizard on page 2, with the installation folder of this test.
    MainForm& Page2() {
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
        MainForm& form = *form_;
        form.SetQuitOnClose(false);
        form.Load();
        form.Show();
        page_->SetLabelPfad(zelbar);
        form.EnableButtonWeiter();
        Press(form[L"buttonWeiter"]);
        EXPECT_TRUE(page_->Visible());
        EXPECT_EQ(form.GetZelbarPath(), zelbar + L"\\");
        return form;
    }
    void Press(const Control& control) {
        ::SendMessageW(control.hwnd(), BM_CLICK, 0, 0);
        PumpPendingMessages();
    }
    void Download() { Press((*page_)[L"buttonDownload"]); }
    std::wstring Filesize() const { return (*page_)[L"LabelFilesize"].Caption(); }
    std::wstring TempPath(const std::wstring& name = L"") const {
        return zelbar + L"\\" + kTemp + (name.empty() ? L"" : L"\\" + name);
    }
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const auto& shown : ui.messages) texts.push_back(shown.text);
        return texts;
    }
    // What a failed attempt leaves: no progress, a download button to try again.
    void ExpectFailureEnding(MainForm& form) {
        EXPECT_TRUE((*page_)[L"buttonDownload"].Enabled());
        EXPECT_FALSE((*page_)[L"buttonOrdnerAuswaehlen"].Enabled());
        EXPECT_EQ(Filesize(), L"");
        EXPECT_EQ(page_->ProgressBar1().value(), 0);
        EXPECT_FALSE(form[L"buttonWeiter"].Enabled());
    }

    static HttpTestServer* server;
    TempFolder temp;
    std::wstring zelbar;
    WinFileSystem fs;
    WinShell shell;
    FixedOsInfo os;
    // Every yield can also run the test's own step, the way a user acts while the download runs.
    PumpingFakeUi ui;
    Platform platform{fs, shell, os, ui};
    WinInetTransferControl oInet;
    std::unique_ptr<MainForm> form_;
    UserControlDownloadProgram* page_ = nullptr;
    std::vector<std::wstring> errors;
};

HttpTestServer* DownloadPageTest::server = nullptr;

TEST_F(DownloadPageTest, DownloadUnpacksTheArchiveBesideTheCopiesAndLeadsOn) {
    WriteSettings(L"/files/ZelbarSetup11.exe");
    WriteBytes(zelbar + L"\\ZelbarData.mdb", "Kundendaten");
    MainForm& form = Page2();
    SaveScreenshot(form.hwnd(), L"page2-before");

    bool shotDuring = false;
    std::vector<std::wstring> sizeLines;
    ui.onDoEvents = [&] {
        if (page_->Downloading()) sizeLines.push_back(Filesize());
        if (!shotDuring && page_->ProgressBar1().value() >= 50) {
            shotDuring = true;
            SaveScreenshot(form.hwnd(), L"page2-during");
        }
    };
    Download();
    ui.onDoEvents = nullptr;
    SaveScreenshot(form.hwnd(), L"page2-after");

    EXPECT_TRUE(Texts().empty()) << Narrow(Texts().empty() ? L"" : Texts()[0]);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(form.GetTempFolder(), std::wstring(kTemp) + L"\\");
    EXPECT_TRUE(PathExists(TempPath(L"ZelbarProg.mdb")));
    EXPECT_TRUE(PathExists(TempPath(L"Vorlagen\\Briefe\\Brief.txt")));
    EXPECT_EQ(ReadBytes(TempPath(L"ZelbarData_2026_12_5-10920.mdb")), "Kundendaten");
    EXPECT_EQ(ReadBytes(zelbar + L"\\ZelbarData.mdb"), "Kundendaten");
    EXPECT_EQ(ReadBytes(TempPath(L"settings.ini")), ReadBytes(temp / L"start\\settings.ini"));
    EXPECT_FALSE(PathExists(TempPath(kArchive)));
    EXPECT_EQ(Filesize(), DownloadTexts::kDone);
    EXPECT_EQ((*page_)[L"LabelFilename"].Caption(), L"");
    EXPECT_EQ(page_->ProgressBar1().value(), 100);
    EXPECT_TRUE(form[L"buttonWeiter"].Enabled());
    EXPECT_TRUE(form[L"buttonAbbrechen"].Enabled());
    EXPECT_FALSE((*page_)[L"buttonDownload"].Enabled());
    EXPECT_TRUE(shotDuring);
    ASSERT_FALSE(sizeLines.empty());
    EXPECT_NE(sizeLines.back().find(L" von "), std::wstring::npos) << Narrow(sizeLines.back());

    // Leaving now: nothing runs, so the temporary folder goes and the wizard closes.
    ui.msgBoxAnswers = {MsgBoxResult::Yes};
    form.Close();
    EXPECT_TRUE(form.Closed());
    EXPECT_FALSE(PathExists(TempPath()));
    EXPECT_TRUE(PathExists(zelbar + L"\\ZelbarData.mdb"));
}

TEST_F(DownloadPageTest, ServerFaultsShowTheErrorAndAllowAnotherAttempt) {
    struct Fault {
        const wchar_t* program;
        const wchar_t* size;
    };
    const Fault faults[] = {
        {L"/reset/300000/20000/ZelbarSetup11.exe", L"/size"},  // connection reset mid-body
        {L"/short/300000/20000/ZelbarSetup11.exe", L"/size"},  // server closes early
        {L"/file/30000/ZelbarSetup11.exe", L"/sizereply/20000"},  // more than announced
        {L"/file/10000/ZelbarSetup11.exe", L"/sizereply/20000"},  // less than announced
        {L"/status/500/ZelbarSetup11.exe", L"/sizereply/20000"},  // error page, status 500
        {L"/files/Fehlt.exe", L"/size"},                         // size query answers "404"
        {L"/file/1000/ZelbarSetup11.exe", L"/sizestatus/500"},   // size query fails
    };
    WriteSettings(faults[0].program);
    MainForm& form = Page2();
    for (const Fault& fault : faults) {
        SCOPED_TRACE(Narrow(fault.program));
        WriteSettings(fault.program, fault.size);
        ui.messages.clear();
        Download();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, DownloadTexts::kDownloadError);
        EXPECT_EQ(ui.messages[0].style, MsgOkOnly);
        ExpectFailureEnding(form);
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(DownloadPageTest, SizeReplyThatIsNoNumberStillDownloadsThenFailsItsCheck) {
    WriteSettings(L"/file/9000/ZelbarSetup11.exe", L"/sizereply/unbekannt");
    MainForm& form = Page2();
    std::vector<std::wstring> sizeLines;
    ui.onDoEvents = [&] {
        if (page_->Downloading()) sizeLines.push_back(Filesize());
    };
    Download();
    ui.onDoEvents = nullptr;

    ASSERT_FALSE(sizeLines.empty());
    EXPECT_EQ(sizeLines.back(), L"8,79 KB von  KB");
    EXPECT_EQ(Texts(), std::vector<std::wstring>{DownloadTexts::kDownloadError});
    ExpectFailureEnding(form);
}

TEST_F(DownloadPageTest, DamagedArchiveIsNotReportedAsDone) {
    WriteSettings(L"/files/Kaputt.exe");
    MainForm& form = Page2();
    Download();

    EXPECT_EQ(Texts(), std::vector<std::wstring>{DownloadTexts::UnpackFailed(2)});
    ExpectFailureEnding(form);
    EXPECT_TRUE(form[L"buttonAbbrechen"].Enabled());
}

TEST_F(DownloadPageTest, CancelDuringTheTransferStopsItAndClosesWithTheNotice) {
    // 2 MB at 64 KB a second: the transfer is surely still running when we cancel.
    WriteSettings(L"/drip/2000000/65536/ZelbarSetup11.exe");
    MainForm& form = Page2();
    bool asked = false;
    ui.onDoEvents = [&] {
        if (asked || page_->ProgressBar1().value() < 1) return;
        asked = true;
        ui.msgBoxAnswers = {MsgBoxResult::No};
        form.Close();
        EXPECT_FALSE(form.Closed());
        EXPECT_TRUE(page_->Downloading());
        ui.msgBoxAnswers = {MsgBoxResult::Yes, MsgBoxResult::Ok};
        form.Close();
        EXPECT_FALSE(form.Closed());  // open until the transfer has stopped
    };
    Download();
    ui.onDoEvents = nullptr;

    EXPECT_TRUE(asked);
    EXPECT_TRUE(form.Closed());
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[2].style, MsgInformation);
    EXPECT_EQ(ui.messages[2].text.rfind(kNoticeStart, 0), 0u);
    EXPECT_FALSE(PathExists(TempPath()));
    EXPECT_TRUE(errors.empty());
}

TEST_F(DownloadPageTest, CancelBeforeTheFirstDataEndsTheRequestQuietly) {
    // The size is answered at once; the download itself sends nothing for 20 s.
    WriteSettings(L"/stallhead/20/ZelbarSetup11.exe", L"/sizereply/5000");
    MainForm& form = Page2();
    bool asked = false;
    ui.onDoEvents = [&] {
        if (asked || (*page_)[L"LabelFilename"].Caption().empty()) return;
        asked = true;
        ui.msgBoxAnswers = {MsgBoxResult::Yes};
        form.Close();
    };
    const ULONGLONG started = ::GetTickCount64();
    Download();
    const ULONGLONG took = ::GetTickCount64() - started;
    ui.onDoEvents = nullptr;

    EXPECT_TRUE(asked);
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(ui.messages.size(), 1u);  // the question only: no error, no notice
    EXPECT_FALSE(PathExists(TempPath()));
    EXPECT_TRUE(errors.empty());
    // The stalled request was abandoned, not waited for.
    EXPECT_LT(took, 15000u);
}

}  // namespace
