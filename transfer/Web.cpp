#include "transfer/Web.h"

#include <utility>

#include "platform/PlatformError.h"
#include "platform/Text.h"

namespace {

bool IsWhiteSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring TrimWhiteSpace(const std::wstring& s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && IsWhiteSpace(s[begin])) ++begin;
    while (end > begin && IsWhiteSpace(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

// A reply made of decimal digits only, white space around it allowed.
bool IsPlainDecimal(const std::wstring& trimmed) {
    if (trimmed.empty()) return false;
    for (wchar_t c : trimmed) {
        if (c < L'0' || c > L'9') return false;
    }
    return true;
}

// Clears a flag when the scope ends, also when an error leaves it.
class FlagReset {
public:
    explicit FlagReset(bool& flag) : flag_(flag) {}
    ~FlagReset() { flag_ = false; }
    FlagReset(const FlagReset&) = delete;
    FlagReset& operator=(const FlagReset&) = delete;

private:
    bool& flag_;
};

}  // namespace

Web::Web(Ui& ui, FileSystem& fs) : ui_(ui), fs_(fs) {}

Web::~Web() {
    if (oInet_ != nullptr) oInet_->SetStateHandler(nullptr);
}

void Web::Inet(TransferControl& control) {
    if (oInet_ != nullptr && oInet_ != &control) oInet_->SetStateHandler(nullptr);
    oInet_ = &control;
    oInet_->SetStateHandler([this](int state) { Control_StateChanged(state); });
}

bool Web::GetFile(const std::wstring& url, std::wstring& strResult) {
    downloading_ = true;
    FlagReset downloading(downloading_);
    if (Text::TrimBlanks(url).empty()) return false;

    strResult = Request(url);
    WaitWhileExecuting(true);
    if (cancelled_) return true;
    return !IsResponseError(strResult);
}

bool Web::GetFilesize(const std::wstring& urlGetFilesize, Datei& oDatei) {
    downloading_ = true;
    FlagReset downloading(downloading_);
    if (Text::TrimBlanks(urlGetFilesize).empty()) return false;

    const std::wstring reply = Request(urlGetFilesize + L"?filename=" + oDatei.url());
    WaitWhileExecuting(true);
    if (cancelled_) return true;
    if (IsResponseError(reply)) return false;
    // A size beyond the 32-bit total cannot be downloaded; storing it would
    // turn it into a wrong number.
    const auto value = Datei::NumericValue(reply);
    if (value && !Datei::FitsTotalSize(*value)) return false;
    oDatei.Filesize(reply);
    return true;
}

bool Web::DownloadFile(Datei& oDatei) {
    failed_ = false;
    wroteFile_ = false;
    handlerError_ = nullptr;
    currentFile_ = &oDatei;
    try {
        oInet_->Execute(Text::TrimBlanks(oDatei.url()), L"GET");
        WaitWhileExecuting(false);
    } catch (...) {
        currentFile_ = nullptr;
        throw;
    }
    currentFile_ = nullptr;

    if (handlerError_) std::rethrow_exception(std::exchange(handlerError_, nullptr));
    if (!cancelled_) failed_ = DownloadFailed(oDatei);
    return !failed_;
}

void Web::Control_StateChanged(int state) {
    try {
        if (state == TransferControl::kStateError) {
            failed_ = true;
            oInet_->Cancel();
            return;
        }
        // A late state of a request that no download of ours waits for is dropped.
        if (state != TransferControl::kStateResponseCompleted || currentFile_ == nullptr) return;
        if (cancelled_) {
            RaiseCancelled();
            return;
        }
        ReadBody();
    } catch (...) {
        // Nothing may escape into the control's message handling; the error
        // ends the transfer and DownloadFile hands it to its caller.
        handlerError_ = std::current_exception();
        failed_ = true;
        oInet_->Cancel();
    }
}

void Web::ReadBody() {
    Datei& file = *currentFile_;
    downloading_ = true;
    try {
        file.OpenFileForWrite();
        wroteFile_ = true;
        ReadChunks();
        file.CloseFile();
    } catch (...) {
        downloading_ = false;
        try {
            file.CloseFile();
        } catch (...) {
            // The first error is the one worth reporting.
        }
        throw;
    }
    downloading_ = false;
    if (cancelled_) RaiseCancelled();
}

void Web::ReadChunks() {
    Datei& file = *currentFile_;
    std::vector<std::uint8_t> chunk;
    do {
        ui_.DoEvents();
        chunk = oInet_->GetChunk(kChunkSize);
        file.WriteBytesToFile(chunk);
        if (StateChanged) StateChanged(file);
    } while (chunk.size() > 1 && !cancelled_);
}

std::wstring Web::Request(const std::wstring& url) {
    timedOut_ = false;
    try {
        return oInet_->OpenURL(url);
    } catch (const PlatformError& error) {
        // Any failure of the request is an unusable answer; only the time-out
        // is remembered, for IsResponseError to report and clear.
        timedOut_ = error.code() == TransferControl::kErrorTimeout;
        return std::wstring();
    }
}

void Web::WaitWhileExecuting(bool raiseCancelled) {
    while (oInet_->StillExecuting()) {
        ui_.DoEvents();
        if (raiseCancelled && cancelled_) RaiseCancelled();
    }
}

bool Web::IsResponseError(const std::wstring& s) {
    if (timedOut_) {
        timedOut_ = false;
        return true;
    }
    if (s.empty()) return true;
    // A plain number is a size: 1404 or 404817 bytes are real archives. Only
    // the bare "404" and texts such as "404 Not Found" are the server's refusal.
    const std::wstring trimmed = TrimWhiteSpace(s);
    if (IsPlainDecimal(trimmed)) return trimmed == L"404";
    return s.find(L"404") != std::wstring::npos;
}

bool Web::DownloadFailed(const Datei& oDatei) const {
    // No state 12, no file of ours: the install step would have nothing to run.
    if (!wroteFile_ || !fs_.FileExists(oDatei.PfadLokal())) return true;
    return fs_.GetFileSize(oDatei.PfadLokal()) != oDatei.GetFilesizeInBytes();
}

void Web::RaiseCancelled() {
    if (cancelled) cancelled();
}
