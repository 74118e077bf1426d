#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "download/DownloadPageView.h"
#include "net/Datei.h"
#include "net/TransferControl.h"
#include "net/Web.h"
#include "platform/Platform.h"
#include "settings/ini.h"
#include "wizard/WizardHost.h"

// The work of the download page: it keeps the installation folder, makes a
// fresh temporary folder for every attempt, asks the server for the size of
// the program archive, downloads it with a live progress display, runs it as
// a self-extracting archive into the temporary folder and puts the dated
// copy of the data file and the settings copy beside the unpacked files.
// Page 3 moves all of that into place.
//
// A failed download names its cause when one is known. What it leaves of the
// archive is continued by the next attempt of the same run, which moves it
// into its own temporary folder; once an attempt succeeds, the folders of the
// earlier ones go.
//
// Everything runs on the UI thread inside the download button's handler; the
// transfer's waiting loops yield, so the wizard's "Abbrechen" (and with it
// Cancel) is served while a download runs. Before the archive runs, its
// signature is checked; while its program runs, the window keeps answering.
class DownloadProgram {
public:
    static constexpr const wchar_t* kDefaultFolder = L"C:\\Zelbar";
    static constexpr const wchar_t* kDataFile = L"ZelbarData.mdb";

    DownloadProgram(WizardHost& host, const Platform& platform, DownloadPageView& view,
                    TransferControl& oInet);
    DownloadProgram(const DownloadProgram&) = delete;
    DownloadProgram& operator=(const DownloadProgram&) = delete;

    // Creating the page: the default folder exists from now on.
    void Initialize();
    // The page became visible.
    void Show();
    void buttonOrdnerAuswaehlen_Click();
    void buttonDownload_Click();

    // false: nothing was running (or only a request that had no data yet,
    // which is abandoned), the temporary folder is gone and the wizard may
    // close. true: the running work was asked to stop and the wizard stays
    // open: a stopped transfer then closes it; a stopped install step leaves
    // it open.
    bool Cancel();
    bool Downloading() const { return oWeb_.isDownloading(); }
    bool Working() const { return phase_ == Phase::Installing || phase_ == Phase::StoppingInstall; }

    // The attempt's temporary folder name ("temp_...\"), empty before the first.
    const std::wstring& TempFolderName() const { return tempFolder_; }

private:
    // Where the download button's attempt stands, and what a cancel has left of it.
    enum class Phase {
        // No attempt under way, or one that has not sent a request yet.
        Idle,
        // The size query and the download, up to the install step. Data flows
        // while oWeb_ reports Downloading.
        Transfer,
        // The install step: copies and unpacking. The window answers while the
        // archive program runs, but nothing of the page can be pressed.
        Installing,
        // Left while data flowed: the transfer stops after the chunk in hand
        // and its cancelled event closes the wizard.
        StoppingTransfer,
        // Left during the install step: it skips what is left; the wizard stays open.
        StoppingInstall,
        // Left for good: the attempt ends without a word and does not close the
        // wizard itself (it closes, or has closed, or waits for another "Abbrechen").
        Cancelled,
    };

    // The part of the archive a failed attempt left, and what identifies it.
    struct Partial {
        std::wstring path, url, validator;
        std::int64_t size = 0;
    };

    void RunAttempt();
    void DownloadProgramFile(Datei& oDatei);
    bool RoomForArchive(const Datei& oDatei, std::int64_t resumable);
    std::int64_t ResumableBytes(const Datei& oDatei) const;
    std::wstring MovePartial(const Datei& oDatei);
    bool KeepPartial(const Datei& oDatei);
    std::wstring CauseOfFailedDownload(const Datei& oDatei, std::int64_t startBytes);
    bool SizeDisagrees(const Datei& oDatei, bool webPage, bool bodyBegun) const;
    bool FreeSpaceBelow(const std::wstring& folder, std::int64_t bytes);
    void RemoveEarlierFolders();
    void LeaveFolders();
    std::wstring SizeText(std::int64_t bytes) const;
    void oWeb_StateChanged(Datei& oDatei);
    void oWeb_Cancelled();
    void InstallProgramFiles(Datei& oDatei);
    bool Unpack(const Datei& oDatei);
    void Discard(const std::wstring& archive);
    void FailureEnding();
    void FailWith(const std::wstring& text, unsigned style);
    // Whether the user asked to leave; the sequence then ends without a word.
    bool Abandoned() const {
        return phase_ == Phase::StoppingTransfer || phase_ == Phase::StoppingInstall ||
               phase_ == Phase::Cancelled;
    }

    WizardHost& host_;
    const Platform& platform_;
    DownloadPageView& view_;
    TransferControl& oInet_;
    ini settings_;
    Web oWeb_;
    std::wstring decimalSeparator_;
    std::wstring tempFolder_;
    // The running or last attempt's temporary folder, full path.
    std::wstring attemptFolder_;
    // Folders of this run's earlier attempts; nothing else of the disk is ours to remove.
    std::vector<std::wstring> earlierFolders_;
    std::optional<Partial> partial_;
    Phase phase_ = Phase::Idle;
};
