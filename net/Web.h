#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "net/Datei.h"
#include "net/TransferControl.h"
#include "platform/FileSystem.h"
#include "ui/Ui.h"

// The wizard's HTTP client: fetches a text, asks the product's server for the
// size of a file, and downloads a file chunk by chunk into a Datei record with
// a StateChanged event after every chunk. Everything runs on the UI thread:
// the operations wait in loops that yield, and the transfer control's states
// arrive during those yields.
class Web {
public:
    // Size of the pieces the body is read in; one yield and one StateChanged each.
    static constexpr std::size_t kChunkSize = 4096;

    Web(Ui& ui, FileSystem& fs);
    ~Web();
    Web(const Web&) = delete;
    Web& operator=(const Web&) = delete;

    // Raised after every chunk of a download has been written.
    std::function<void(Datei& oDatei)> StateChanged;
    // Raised when a transfer notices that CancelDownload was called.
    std::function<void()> cancelled;

    // The control the object drives; must be set before the first transfer.
    // The object installs itself as the control's state handler.
    void Inet(TransferControl& control);

    // true when a usable text arrived, and after a cancellation.
    bool GetFile(const std::wstring& url, std::wstring& strResult);
    // true when the size was stored in oDatei's Filesize, and after a cancellation.
    bool GetFilesize(const std::wstring& urlGetFilesize, Datei& oDatei);
    // true when the download counts as complete (and after a cancellation,
    // unless the control reported an error). An error raised while writing
    // the file or by an event handler ends the transfer and is thrown here.
    // With the validator of an earlier download of the same file, the file
    // already at PfadLokal is continued instead of written anew.
    bool DownloadFile(Datei& oDatei, const std::wstring& resumeValidator = std::wstring());
    // The error number of the last request that failed (the control's, or
    // kErrorHttpStatusBase + status), 0 when it failed without one or did not fail.
    std::uint32_t LastError() const { return lastError_; }
    // Whether the control reported an error during the last download; a
    // download that failed without one ended with a body the server finished.
    bool Failed() const { return failed_; }
    // The validator of the release whose bytes the last download left in its
    // file; empty when no reply named one, or nothing is known of the bytes.
    const std::wstring& WrittenValidator() const { return writtenValidator_; }

    // While a text request waits for its answer and while a body is being read.
    bool isDownloading() const {
        return phase_ == Phase::TextRequest || phase_ == Phase::ReadingBody;
    }
    // Only sets the cancelled flag, which is never cleared; running loops read it.
    void CancelDownload() { cancelled_ = true; }

private:
    enum class Phase {
        Idle,
        // GetFile or GetFilesize waits for its text.
        TextRequest,
        // DownloadFile has sent its request; no state 12 yet.
        AwaitingResponse,
        // State 12 arrived: the output file is open and the body is read chunk by chunk.
        ReadingBody,
        // The body was read to its end, to a cancel or to an error; the
        // request's last state may still follow.
        BodyEnded,
    };

    void Control_StateChanged(int state);
    void ReadBody();
    void ReadChunks();
    std::wstring Request(const std::wstring& url);
    std::wstring AskForText(const std::wstring& url);
    void WaitWhileExecuting(bool raiseCancelled);
    bool BodyComplete(const Datei& oDatei) const;
    void RaiseCancelled();

    Ui& ui_;
    FileSystem& fs_;
    TransferControl* oInet_ = nullptr;
    Datei* currentFile_ = nullptr;
    Phase phase_ = Phase::Idle;
    // The control reported an error during the download. It only decides a
    // cancelled download: otherwise the file's length has the last word.
    bool failed_ = false;
    // The running download continues the file on disk.
    bool resuming_ = false;
    std::wstring writtenValidator_;
    std::uint32_t lastError_ = 0;
    // The user's request to stop; it outlasts the transfer it stopped, so that
    // whatever request the page still sends ends as cancelled too.
    bool cancelled_ = false;
    // An error raised inside the state handler, handed to DownloadFile's caller.
    std::exception_ptr handlerError_;
};
