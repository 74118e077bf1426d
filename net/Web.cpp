#include "net/Web.h"

#include <utility>

#include "platform/PlatformError.h"
#include "platform/Text.h"

namespace {

bool IsWhiteSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

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

// Whether a text request's answer is unusable; a request that failed, the
// time-out too, answers with the empty text.
bool IsResponseError(const std::wstring& s) {
    if (s.empty()) return true;
    // A plain number is a size: 1404 or 404817 bytes are real archives. Only
    // the bare "404" and texts such as "404 Not Found" are the server's refusal.
    const std::wstring trimmed = TrimWhiteSpace(s);
    if (IsPlainDecimal(trimmed)) return trimmed == L"404";
    return s.find(L"404") != std::wstring::npos;
}

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
    if (Text::TrimBlanks(url).empty()) return false;
    strResult = AskForText(url);
    if (cancelled_) return true;
    return !IsResponseError(strResult);
}

bool Web::GetFilesize(const std::wstring& urlGetFilesize, Datei& oDatei) {
    if (Text::TrimBlanks(urlGetFilesize).empty()) return false;
    const std::wstring reply = AskForText(urlGetFilesize + L"?filename=" + oDatei.url());
    if (cancelled_) return true;
    if (IsResponseError(reply)) return false;
    // A size beyond the 32-bit total cannot be downloaded; storing it would
    // turn it into a wrong number.
    const auto value = Datei::NumericValue(reply);
    if (value && !Datei::FitsTotalSize(*value)) return false;
    oDatei.Filesize(reply);
    return true;
}

bool Web::DownloadFile(Datei& oDatei, const std::wstring& resumeValidator) {
    handlerError_ = nullptr;
    failed_ = false;
    lastError_ = 0;
    currentFile_ = &oDatei;
    phase_ = Phase::AwaitingResponse;
    try {
        writtenValidator_.clear();
        resuming_ = !resumeValidator.empty() && fs_.FileExists(oDatei.PfadLokal());
        if (resuming_) {
            writtenValidator_ = resumeValidator;
            oInet_->ResumeFrom(static_cast<std::uint64_t>(fs_.GetFileSize(oDatei.PfadLokal())),
                               resumeValidator);
        }
        oInet_->Execute(Text::TrimBlanks(oDatei.url()), L"GET");
        WaitWhileExecuting(false);
    } catch (...) {
        currentFile_ = nullptr;
        phase_ = Phase::Idle;
        throw;
    }
    currentFile_ = nullptr;
    const Phase ended = std::exchange(phase_, Phase::Idle);

    if (handlerError_) std::rethrow_exception(std::exchange(handlerError_, nullptr));
    if (cancelled_) return !failed_;
    // Without state 12 no file of ours was written: a file of the right
    // length could only be one an earlier attempt left.
    return ended == Phase::BodyEnded && BodyComplete(oDatei);
}

void Web::Control_StateChanged(int state) {
    try {
        if (state == TransferControl::kStateError) {
            failed_ = true;
            lastError_ = oInet_->ResponseCode();
            oInet_->Cancel();
            return;
        }
        // A late state of a request that no download of ours waits for is dropped.
        if (state != TransferControl::kStateResponseCompleted ||
            phase_ != Phase::AwaitingResponse) {
            return;
        }
        if (cancelled_) {
            RaiseCancelled();
            return;
        }
        ReadBody();
    } catch (...) {
        // Nothing may escape into the control's message handling; the error
        // ends the transfer and DownloadFile hands it to its caller.
        handlerError_ = std::current_exception();
        oInet_->Cancel();
    }
}

void Web::ReadBody() {
    Datei& file = *currentFile_;
    phase_ = Phase::ReadingBody;
    try {
        if (resuming_) {
            file.OpenFileForAppend();
        } else {
            file.OpenFileForWrite();
            writtenValidator_ = oInet_->Validator();
        }
        ReadChunks();
        file.CloseFile();
    } catch (...) {
        phase_ = Phase::BodyEnded;
        try {
            file.CloseFile();
        } catch (...) {
            // The first error is the one worth reporting.
        }
        throw;
    }
    phase_ = Phase::BodyEnded;
    if (cancelled_) RaiseCancelled();
}

void Web::ReadChunks() {
    Datei& file = *currentFile_;
    std::vector<std::uint8_t> chunk;
    // A body that starts over counts from 0 again; the size line waits until
    // it is back where it was instead of going backwards.
    std::int64_t highestShown = 0;
    do {
        ui_.DoEvents();
        chunk = oInet_->GetChunk(kChunkSize);
        if (oInet_->BodyRestarted()) {
            // Until the old bytes are gone, they are what the file holds.
            file.StartOver();
            writtenValidator_ = oInet_->Validator();
        }
        file.WriteBytesToFile(chunk);
        if (file.GetAktFilesizeInBytes() < highestShown) continue;
        highestShown = file.GetAktFilesizeInBytes();
        if (StateChanged) StateChanged(file);
    } while (chunk.size() > 1 && !cancelled_);
}

std::wstring Web::AskForText(const std::wstring& url) {
    phase_ = Phase::TextRequest;
    lastError_ = 0;
    try {
        const std::wstring reply = Request(url);
        WaitWhileExecuting(true);
        phase_ = Phase::Idle;
        return reply;
    } catch (...) {
        phase_ = Phase::Idle;
        throw;
    }
}

std::wstring Web::Request(const std::wstring& url) {
    try {
        return oInet_->OpenURL(url);
    } catch (const PlatformError& e) {
        // Time-out, error status or no connection: the empty text fails the
        // check, and the number stays for the message that names the cause.
        lastError_ = e.code();
        return std::wstring();
    }
}

void Web::WaitWhileExecuting(bool raiseCancelled) {
    while (oInet_->StillExecuting()) {
        ui_.DoEvents();
        if (raiseCancelled && cancelled_) RaiseCancelled();
    }
}

bool Web::BodyComplete(const Datei& oDatei) const {
    return fs_.FileExists(oDatei.PfadLokal()) &&
           fs_.GetFileSize(oDatei.PfadLokal()) == oDatei.GetFilesizeInBytes();
}

void Web::RaiseCancelled() {
    if (cancelled) cancelled();
}
