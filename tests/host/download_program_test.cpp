// The download page's work on real folders, with a scripted transfer control
// and a shell that records the unpack command: the road of a successful
// attempt, each way an attempt fails, and cancelling in each phase.
#include "download/DownloadProgram.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "FakeShell.h"
#include "FakeUi.h"
#include "FakeWizardHost.h"
#include "ScriptedTransferControl.h"
#include "TempFolder.h"
#include "download/DownloadTexts.h"
#include "platform/PortableFileSystem.h"

namespace {

class NoOsInfo : public OsInfo {
public:
    std::wstring OperatingSystemVersion() override { return L"10.0.19045"; }
};

class RecordingView : public DownloadPageView {
public:
    std::wstring pfad, filename, filesize;
    std::vector<short> progress;
    std::vector<std::wstring> filesizeLines;
    bool folderEnabled = true, downloadEnabled = true;
    std::wstring chooserResult;
    std::function<void()> onProgress;

    std::wstring LabelPfad() const override { return pfad; }
    void SetLabelPfad(const std::wstring& text) override { pfad = text; }
    void SetLabelFilename(const std::wstring& text) override { filename = text; }
    void SetLabelFilesize(const std::wstring& text) override {
        filesize = text;
        filesizeLines.push_back(text);
    }
    void SetProgress(short value) override {
        progress.push_back(value);
        if (onProgress) onProgress();
    }
    void EnableFolderButton(bool enable) override { folderEnabled = enable; }
    void EnableDownloadButton(bool enable) override { downloadEnabled = enable; }
    std::wstring ChooseFolder() override { return chooserResult; }
};

class DownloadProgramTest : public ::testing::Test {
protected:
    DownloadProgramTest() {
        tmp.WriteLines("start/settings.ini",
                       {L"[GetFileSize]", L"URL= http://127.0.0.1/size ", L"", L"[ProgramFile]",
                        L"URL=http://127.0.0.1/zelbar/ZelbarSetup11.exe"});
        std::filesystem::create_directories(tmp.Native("Zelbar"));
        view.pfad = tmp.Program(L"Zelbar");
        host.zelbarPath = view.pfad + L"\\";
        ui.onDoEvents = [this] {
            if (onYield) onYield();
            control.DeliverPending();
        };
        // The extractor's work: one file into the folder after -d.
        shell.onWaitedRun = [this](const std::wstring&) {
            tmp.WriteBytes("Zelbar/temp_2024_3_9-1457/ZelbarProg.mdb", "mdb");
        };
        ui.now = {2024, 3, 9, 14, 5, 7};
    }

    void Serve(std::size_t size) {
        control.reply = std::to_wstring(size);
        control.body = std::string(size, 'z');
    }
    std::string Temp(const std::string& name = "") const {
        return "Zelbar/temp_2024_3_9-1457" + (name.empty() ? "" : "/" + name);
    }
    // The failure ending: the download can be tried again, nothing shows progress.
    void ExpectFailureEnding() {
        EXPECT_TRUE(view.downloadEnabled);
        EXPECT_EQ(view.filesize, L"");
        ASSERT_FALSE(view.progress.empty());
        EXPECT_EQ(view.progress.back(), 0);
        EXPECT_EQ(host.weiterEnabled, 0);
    }

    TempFolder tmp;
    FakeUi ui{tmp.Program(L"start")};
    PortableFileSystem fs;
    FakeShell shell;
    NoOsInfo os;
    Platform platform{fs, shell, os, ui};
    FakeWizardHost host{fs};
    RecordingView view;
    ScriptedTransferControl control;
    DownloadProgram program{host, platform, view, control};
    std::function<void()> onYield;
};

TEST_F(DownloadProgramTest, AttemptUnpacksBesideTheDataCopyAndTheSettingsCopy) {
    tmp.WriteBytes("Zelbar/ZelbarData.mdb", "daten");
    Serve(8192);

    program.buttonDownload_Click();

    EXPECT_EQ(control.openedUrls,
              std::vector<std::wstring>{
                  L"http://127.0.0.1/size?filename=http://127.0.0.1/zelbar/ZelbarSetup11.exe"});
    EXPECT_EQ(host.tempFolder, L"temp_2024_3_9-1457\\");
    EXPECT_EQ(view.progress, (std::vector<short>{50, 100, 100}));
    EXPECT_EQ(view.filesizeLines,
              (std::vector<std::wstring>{L"4 KB von 8 KB", L"8 KB von 8 KB", L"8 KB von 8 KB",
                                         DownloadTexts::kAllDownloaded, DownloadTexts::kUnpacking,
                                         DownloadTexts::kDone}));
    const std::wstring temp = tmp.Program(L"Zelbar\\temp_2024_3_9-1457");
    ASSERT_EQ(shell.runCommands.size(), 1u);
    EXPECT_EQ(shell.runCommands[0],
              L"\"" + temp + L"\\ZelbarSetup11.exe\" -o -q -d \"" + temp + L"\"");
    EXPECT_EQ(tmp.ReadBytes(Temp("ZelbarData_2024_3_9-1457.mdb")), "daten");
    EXPECT_EQ(tmp.ReadBytes("Zelbar/ZelbarData.mdb"), "daten");
    EXPECT_EQ(tmp.ReadBytes(Temp("settings.ini")), tmp.ReadBytes("start/settings.ini"));
    EXPECT_FALSE(tmp.Exists(Temp("ZelbarSetup11.exe")));
    EXPECT_EQ(ui.sleptMilliseconds, 2000u);
    EXPECT_EQ(view.filename, L"");
    EXPECT_EQ(host.weiterEnabled, 1);
    EXPECT_TRUE(host.cancelEnabled);
    EXPECT_FALSE(view.folderEnabled);
    EXPECT_FALSE(view.downloadEnabled);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(program.Working());
}

TEST_F(DownloadProgramTest, SecondAttemptInTheSameSecondGetsAFolderOfItsOwn) {
    Serve(10);
    control.body = "kurz";  // the first attempt fails its length check
    program.buttonDownload_Click();
    ASSERT_EQ(host.tempFolder, L"temp_2024_3_9-1457\\");

    Serve(10);
    shell.onWaitedRun = nullptr;
    program.buttonDownload_Click();
    EXPECT_EQ(host.tempFolder, L"temp_2024_3_9-1457_2\\");
    EXPECT_TRUE(tmp.Exists("Zelbar/temp_2024_3_9-1457_2/settings.ini"));
    EXPECT_EQ(host.weiterEnabled, 1);
}

TEST_F(DownloadProgramTest, SizeReplyIsASizeEvenWith404InsideButNotTheBare404) {
    Serve(14048);
    program.buttonDownload_Click();
    EXPECT_EQ(host.weiterEnabled, 1);
    EXPECT_TRUE(ui.messages.empty());

    control.reply = L"404";
    program.buttonDownload_Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, DownloadTexts::kDownloadError);
    EXPECT_EQ(ui.messages[0].style, MsgOkOnly);
    EXPECT_EQ(control.executedUrls.size(), 1u);
}

TEST_F(DownloadProgramTest, FailedTransfersTellTheUserAndCanBeTriedAgain) {
    struct Case {
        const char* name;
        std::function<void(ScriptedTransferControl&)> fault;
    };
    const Case cases[] = {
        {"length differs", [](ScriptedTransferControl& c) { c.body.resize(100); }},
        {"error status", [](ScriptedTransferControl& c) { c.failBeforeResponse = true; }},
        {"no response", [](ScriptedTransferControl& c) { c.endWithoutResponse = true; }},
        {"broken mid-body", [](ScriptedTransferControl& c) { c.failAfter = 5000; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedTransferControl fresh;
        DownloadProgram attempt{host, platform, view, fresh};
        ui.onDoEvents = [&fresh] { fresh.DeliverPending(); };
        ui.messages.clear();
        fresh.reply = L"10000";
        fresh.body = std::string(10000, 'z');
        c.fault(fresh);

        attempt.buttonDownload_Click();

        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, DownloadTexts::kDownloadError);
        ExpectFailureEnding();
        EXPECT_FALSE(view.folderEnabled);
        EXPECT_TRUE(shell.runCommands.empty());
    }
}

TEST_F(DownloadProgramTest, UnpackFailureIsNotReportedAsDone) {
    Serve(100);
    shell.waitedExitCode = 1;  // a warning: the files are there
    program.buttonDownload_Click();
    EXPECT_EQ(host.weiterEnabled, 1);

    shell.waitedExitCode = 2;
    program.buttonDownload_Click();
    EXPECT_EQ(ui.LastMessage(), DownloadTexts::UnpackFailed(2));
    EXPECT_EQ(host.weiterEnabled, 1);
    EXPECT_TRUE(view.downloadEnabled);
    EXPECT_TRUE(host.cancelEnabled);

    shell.waitedExitCode = 0;
    shell.waitedRunFails = true;
    program.buttonDownload_Click();
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_NE(ui.LastMessage().find(L"konnten nicht entpackt werden"), std::wstring::npos);
    EXPECT_EQ(host.weiterEnabled, 1);
    EXPECT_NE(view.filesize, DownloadTexts::kDone);
}

TEST_F(DownloadProgramTest, MissingFolderOrAddressEndsWithoutAnyRequest) {
    view.pfad = tmp.Program(L"weg");
    program.buttonDownload_Click();
    EXPECT_EQ(ui.LastMessage(), DownloadTexts::FolderMissing(tmp.Program(L"weg")));
    EXPECT_TRUE(view.folderEnabled);
    EXPECT_TRUE(view.downloadEnabled);

    view.pfad = tmp.Program(L"Zelbar");
    tmp.WriteLines("start/settings.ini", {L"[GetFileSize]", L"URL=  ", L"", L"[ProgramFile]",
                                          L"URL=http://127.0.0.1/zelbar/ZelbarSetup11.exe"});
    ui.messages.clear();
    program.buttonDownload_Click();
    EXPECT_TRUE(ui.messages.empty());
    ExpectFailureEnding();

    tmp.WriteLines("start/settings.ini", {L"[GetFileSize]", L"URL=http://127.0.0.1/size", L"",
                                          L"[ProgramFile]", L"URL=http://127.0.0.1/zelbar/"});
    program.buttonDownload_Click();
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(control.openedUrls.empty());
}

TEST_F(DownloadProgramTest, CancelDuringTheBodyStopsRemovesTheFolderAndClosesTheWizard) {
    Serve(40000);
    bool result = false;
    view.onProgress = [&] {
        if (view.progress.size() == 2) result = program.Cancel();
    };
    program.buttonDownload_Click();

    EXPECT_TRUE(result);
    EXPECT_EQ(host.deleteTempFolderCalls, 1);
    EXPECT_EQ(host.closeWithoutPromptCalls, 1);
    EXPECT_FALSE(tmp.Exists(Temp()));
    EXPECT_TRUE(shell.runCommands.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DownloadProgramTest, CancelDuringTheSizeQueryClosesTheWizard) {
    Serve(100);
    bool result = false;
    control.whileWaitingForText = [&] { result = program.Cancel(); };
    program.buttonDownload_Click();

    EXPECT_TRUE(result);
    EXPECT_EQ(host.closeWithoutPromptCalls, 1);
    EXPECT_FALSE(tmp.Exists(Temp()));
    EXPECT_TRUE(control.executedUrls.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DownloadProgramTest, CancelBeforeTheFirstDataLetsTheWizardCloseQuietly) {
    Serve(40000);
    bool result = true;
    bool cancelled = false;
    onYield = [&] {
        if (cancelled || control.executedUrls.empty()) return;
        cancelled = true;
        result = program.Cancel();
    };
    program.buttonDownload_Click();

    EXPECT_FALSE(result);
    EXPECT_EQ(host.deleteTempFolderCalls, 1);
    EXPECT_EQ(host.closeWithoutPromptCalls, 0);
    EXPECT_FALSE(tmp.Exists(Temp()));
    EXPECT_TRUE(view.progress.empty());
    EXPECT_TRUE(shell.runCommands.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DownloadProgramTest, IdleCancelOnlyRemovesTheTemporaryFolder) {
    EXPECT_FALSE(program.Cancel());
    EXPECT_EQ(host.deleteTempFolderCalls, 1);

    Serve(100);
    program.buttonDownload_Click();
    ASSERT_TRUE(tmp.Exists(Temp()));
    EXPECT_FALSE(program.Cancel());
    EXPECT_FALSE(tmp.Exists(Temp()));
    EXPECT_EQ(host.closeWithoutPromptCalls, 0);
}

TEST_F(DownloadProgramTest, ChosenFolderIsStoredWithItsBackslash) {
    view.chooserResult = L"D:\\";
    program.buttonOrdnerAuswaehlen_Click();
    EXPECT_EQ(host.zelbarPath, L"D:\\");
    view.chooserResult = L"D:\\Programs";
    program.buttonOrdnerAuswaehlen_Click();
    EXPECT_EQ(host.zelbarPath, L"D:\\Programs\\");
    EXPECT_EQ(view.pfad, L"D:\\Programs");
    EXPECT_TRUE(view.downloadEnabled);

    view.chooserResult.clear();
    program.buttonOrdnerAuswaehlen_Click();
    EXPECT_EQ(view.pfad, L"");
    EXPECT_FALSE(view.downloadEnabled);
    EXPECT_EQ(host.zelbarPath, L"D:\\Programs\\");
}

}  // namespace
