#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The Internet transfer control: one HTTP request at a time, states reported
// through the state handler while the UI thread yields to the event loop.
//
// A request started with Execute reports state 12 as soon as its response has
// begun (status below 400), so that the handler can read the body with
// GetChunk while it arrives; it reports state 11 when it fails (no connection,
// an HTTP status of 400 or more, a broken or short body, the time-out). State
// 11 never interrupts the handler of state 12: it follows once that handler
// has returned, so a reader gets every byte that came before the failure. The
// handler of state 12 reads what it wants of the body before it returns;
// whatever it left unread is abandoned then, so a reader that stops early
// never leaves a request hanging on a full buffer.
class TransferControl {
public:
    // States the program acts on.
    static constexpr int kStateError = 11;
    static constexpr int kStateResponseCompleted = 12;
    // Error number of a request that received nothing for too long.
    static constexpr std::uint32_t kErrorTimeout = 35761;
    // Error number of Execute or OpenURL while a request is still running.
    static constexpr std::uint32_t kErrorStillExecuting = 35764;
    // Error numbers of HTTP error statuses: this base plus the status (404 -> 0x20000194).
    // Bit 29 marks error codes of applications; no Windows error has it.
    static constexpr std::uint32_t kErrorHttpStatusBase = 0x20000000;
    // WinINet's error numbers of the failures the program names to the user,
    // so that portable code can tell them apart without WinINet's headers.
    static constexpr std::uint32_t kErrorInternetTimeout = 12002;
    static constexpr std::uint32_t kErrorNameNotResolved = 12007;
    static constexpr std::uint32_t kErrorCannotConnect = 12029;
    static constexpr std::uint32_t kErrorConnectionAborted = 12030;
    static constexpr std::uint32_t kErrorConnectionReset = 12031;
    static constexpr std::uint32_t kErrorCertificateDateInvalid = 12037;
    static constexpr std::uint32_t kErrorCertificateNameInvalid = 12038;
    static constexpr std::uint32_t kErrorCertificateAuthorityInvalid = 12045;
    static constexpr std::uint32_t kErrorCertificateErrors = 12055;
    // Wine's WinINet reports a certificate from an authority that is not
    // trusted so, where Windows reports kErrorCertificateAuthorityInvalid.
    static constexpr std::uint32_t kErrorCertificateRevocationFailed = 12057;
    static constexpr std::uint32_t kErrorCertificateRevoked = 12170;
    static constexpr std::uint32_t kErrorSecureFailure = 12175;

    using StateHandler = std::function<void(int state)>;

    virtual ~TransferControl() = default;

    // The handler is called on the UI thread, during a yield to the event loop.
    virtual void SetStateHandler(StateHandler handler) = 0;

    // GET the URL and return the whole body as text. Throws PlatformError for
    // every failure: kErrorTimeout on a time-out, kErrorHttpStatusBase + status
    // for an HTTP error status, the system's error number otherwise.
    virtual std::wstring OpenURL(const std::wstring& url) = 0;
    // Starts the request and returns at once; states follow through the handler.
    // Throws PlatformError (kErrorStillExecuting) while another request runs.
    virtual void Execute(const std::wstring& url, const std::wstring& operation) = 0;
    // True until the request's last state has been delivered. While it is true
    // the call may wait briefly for the next message or state, so that a loop
    // of StillExecuting and a yield sleeps instead of spinning.
    virtual bool StillExecuting() = 0;
    // Next part of the body: `size` bytes, fewer only at its end, none when
    // nothing is left (also after Cancel or a failure).
    virtual std::vector<std::uint8_t> GetChunk(std::size_t size) = 0;
    // Abandons the running request at once; no state of it follows.
    virtual void Cancel() = 0;
    // Error number of the last request that failed with state 11, 0 when it succeeded.
    virtual std::uint32_t ResponseCode() const = 0;

    // The next Execute asks only for the body from `offset` on, and only while
    // the server's file still carries `validator` (sent as If-Range): the
    // bytes before the offset are already the caller's, and GetChunk starts at
    // the offset. Applies to the next Execute only.
    virtual void ResumeFrom(std::uint64_t offset, const std::wstring& validator) = 0;
    // The validator of the last download's file (its ETag, else its
    // Last-Modified), to resume it later; empty when the server sent neither.
    virtual std::wstring Validator() const = 0;
    // True once, right after the GetChunk whose chunk begins the body anew at
    // byte 0 (the file changed on the server, or the server ignores ranges):
    // every byte handed out before it, and every byte before a ResumeFrom
    // offset, is void.
    virtual bool BodyRestarted() = 0;
    // The Content-Type of the running or last download's reply, as sent.
    virtual std::wstring ContentType() const = 0;
};

class TransferControlFactory {
public:
    virtual ~TransferControlFactory() = default;
    virtual std::unique_ptr<TransferControl> Create() = 0;
};
