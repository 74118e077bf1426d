#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "net/ResumePlan.h"
#include "net/TransferChannel_win.h"
#include "platform/Handles_win.h"

// One HTTP request over WinINet, run on the transfer control's worker thread.
//
// WinINet runs in its asynchronous mode: every call that may wait for the
// network returns at once, and the worker waits on its own events for the
// completion, the abandon signal or the time-out. So abandoning stops the
// worker at once even where closing a handle would not wake a blocked
// synchronous call (Wine's WinINet does not). The body is read in large
// blocks with IRF_NO_WAIT, as much as has arrived, up to 1 MiB per call; on a
// slow line the worker lets bytes gather for a moment between reads.
//
// A body that breaks off is asked for again as its plan decides, so that the
// channel carries one body whatever the connections did; a body that starts
// over is marked in the channel (Restart).
class InternetRequest {
public:
    InternetRequest(std::wstring url, std::wstring verb, std::uint32_t timeoutMs,
                    TransferChannel& channel, ResumePlan& plan);
    ~InternetRequest();
    InternetRequest(const InternetRequest&) = delete;
    InternetRequest& operator=(const InternetRequest&) = delete;

    // Performs the request and fills the channel. responseStarted is called
    // once, when the first usable reply's headers have arrived.
    // Returns 0 when the body arrived complete, otherwise the error number
    // (TransferControl::kErrorTimeout, kErrorHttpStatusBase + status, or the
    // WinINet / Windows error). Never throws.
    std::uint32_t Run(const std::function<void()>& responseStarted);

    // State shared with WinINet's status callback; it lives until WinINet
    // reports the request handle closed, because a pending call may still
    // complete into it after the worker has gone.
    struct Pending;

private:
    void Attempt(const std::function<void()>& responseStarted);
    void Open();
    void Gather();
    void Send();
    int CheckStatus();
    ReplyHeaders ReadReplyHeaders(int status) const;
    std::wstring QueryText(DWORD info) const;
    void ReadBody();
    std::optional<std::uint64_t> ContentLength() const;
    std::uint32_t ReadAvailable();
    bool AtEndOfBody();
    void WaitForCompletion();
    [[noreturn]] void Fail(std::uint32_t code) const;
    void CloseInBackground();

    std::wstring url_;
    std::wstring verb_;
    std::uint32_t timeoutMs_;
    TransferChannel& channel_;
    ResumePlan& plan_;
    std::shared_ptr<Pending> pending_;
    bool started_ = false;
    bool abandoned_ = false;
    UniqueInternetHandle session_;
    UniqueInternetHandle connection_;
    UniqueInternetHandle request_;
};

// A German text for an error number of the transfer control.
std::wstring DescribeTransferError(std::uint32_t code, const std::wstring& url);
