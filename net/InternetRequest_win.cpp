#include "net/InternetRequest_win.h"

#include <atomic>
#include <cwchar>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "net/TransferControl.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"

struct InternetRequest::Pending {
    UniqueKernelHandle completion{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::atomic<bool> succeeded{false};
    std::atomic<DWORD> error{0};
    // Targets of calls that may complete after the worker stopped waiting.
    DWORD available = 0;
    INTERNET_BUFFERSA buffers = {};
    std::vector<std::uint8_t> block;
};

namespace {

// 1 MiB per read: WinINet under Wine moves 400+ MiB/s in blocks of this size
// and about a tenth of that in blocks of 4 KiB.
constexpr DWORD kBlockSize = 1024 * 1024;
// A read that brought less than this means a line slower than the machine:
// the worker then lets the bytes gather for kGatherMs before it reads again.
// Under Wine every read costs about a dozen trips to the wineserver across
// three threads (pool, worker, UI), whatever it brings; a server that sends
// a hundred small pieces a second would otherwise keep the machine busy
// while the user only waits. The progress still moves every kGatherMs.
constexpr DWORD kSmallRead = 64 * 1024;
constexpr DWORD kGatherMs = 100;
// WinINet's own time-outs only free its internal threads after we have given
// up; ours (the wait on the completion) always comes first.
constexpr DWORD kWinInetGraceMs = 10000;

using PendingHolder = std::shared_ptr<InternetRequest::Pending>;

struct Abandoned {};
// The reply was no usable part of the file; the plan asks for all of it at once.
struct AskAgain {};

// A pause before another attempt ends as soon as the transfer is abandoned.
class AbandonableWaiter : public ResumeWaiter {
public:
    explicit AbandonableWaiter(HANDLE abandon) : abandon_(abandon) {}
    bool Wait(std::uint32_t milliseconds) override {
        return ::WaitForSingleObject(abandon_, milliseconds) != WAIT_OBJECT_0;
    }

private:
    HANDLE abandon_;
};

void CALLBACK StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD) {
    auto* holder = reinterpret_cast<PendingHolder*>(context);
    if (holder == nullptr) return;
    if (status == INTERNET_STATUS_REQUEST_COMPLETE && info != nullptr) {
        const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
        (*holder)->error = result->dwError;
        (*holder)->succeeded = result->dwResult != 0;
        ::SetEvent((*holder)->completion.get());
    } else if (status == INTERNET_STATUS_HANDLE_CLOSING) {
        // The last callback of the request handle: nothing can complete into it any more.
        delete holder;
    }
}

void SetTimeout(HINTERNET handle, DWORD option, DWORD milliseconds) {
    ::InternetSetOptionW(handle, option, &milliseconds, sizeof milliseconds);
}

std::wstring WinInetMessage(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                             FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         ::GetModuleHandleW(L"wininet.dll"), code, 0,
                         reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    if (buffer != nullptr) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::wstring DescribeTransferError(std::uint32_t code, const std::wstring& url) {
    if (code == TransferControl::kErrorTimeout) {
        return L"Zeitüberschreitung: Der Server hat zu lange keine Daten gesendet (" + url + L").";
    }
    if (code == TransferControl::kErrorStillExecuting) {
        return L"Es läuft noch eine andere Übertragung (" + url + L").";
    }
    if (code > TransferControl::kErrorHttpStatusBase &&
        code < TransferControl::kErrorHttpStatusBase + 1000) {
        return L"Der Server hat die Anfrage mit dem HTTP-Status " +
               Text::FromInt(code - TransferControl::kErrorHttpStatusBase) + L" abgelehnt (" + url +
               L").";
    }
    if (code == ERROR_OPERATION_ABORTED)
        return L"Die Übertragung wurde abgebrochen (" + url + L").";
    std::wstring text =
        L"Die Übertragung von " + url + L" ist gescheitert (Fehler " + Text::FromInt(code);
    const std::wstring system = WinInetMessage(code);
    if (!system.empty()) text += L": " + system;
    return text + L").";
}

InternetRequest::InternetRequest(std::wstring url, std::wstring verb, std::uint32_t timeoutMs,
                                 TransferChannel& channel, ResumePlan& plan)
    : url_(std::move(url)),
      verb_(verb.empty() ? L"GET" : std::move(verb)),
      timeoutMs_(timeoutMs),
      channel_(channel),
      plan_(plan) {}

InternetRequest::~InternetRequest() {
    if (abandoned_ && request_) CloseInBackground();
    // Otherwise the members close in reverse order of opening: request,
    // connection, session.
}

namespace {

struct OpenHandles {
    UniqueInternetHandle session;
    UniqueInternetHandle connection;
    UniqueInternetHandle request;  // declared last: closed first
};

VOID CALLBACK CloseHandles(PTP_CALLBACK_INSTANCE, PVOID context) {
    delete static_cast<OpenHandles*>(context);
}

}  // namespace

void InternetRequest::CloseInBackground() {
    // Closing a request whose body is still flowing makes Wine's WinINet read
    // the rest of it, 1 KiB at a time, to keep the connection: seconds for a
    // large file on a fast line. An abandoned request is closed by the
    // system's thread pool instead, so the worker ends at once.
    auto* handles =
        new OpenHandles{std::move(session_), std::move(connection_), std::move(request_)};
    if (!::TrySubmitThreadpoolCallback(CloseHandles, handles, nullptr)) delete handles;
}

std::uint32_t InternetRequest::Run(const std::function<void()>& responseStarted) {
    try {
        AbandonableWaiter waiter(channel_.AbandonEvent());
        for (;;) {
            try {
                Attempt(responseStarted);
                return 0;
            } catch (const AskAgain&) {
            } catch (const PlatformError& error) {
                const ResumePlan::Next next = plan_.AfterFailure(error.code(), waiter);
                if (next == ResumePlan::Next::GiveUp) throw;
                if (next == ResumePlan::Next::Abandoned) throw Abandoned{};
            }
            // Whatever the broken connection still holds is not waited for.
            CloseInBackground();
        }
    } catch (const PlatformError& error) {
        return error.code();
    } catch (const Abandoned&) {
        abandoned_ = true;
        return ERROR_OPERATION_ABORTED;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_INTERNAL_ERROR;
    }
}

void InternetRequest::Attempt(const std::function<void()>& responseStarted) {
    // A fresh target for every attempt: the last one's calls may still
    // complete into its own.
    pending_ = std::make_shared<Pending>();
    if (!pending_->completion) Fail(::GetLastError());
    pending_->block.resize(kBlockSize);
    Open();
    Send();
    const ReplyHeaders reply = ReadReplyHeaders(CheckStatus());
    const ResumePlan::Verdict verdict = plan_.Judge(reply);
    if (verdict == ResumePlan::Verdict::AskWhole) throw AskAgain{};
    if (verdict == ResumePlan::Verdict::Refuse) {
        Fail(TransferControl::kErrorHttpStatusBase + static_cast<std::uint32_t>(reply.status));
    }
    channel_.Describe(plan_.Validator(), QueryText(HTTP_QUERY_CONTENT_TYPE),
                      verdict == ResumePlan::Verdict::Restart);
    if (!std::exchange(started_, true) && responseStarted) responseStarted();
    ReadBody();
}

void InternetRequest::Open() {
    session_.reset(::InternetOpenW(L"ZelbarSetup", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                                   INTERNET_FLAG_ASYNC));
    if (!session_) Fail(::GetLastError());
    if (::InternetSetStatusCallbackW(session_.get(), StatusCallback) ==
        INTERNET_INVALID_STATUS_CALLBACK) {
        Fail(::GetLastError());
    }

    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlW(url_.c_str(), static_cast<DWORD>(url_.size()), 0, &parts)) {
        Fail(::GetLastError());
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        Fail(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    connection_.reset(::InternetConnectW(session_.get(), host.c_str(), parts.nPort, nullptr,
                                         nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection_) Fail(::GetLastError());

    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    const wchar_t* acceptTypes[] = {L"*/*", nullptr};
    auto* holder = new PendingHolder(pending_);
    request_.reset(::HttpOpenRequestW(connection_.get(), verb_.c_str(), path.c_str(), nullptr,
                                      nullptr, acceptTypes, flags,
                                      reinterpret_cast<DWORD_PTR>(holder)));
    if (!request_) {
        const DWORD error = ::GetLastError();
        delete holder;
        Fail(error);
    }
    const DWORD winInetTimeout = timeoutMs_ + kWinInetGraceMs;
    SetTimeout(request_.get(), INTERNET_OPTION_CONNECT_TIMEOUT, winInetTimeout);
    SetTimeout(request_.get(), INTERNET_OPTION_SEND_TIMEOUT, winInetTimeout);
    SetTimeout(request_.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, winInetTimeout);
}

void InternetRequest::Send() {
    ::ResetEvent(pending_->completion.get());
    const std::wstring headers = plan_.RequestHeaders();
    if (::HttpSendRequestW(request_.get(), headers.empty() ? nullptr : headers.c_str(),
                           static_cast<DWORD>(headers.size()), nullptr, 0)) {
        return;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) Fail(error);
    WaitForCompletion();
}

int InternetRequest::CheckStatus() {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                          &size, nullptr)) {
        Fail(::GetLastError());
    }
    // An error page is never taken for the file.
    if (status >= 400) Fail(TransferControl::kErrorHttpStatusBase + status);
    return static_cast<int>(status);
}

ReplyHeaders InternetRequest::ReadReplyHeaders(int status) const {
    return {status, ContentLength(), QueryText(HTTP_QUERY_CONTENT_RANGE),
            QueryText(HTTP_QUERY_ETAG), QueryText(HTTP_QUERY_LAST_MODIFIED)};
}

std::wstring InternetRequest::QueryText(DWORD info) const {
    std::wstring text(256, L'\0');
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!::HttpQueryInfoW(request_.get(), info, text.data(), &size, nullptr)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::wstring();
        text.resize(size / sizeof(wchar_t) + 1);
        if (!::HttpQueryInfoW(request_.get(), info, text.data(), &size, nullptr)) {
            return std::wstring();
        }
    }
    text.resize(size / sizeof(wchar_t));
    return text;
}

void InternetRequest::ReadBody() {
    // The whole body's length: a resumed reply brings only its tail.
    const std::optional<std::uint64_t> announced = plan_.Length();
    for (;;) {
        const std::uint64_t received = plan_.Received();
        if (announced && received == *announced) return;
        DWORD got = ReadAvailable();
        if (got == 0) {
            if (AtEndOfBody()) break;
            continue;
        }
        // Bytes beyond the announced length are no part of the body (Wine's
        // WinINet hands them out when reading without waiting).
        if (announced && received + got > *announced) {
            got = static_cast<DWORD>(*announced - received);
        }
        plan_.Brought(got);
        if (!channel_.Push(pending_->block.data(), got)) throw Abandoned{};
        if (got < kSmallRead && !(announced && received + got == *announced)) Gather();
    }
    // A connection that ends before the announced length is a broken body,
    // not a complete one.
    if (announced && plan_.Received() != *announced) Fail(ERROR_INTERNET_CONNECTION_ABORTED);
}

void InternetRequest::Gather() {
    if (::WaitForSingleObject(channel_.AbandonEvent(), kGatherMs) == WAIT_OBJECT_0) {
        throw Abandoned{};
    }
}

std::optional<std::uint64_t> InternetRequest::ContentLength() const {
    wchar_t text[32] = {};
    DWORD size = sizeof text;
    if (!::HttpQueryInfoW(request_.get(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) {
        return std::nullopt;
    }
    wchar_t* end = nullptr;
    const unsigned long long length = std::wcstoull(text, &end, 10);
    if (end == text) return std::nullopt;
    return length;
}

std::uint32_t InternetRequest::ReadAvailable() {
    for (;;) {
        INTERNET_BUFFERSA& buffers = pending_->buffers;
        buffers = {};
        buffers.dwStructSize = sizeof buffers;
        buffers.lpvBuffer = pending_->block.data();
        buffers.dwBufferLength = static_cast<DWORD>(pending_->block.size());
        ::ResetEvent(pending_->completion.get());
        if (::InternetReadFileExA(request_.get(), &buffers, IRF_NO_WAIT, 0)) {
            return buffers.dwBufferLength;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) Fail(error);
        // Nothing had arrived: wait until something has, then take it.
        WaitForCompletion();
    }
}

bool InternetRequest::AtEndOfBody() {
    ::ResetEvent(pending_->completion.get());
    if (::InternetQueryDataAvailable(request_.get(), &pending_->available, 0, 0)) {
        return pending_->available == 0;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) Fail(error);
    WaitForCompletion();
    return false;
}

void InternetRequest::WaitForCompletion() {
    const HANDLE events[] = {channel_.AbandonEvent(), pending_->completion.get()};
    const DWORD result = ::WaitForMultipleObjects(2, events, FALSE, timeoutMs_);
    if (result == WAIT_OBJECT_0) throw Abandoned{};
    if (result == WAIT_TIMEOUT) Fail(TransferControl::kErrorTimeout);
    if (result != WAIT_OBJECT_0 + 1) Fail(::GetLastError());
    if (!pending_->succeeded) {
        const DWORD error = pending_->error;
        Fail(error != 0 ? error : ERROR_INTERNET_CONNECTION_ABORTED);
    }
}

void InternetRequest::Fail(std::uint32_t code) const {
    throw PlatformError(code, DescribeTransferError(code, url_));
}
