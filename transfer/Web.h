#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/TransferControl.h"
#include "platform/Ui.h"
#include "transfer/Datei.h"

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
    bool DownloadFile(Datei& oDatei);

    bool isDownloading() const { return downloading_; }
    // Only sets the cancelled flag, which is never cleared; running loops read it.
    void CancelDownload() { cancelled_ = true; }

private:
    void Control_StateChanged(int state);
    void ReadBody();
    void ReadChunks();
    std::wstring Request(const std::wstring& url);
    void WaitWhileExecuting(bool raiseCancelled);
    bool IsResponseError(const std::wstring& s);
    bool DownloadFailed(const Datei& oDatei) const;
    void RaiseCancelled();

    Ui& ui_;
    FileSystem& fs_;
    TransferControl* oInet_ = nullptr;
    Datei* currentFile_ = nullptr;
    bool downloading_ = false;
    bool cancelled_ = false;
    bool failed_ = false;
    // Whether the running download opened its output file (state 12 arrived).
    bool wroteFile_ = false;
    // The last text request ran out of time; IsResponseError clears it.
    bool timedOut_ = false;
    // An error raised inside the state handler, handed to DownloadFile's caller.
    std::exception_ptr handlerError_;
};
