#pragma once
#include <cstdint>
#include <optional>
#include <string>

// Waits out the pause before the next attempt of a download.
class ResumeWaiter {
public:
    virtual ~ResumeWaiter() = default;
    // Waits `milliseconds`; false as soon as the transfer is abandoned meanwhile.
    virtual bool Wait(std::uint32_t milliseconds) = 0;
};

// What a reply said about the file it carries, as far as resuming cares.
struct ReplyHeaders {
    int status = 200;
    std::optional<std::uint64_t> contentLength;
    std::wstring contentRange;  // "bytes 100-999/1000", empty when absent
    std::wstring eTag;
    std::wstring lastModified;
};

// What a broken-off attempt left on disk for a later one.
struct KeptPart {
    std::wstring url;
    // Of the release whose bytes the file holds; empty when none told it.
    std::wstring validator;
    std::int64_t size = 0;
};

// The decisions of one download that may break off and be asked for again:
// which range the next request asks for, whether a reply continues the body,
// starts it over or is refused, and whether a failure is worth another try.
// It owns no connection; the transfer control's worker does what it decides.
//
// The count of tries left is restored only by an attempt that brings the body
// further than any before it: a server that restarts every reply and breaks
// at the same byte would otherwise be asked for ever.
class ResumePlan {
public:
    enum class Verdict {
        // The reply's bytes follow the ones already received.
        Append,
        // The reply is the whole file from byte 0: everything before is void.
        Restart,
        // The reply is no usable part of the file; ask again for all of it.
        AskWhole,
        // Still no usable reply after asking for all of it.
        Refuse,
    };
    enum class Next { Retry, GiveUp, Abandoned };

    // Whether a later attempt at `url`, whose archive is `length` bytes long,
    // may go on from `part`: only a true beginning of one known release.
    static bool Continues(const KeptPart& part, const std::wstring& url, std::int64_t length);

    // `offset` bytes of a file that carried `validator` are the caller's already.
    ResumePlan(unsigned retries, std::uint32_t firstPauseMs, std::uint64_t offset = 0,
               std::wstring validator = std::wstring());

    // The extra request headers of the next attempt, CR LF after each; empty
    // when it asks for the whole file.
    std::wstring RequestHeaders() const;
    // Judges a reply with a status below 400.
    Verdict Judge(const ReplyHeaders& reply);
    void Brought(std::uint64_t count);
    // After an attempt failed with `error`: whether to try again, having
    // waited the pause; never for failures a new attempt cannot mend.
    Next AfterFailure(std::uint32_t error, ResumeWaiter& waiter);

    // Bytes of the current body received, counting a resumed offset.
    std::uint64_t Received() const { return received_; }
    // The whole body's length, when the replies told it.
    std::optional<std::uint64_t> Length() const { return length_; }
    // The ETag of the file, else its Last-Modified; empty when it had neither.
    const std::wstring& Validator() const { return validator_; }

private:
    bool AsksRange() const;
    void Accept(const ReplyHeaders& reply, bool newBody, std::optional<std::uint64_t> length);

    unsigned retries_;
    std::uint32_t firstPauseMs_;
    unsigned failures_ = 0;
    std::uint64_t received_;
    std::uint64_t furthest_;
    std::optional<std::uint64_t> length_;
    std::wstring validator_;
    bool askWhole_ = false;
    bool bodyStarted_ = false;
};
