#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>

#include "FakeShell.h"
#include "FakeUi.h"
#include "FakeWizardHost.h"
#include "FixedOsInfo.h"
#include "ScriptedTransferControl.h"
#include "TempFolder.h"
#include "download/DownloadProgram.h"
#include "download/DownloadTexts.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"

namespace {

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

// Public, so that the cases of the tables below can set up their roads.
class DownloadProgramTest : public ::testing::Test {
public:
    DownloadProgramTest() {
        tmp.WriteLines("start/settings.ini",
                       {L"[GetFileSize]", L"URL= http://127.0.0.1/size ", L"", L"[ProgramFile]",
                        L"URL=http://127.0.0.1/zelbar/ZelbarSetup11.exe"});
        std::filesystem::create_directories(tmp.Native("Zelbar"));
        view.pfad = tmp / L"Zelbar";
        host.zelbarPath = view.pfad + L"\\";
        ui.onDoEvents = [this] {
            if (onYield) onYield();
            control.DeliverPending();
        };
        // The extractor's work: one file into the folder after -d.
        shell.onWaitedRun = [this](const std::wstring&) {
            tmp.WriteBytes(Temp("ZelbarProg.mdb"), "mdb");
        };
    }

    void Serve(std::size_t size) {
        control.reply = std::to_wstring(size);
        control.body = std::string(size, 'z');
    }
    static std::string Temp(const std::string& name = "") {
        return "Zelbar/temp_2024_3_9-1457" + (name.empty() ? "" : "/" + name);
    }
    // The failure ending: the download can be tried again, nothing shows progress.
    void ExpectFailureEnding() {
        EXPECT_TRUE(view.downloadEnabled);
        EXPECT_FALSE(view.folderEnabled);
        EXPECT_EQ(view.filename, L"");
        EXPECT_EQ(view.filesize, L"");
        ASSERT_FALSE(view.progress.empty());
        EXPECT_EQ(view.progress.back(), 0);
        EXPECT_EQ(host.weiterEnabled, 0);
        EXPECT_TRUE(host.cancelEnabled);
    }
    // "Abbrechen" as the wizard presses it, once; keeps what the page reported then.
    void PressCancel() {
        if (cancelResult) return;
        busyAtCancel = {program.Downloading(), program.Working()};
        messagesAtCancel = ui.messages.size();
        cancelResult = program.Cancel();
    }

    TempFolder tmp;
    FakeUi ui{tmp / L"start"};
    PortableFileSystem fs;
    FakeShell shell;
    FixedOsInfo os;
    Platform platform{fs, shell, os, ui};
    FakeWizardHost host{fs};
    RecordingView view;
    ScriptedTransferControl control;
    DownloadProgram program{host, platform, view, control};
    std::function<void()> onYield;
    std::optional<bool> cancelResult;
    std::pair<bool, bool> busyAtCancel;
    std::size_t messagesAtCancel = 0;
};

TEST_F(DownloadProgramTest, AttemptUnpacksBesideTheDataCopyAndTheSettingsCopy) {
    tmp.WriteBytes("Zelbar/ZelbarData.mdb", "daten");
    Serve(8192);
    std::vector<std::wstring> namesShown;
    view.onProgress = [&] { namesShown.push_back(view.filename); };

    program.buttonDownload_Click();

    EXPECT_EQ(control.openedUrls,
              std::vector<std::wstring>{
                  L"http://127.0.0.1/size?filename=http://127.0.0.1/zelbar/ZelbarSetup11.exe"});
    EXPECT_EQ(host.tempFolder, L"temp_2024_3_9-1457\\");
    EXPECT_EQ(view.progress, (std::vector<short>{50, 100, 100}));
    EXPECT_EQ(namesShown, std::vector<std::wstring>(3, L"ZelbarSetup11.exe"));
    EXPECT_EQ(view.filesizeLines,
              (std::vector<std::wstring>{L"4 KB von 8 KB", L"8 KB von 8 KB", L"8 KB von 8 KB",
                                         DownloadTexts::kAllDownloaded, DownloadTexts::kUnpacking,
                                         DownloadTexts::kDone}));
    const std::wstring temp = tmp / L"Zelbar\\temp_2024_3_9-1457";
    EXPECT_EQ(shell.runCommands,
              std::vector<std::wstring>{L"\"" + temp + L"\\ZelbarSetup11.exe\" -o -q -d \"" + temp +
                                        L"\""});
    EXPECT_EQ(shell.waitedRunStyle, WindowStyle::Hidden);
    EXPECT_EQ(tmp.ReadBytes(Temp("ZelbarData_2024_3_9-1457.mdb")), "daten");
    EXPECT_EQ(tmp.ReadBytes("Zelbar/ZelbarData.mdb"), "daten");
    EXPECT_EQ(tmp.ReadBytes(Temp("settings.ini")), tmp.ReadBytes("start/settings.ini"));
    EXPECT_FALSE(tmp.Exists(Temp("ZelbarSetup11.exe")));
    EXPECT_EQ(ui.sleptMilliseconds, 2000u);
    EXPECT_EQ(view.filename, L"");
    EXPECT_EQ(host.weiterEnabled, 1);
    EXPECT_TRUE(host.cancelEnabled);
    EXPECT_FALSE(view.downloadEnabled);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DownloadProgramTest, MissingFolderOrAddressEndsWithoutAnyRequest) {
    view.pfad = tmp / L"weg";
    program.buttonDownload_Click();
    EXPECT_EQ(ui.LastMessage(), DownloadTexts::FolderMissing(tmp / L"weg"));
    EXPECT_TRUE(view.folderEnabled);
    EXPECT_TRUE(view.downloadEnabled);

    view.pfad = tmp / L"Zelbar";
    tmp.WriteLines("start/settings.ini", {L"[GetFileSize]", L"URL=  ", L"", L"[ProgramFile]",
                                          L"URL=http://127.0.0.1/zelbar/ZelbarSetup11.exe"});
    ui.messages.clear();
    program.buttonDownload_Click();
    EXPECT_TRUE(ui.messages.empty());
    ExpectFailureEnding();

    // /proc takes no new folder, not even from root.
    std::filesystem::create_directory_symlink("/proc", tmp.Native("proc"));
    view.pfad = tmp / L"proc";
    program.buttonDownload_Click();
    EXPECT_EQ(ui.LastMessage().rfind(DownloadTexts::TempFolderFailed(view.pfad, L""), 0), 0u);
    EXPECT_TRUE(view.folderEnabled);
    view.pfad = tmp / L"Zelbar";

    // Addresses that name no file the archive could be saved under.
    for (const std::wstring name : {L"", L"..", L"a\\b.exe", L"c:setup.exe"}) {
        const std::wstring url = L"http://127.0.0.1/zelbar/" + name;
        tmp.WriteLines("start/settings.ini", {L"[GetFileSize]", L"URL=http://127.0.0.1/size", L"",
                                              L"[ProgramFile]", L"URL=" + url});
        program.buttonDownload_Click();
        EXPECT_EQ(ui.LastMessage(), DownloadTexts::NoFileName(url));
    }
    EXPECT_TRUE(control.openedUrls.empty());

    // An unreadable settings file goes to the window, which names the error.
    std::filesystem::remove(tmp.Native("start/settings.ini"));
    EXPECT_THROW(program.buttonDownload_Click(), PlatformError);
    EXPECT_TRUE(view.downloadEnabled);
}

TEST_F(DownloadProgramTest, ChosenFolderIsStoredWithItsBackslash) {
    view.pfad = L"D:\\Zelbar";
    program.Show();
    EXPECT_EQ(host.zelbarPath, L"D:\\Zelbar\\");

    view.chooserResult = L"D:\\Programs";
    view.downloadEnabled = false;
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

struct Failure {
    const char* name;
    std::function<void(DownloadProgramTest&)> fault;
    std::wstring message;  // the text shown, up to the error's own detail
    unsigned style;
    std::size_t downloads;  // download requests sent
    std::size_t unpacks;    // archive programs run
};

class FailedAttemptTest : public DownloadProgramTest,
                          public ::testing::WithParamInterface<Failure> {};

TEST_P(FailedAttemptTest, TellsTheUserAndCanBeTriedAgain) {
    Serve(10000);
    GetParam().fault(*this);

    program.buttonDownload_Click();

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.substr(0, GetParam().message.size()), GetParam().message);
    EXPECT_EQ(ui.messages[0].style, GetParam().style);
    ExpectFailureEnding();
    EXPECT_EQ(control.executedUrls.size(), GetParam().downloads);
    EXPECT_EQ(shell.runCommands.size(), GetParam().unpacks);
}

const std::wstring kError = DownloadTexts::kDownloadError;

INSTANTIATE_TEST_SUITE_P(
    EveryWay, FailedAttemptTest,
    ::testing::Values(
        Failure{"SizeRefused", [](auto& t) { t.control.reply = L"404"; }, kError, MsgOkOnly, 0, 0},
        Failure{"LengthDiffers", [](auto& t) { t.control.body.resize(9999); }, kError, MsgOkOnly, 1,
                0},
        Failure{"BrokenMidBody", [](auto& t) { t.control.failAfter = 5000; }, kError, MsgOkOnly, 1,
                0},
        Failure{"ArchiveCannotBeWritten",
                [](auto& t) {
                    t.onYield = [&t] { std::filesystem::remove_all(t.tmp.Native(t.Temp())); };
                },
                DownloadTexts::DownloadBroken(L""), MsgCritical, 1, 0},
        Failure{"SettingsCannotBeCopied",
                [](auto& t) {
                    t.onYield = [&t] {
                        std::filesystem::create_directories(t.tmp.Native(t.Temp("settings.ini")));
                    };
                },
                DownloadTexts::PrepareFailed(L""), MsgCritical, 1, 0},
        Failure{"ArchiveProgramNotStarted", [](auto& t) { t.shell.waitedRunFails = true; },
                DownloadTexts::UnpackNotStarted(L""), MsgCritical, 1, 1},
        Failure{"ArchiveProgramFailed", [](auto& t) { t.shell.waitedExitCode = 2; },
                DownloadTexts::UnpackFailed(2), MsgCritical, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct CancelRoad {
    const char* name;
    // What the user does, with the press of "Abbrechen" armed at its phase.
    std::function<void(DownloadProgramTest&)> road;
    bool downloading, working;  // what the page reports when "Abbrechen" is pressed
    bool result;                // true: stay open for now
    bool folderKept;
    int closes;  // the page closes the wizard itself, without asking
    bool downloadButton;
    int weiter;
};

class CancelTest : public DownloadProgramTest, public ::testing::WithParamInterface<CancelRoad> {};

TEST_P(CancelTest, EndsAsTheUserExpects) {
    const CancelRoad& c = GetParam();
    Serve(100);
    c.road(*this);

    ASSERT_TRUE(cancelResult.has_value());
    EXPECT_EQ(busyAtCancel, std::make_pair(c.downloading, c.working));
    EXPECT_EQ(*cancelResult, c.result);
    EXPECT_EQ(tmp.Exists(Temp()), c.folderKept);
    EXPECT_EQ(host.closeWithoutPromptCalls, c.closes);
    EXPECT_EQ(view.downloadEnabled, c.downloadButton);
    EXPECT_EQ(host.weiterEnabled, c.weiter);
    // A wizard already gone gets no Cancel button back.
    EXPECT_EQ(host.cancelEnabled, host.visible);
    // Leaving is never reported as an error.
    EXPECT_EQ(ui.messages.size(), messagesAtCancel);

    // Once the attempt has ended, "Abbrechen" always lets the wizard close.
    EXPECT_FALSE(program.Cancel());
    EXPECT_FALSE(tmp.Exists(Temp()));
    EXPECT_EQ(host.closeWithoutPromptCalls, c.closes);
}

INSTANTIATE_TEST_SUITE_P(
    EveryPhase, CancelTest,
    ::testing::Values(
        CancelRoad{"NothingStarted", [](auto& t) { t.PressCancel(); }, false, false, false, false,
                   0, true, 0},
        CancelRoad{"FolderChosen",
                   [](auto& t) {
                       t.view.chooserResult = t.tmp / L"Zelbar";
                       t.program.buttonOrdnerAuswaehlen_Click();
                       t.PressCancel();
                   },
                   false, false, false, false, 0, true, 0},
        // The control serves the window's messages while it waits for the answer.
        CancelRoad{"SizeQueryAwaitingItsAnswer",
                   [](auto& t) {
                       t.control.whileWaitingForText = [&t] { t.PressCancel(); };
                       t.program.buttonDownload_Click();
                       EXPECT_TRUE(t.control.executedUrls.empty());
                   },
                   true, false, true, false, 1, false, 0},
        CancelRoad{"SizeQueryAnsweredButStillRunning",
                   [](auto& t) {
                       t.control.busyPassesAfterOpenUrl = 3;
                       t.onYield = [&t] { t.PressCancel(); };
                       t.program.buttonDownload_Click();
                       EXPECT_TRUE(t.control.executedUrls.empty());
                   },
                   true, false, true, false, 1, false, 0},
        // The request is abandoned at once, and the page says nothing more.
        CancelRoad{"DownloadBeforeItsFirstData",
                   [](auto& t) {
                       t.onYield = [&t] {
                           if (!t.control.executedUrls.empty()) t.PressCancel();
                       };
                       t.program.buttonDownload_Click();
                       EXPECT_TRUE(t.view.progress.empty());
                       EXPECT_EQ(t.control.cancelCalls, 1);
                   },
                   false, false, false, false, 0, false, 0},
        CancelRoad{"DownloadWhileItsBodyArrives",
                   [](auto& t) {
                       t.Serve(40000);
                       t.view.onProgress = [&t] {
                           if (t.view.progress.size() == 2) t.PressCancel();
                       };
                       t.program.buttonDownload_Click();
                       EXPECT_EQ(t.view.progress.size(), 2u);
                       EXPECT_EQ(t.control.cancelCalls, 1);
                       EXPECT_TRUE(t.shell.runCommands.empty());
                   },
                   true, false, true, false, 1, false, 0},
        // A window that fails while the transfer stops: the error still reaches the
        // wizard, but the page does not offer another attempt.
        CancelRoad{"ViewFailsWhileTheTransferStops",
                   [](auto& t) {
                       t.Serve(40000);
                       t.view.onProgress = [&t] {
                           t.PressCancel();
                           throw std::runtime_error("Fenster weg");
                       };
                       EXPECT_THROW(t.program.buttonDownload_Click(), std::runtime_error);
                   },
                   true, false, true, true, 0, false, 0},
        // The rest of the install step is skipped; the wizard stays until the next press.
        CancelRoad{"Unpacking",
                   [](auto& t) {
                       t.shell.onWaitedRun = [&t](const std::wstring&) {
                           t.PressCancel();
                           t.host.visible = false;
                       };
                       t.program.buttonDownload_Click();
                       EXPECT_TRUE(t.tmp.Exists(t.Temp("ZelbarSetup11.exe")));
                       EXPECT_NE(t.view.filesize, DownloadTexts::kDone);
                   },
                   false, true, true, true, 0, false, 0},
        CancelRoad{"AfterSuccess",
                   [](auto& t) {
                       t.program.buttonDownload_Click();
                       t.PressCancel();
                   },
                   false, false, false, false, 0, false, 1},
        CancelRoad{"AfterFailure",
                   [](auto& t) {
                       t.control.body.resize(10);
                       t.program.buttonDownload_Click();
                       t.PressCancel();
                   },
                   false, false, false, false, 0, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
