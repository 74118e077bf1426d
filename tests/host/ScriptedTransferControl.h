#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/PlatformError.h"
#include "platform/TransferControl.h"

// A transfer control with the real one's contract: states arrive only while
// the UI yields, GetChunk hands out the size asked for except at the end, what
// the state handler leaves unread is abandoned, and the request ends with a
// last message after which StillExecuting is false.
class ScriptedTransferControl : public TransferControl {
public:
    std::wstring reply;  // of text requests
    std::optional<std::uint32_t> openUrlError;
    int busyPassesAfterOpenUrl = 0;
    std::function<void()> whileWaitingForText;
    std::string body;                      // of downloads
    bool failBeforeResponse = false;       // an HTTP error status: state 11, no 12
    bool endWithoutResponse = false;       // neither 12 nor 11
    std::optional<std::size_t> failAfter;  // the connection breaks after this many bytes

    std::vector<std::wstring> openedUrls;
    std::vector<std::wstring> executedUrls;
    std::vector<std::size_t> chunkSizesAsked;
    int cancelCalls = 0;
    std::vector<std::string>* trace = nullptr;

    void SetStateHandler(StateHandler handler) override { handler_ = std::move(handler); }

    std::wstring OpenURL(const std::wstring& url) override {
        openedUrls.push_back(url);
        // The real control handles window messages while it waits for the
        // answer; a Cancel among them abandons the request.
        if (whileWaitingForText) {
            const int cancelsBefore = cancelCalls;
            whileWaitingForText();
            if (cancelCalls > cancelsBefore) throw PlatformError(995, L"Abgebrochen");
        }
        busyPasses_ = busyPassesAfterOpenUrl;
        if (openUrlError) throw PlatformError(*openUrlError, L"Anfrage gescheitert");
        return reply;
    }

    void Execute(const std::wstring& url, const std::wstring& operation) override {
        EXPECT_EQ(operation, L"GET");
        executedUrls.push_back(url);
        executing_ = true;
        position_ = 0;
        available_ = failAfter ? std::min(*failAfter, body.size()) : body.size();
        failReported_ = false;
        pending_.push_back(failBeforeResponse   ? kStateError
                           : endWithoutResponse ? kFinished
                                                : kStateResponseCompleted);
    }

    bool StillExecuting() override {
        if (busyPasses_ > 0) return busyPasses_-- > 0;
        return executing_;
    }

    std::vector<std::uint8_t> GetChunk(std::size_t size) override {
        if (trace) trace->push_back("chunk");
        chunkSizesAsked.push_back(size);
        const std::size_t count = std::min(size, available_ - position_);
        std::vector<std::uint8_t> chunk(body.begin() + position_, body.begin() + position_ + count);
        position_ += count;
        if (failAfter && position_ == available_ && !failReported_) {
            failReported_ = true;
            pending_.push_back(kStateError);
        }
        return chunk;
    }

    void Cancel() override {
        ++cancelCalls;
        executing_ = false;
        pending_.clear();
        position_ = available_;
    }

    std::uint32_t ResponseCode() const override { return 0; }

    // Called from the UI's yield: delivers what the "worker" has posted.
    void DeliverPending() {
        std::deque<int> now;
        now.swap(pending_);
        for (int message : now) Deliver(message);
    }

private:
    static constexpr int kFinished = -1;

    void Deliver(int message) {
        if (message == kStateResponseCompleted) {
            if (handler_) handler_(kStateResponseCompleted);
            position_ = available_;
            // A break in the part that was read ends the request with its error;
            // otherwise the request ends after the handler, whatever it left unread.
            if (executing_ && !failReported_) pending_.push_back(kFinished);
            return;
        }
        executing_ = false;
        if (message == kStateError && handler_) handler_(kStateError);
    }

    StateHandler handler_;
    bool executing_ = false;
    int busyPasses_ = 0;
    std::deque<int> pending_;
    std::size_t position_ = 0;
    std::size_t available_ = 0;
    bool failReported_ = false;
};
