#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "net/ResumePlan.h"
#include "net/TransferControl.h"
#include "platform/Handles_win.h"

class TransferChannel;

// The transfer control over WinINet. Each request runs on a worker thread of
// its own (InternetRequest); the worker posts its states to a message-only
// window of the UI thread that created the control, and they reach the state
// handler when that thread handles its messages. The body passes through a
// bounded buffer, so memory does not grow with the file; a full buffer makes
// the worker wait, and TCP makes the server wait.
//
// Waiting on the UI thread (GetChunk for bytes still on their way, OpenURL for
// its answer) blocks on MsgWaitForMultipleObjectsEx and handles window
// messages that arrive meanwhile, so that a stalled server cannot freeze the
// window until the time-out: the user can still move it and press "Abbrechen".
// A download whose body breaks off is asked for again from where it broke
// (ResumePlan decides how), after pauses of firstPauseMs, twice that, and so
// on; the reader sees one body, or one that starts over (BodyRestarted).
// Create, use and destroy the control on the UI thread.
class WinInetTransferControl : public TransferControl {
public:
    // A request that receives nothing for this long fails with kErrorTimeout.
    static constexpr std::uint32_t kDefaultTimeoutMs = 30000;
    static constexpr unsigned kDefaultRetries = 3;
    static constexpr std::uint32_t kDefaultFirstPauseMs = 1000;
    // The bounded buffer between worker and UI thread.
    static constexpr std::size_t kBufferCapacity = 4 * 1024 * 1024;
    // OpenURL answers are texts; a larger body is refused rather than held.
    static constexpr std::size_t kMaxTextSize = 16 * 1024 * 1024;

    explicit WinInetTransferControl(std::uint32_t noDataTimeoutMs = kDefaultTimeoutMs,
                                    unsigned retries = kDefaultRetries,
                                    std::uint32_t firstPauseMs = kDefaultFirstPauseMs);
    // Cancels a running request; no worker outlives the control.
    ~WinInetTransferControl() override;
    WinInetTransferControl(const WinInetTransferControl&) = delete;
    WinInetTransferControl& operator=(const WinInetTransferControl&) = delete;

    void SetStateHandler(StateHandler handler) override;
    std::wstring OpenURL(const std::wstring& url) override;
    void Execute(const std::wstring& url, const std::wstring& operation) override;
    bool StillExecuting() override;
    std::vector<std::uint8_t> GetChunk(std::size_t size) override;
    void Cancel() override;
    std::uint32_t ResponseCode() const override { return responseCode_; }
    void ResumeFrom(std::uint64_t offset, const std::wstring& validator) override;
    std::wstring Validator() const override { return validator_; }
    bool BodyRestarted() override;
    std::wstring ContentType() const override { return contentType_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnResponseStarted(unsigned sequence);
    void EndReadersTurn(unsigned sequence);
    void OnFinished(unsigned sequence, std::uint32_t error);
    void CaptureReply();
    void ThrowIfBusy(const std::wstring& url) const;
    void Start(const std::wstring& url, const std::wstring& verb, bool postStates, ResumePlan plan);
    void JoinWorker();
    void WaitForData(TransferChannel& channel, std::size_t count);
    std::string CollectText(const std::wstring& url);

    std::uint32_t timeoutMs_;
    unsigned retries_;
    std::uint32_t firstPauseMs_;
    UniqueWindow window_;
    StateHandler handler_;
    std::shared_ptr<TransferChannel> channel_;
    std::thread worker_;
    unsigned lastSequence_ = 0;
    // The request whose states are still due; 0 when none. States of any
    // other (cancelled, abandoned) request are dropped on arrival.
    unsigned activeSequence_ = 0;
    bool executing_ = false;
    // The handler of state 12 is reading the body. The request's end waits
    // until its turn is over: a failure seen earlier would make it abandon
    // bytes that had arrived before the break.
    bool reading_ = false;
    std::optional<std::uint32_t> finishedWhileReading_;
    // The body number of the bytes last handed out, and whether the chunk
    // just handed out began a new one.
    unsigned bodySeen_ = 0;
    bool restarted_ = false;
    std::uint32_t responseCode_ = 0;
    std::uint64_t resumeOffset_ = 0;
    std::wstring resumeValidator_;
    std::wstring validator_;
    std::wstring contentType_;
};

class WinInetTransferFactory : public TransferControlFactory {
public:
    explicit WinInetTransferFactory(
        std::uint32_t noDataTimeoutMs = WinInetTransferControl::kDefaultTimeoutMs,
        unsigned retries = WinInetTransferControl::kDefaultRetries,
        std::uint32_t firstPauseMs = WinInetTransferControl::kDefaultFirstPauseMs)
        : timeoutMs_(noDataTimeoutMs), retries_(retries), firstPauseMs_(firstPauseMs) {}
    std::unique_ptr<TransferControl> Create() override;

private:
    std::uint32_t timeoutMs_;
    unsigned retries_;
    std::uint32_t firstPauseMs_;
};
