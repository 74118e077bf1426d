#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/TransferControl.h"
#include "platform/PlatformError.h"

// A transfer control with the real one's contract: states arrive only while
// the UI yields, GetChunk hands out the size asked for except at the end, what
// the state handler leaves unread is abandoned, and the request ends with a
// last message after which StillExecuting is false.
class ScriptedTransferControl : public TransferControl {
public:
    static constexpr int kEndsSilently = -1;  // neither state 12 nor 11
    std::wstring reply;                       // of text requests
    std::optional<std::uint32_t> openUrlError;
    std::function<void()> whileWaitingForText;
    std::string body;                          // of downloads
    int firstState = kStateResponseCompleted;  // kStateError: an HTTP error status
    std::optional<std::size_t> failAfter;      // the connection breaks after this many bytes
    std::uint32_t responseCode = 0;            // reported with state 11
    std::wstring validator, contentType;
    std::optional<std::size_t> restartAfter;  // then the body starts over as restartedBody
    std::string restartedBody;
    std::optional<std::wstring> restartedValidator;  // the new body's, when it names another

    std::vector<std::wstring> openedUrls, executedUrls;
    std::vector<std::size_t> chunkSizesAsked;
    std::vector<std::pair<std::uint64_t, std::wstring>> resumedFrom;
    int cancelCalls = 0;

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
        if (openUrlError) throw PlatformError(*openUrlError, L"Anfrage gescheitert");
        return reply;
    }

    void Execute(const std::wstring& url, const std::wstring& operation) override {
        EXPECT_EQ(operation, L"GET");
        executedUrls.push_back(url);
        executing_ = true;
        position_ = std::exchange(resumeOffset_, 0);
        failReported_ = false;
        available_ = std::min(failAfter.value_or(body.size()), body.size());
        pending_.push_back(firstState);
    }

    bool StillExecuting() override { return executing_; }

    std::vector<std::uint8_t> GetChunk(std::size_t size) override {
        chunkSizesAsked.push_back(size);
        if (restartAfter && position_ == *restartAfter) {
            restartAfter.reset();
            body = restartedBody;
            if (restartedValidator) validator = *restartedValidator;
            position_ = 0;
            available_ = body.size();
            restarted_ = true;
        }
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

    std::uint32_t ResponseCode() const override { return responseCode; }
    void ResumeFrom(std::uint64_t offset, const std::wstring& v) override {
        resumedFrom.emplace_back(offset, v);
        resumeOffset_ = static_cast<std::size_t>(offset);
    }
    std::wstring Validator() const override { return validator; }
    bool BodyRestarted() override { return std::exchange(restarted_, false); }
    std::wstring ContentType() const override { return contentType; }

    // Called from the UI's yield: delivers what the "worker" has posted.
    void DeliverPending() {
        const std::deque<int> now = std::exchange(pending_, {});
        for (int message : now) Deliver(message);
    }

private:
    void Deliver(int message) {
        if (message == kStateResponseCompleted) {
            if (handler_) handler_(kStateResponseCompleted);
            position_ = available_;
            // A break in the part that was read ends the request with its error;
            // otherwise the request ends after the handler, whatever it left unread.
            if (executing_ && !failReported_) pending_.push_back(kEndsSilently);
            return;
        }
        executing_ = false;
        if (message == kStateError && handler_) handler_(kStateError);
    }

    StateHandler handler_;
    bool executing_ = false, failReported_ = false, restarted_ = false;
    std::deque<int> pending_;
    std::size_t position_ = 0, available_ = 0, resumeOffset_ = 0;
};
