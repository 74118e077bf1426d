#include "net/ResumePlan.h"

#include <cwchar>
#include <utility>

#include "net/TransferControl.h"
#include "platform/Text.h"

namespace {

constexpr int kPartialContent = 206;

struct ContentRange {
    std::uint64_t first = 0;
    std::optional<std::uint64_t> total;  // "*": unknown
};

std::optional<std::uint64_t> ParseNumber(const std::wstring& text, std::size_t& pos) {
    const std::size_t begin = pos;
    std::uint64_t value = 0;
    for (; pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9'; ++pos) {
        value = value * 10 + static_cast<std::uint64_t>(text[pos] - L'0');
    }
    if (pos == begin || pos - begin > 18) return std::nullopt;
    return value;
}

// "bytes FIRST-LAST/TOTAL", TOTAL possibly "*".
std::optional<ContentRange> ParseContentRange(const std::wstring& text) {
    const std::wstring unit = L"bytes ";
    if (text.compare(0, unit.size(), unit) != 0) return std::nullopt;
    std::size_t pos = unit.size();
    const auto first = ParseNumber(text, pos);
    if (!first || pos >= text.size() || text[pos++] != L'-') return std::nullopt;
    const auto last = ParseNumber(text, pos);
    if (!last || *last < *first || pos >= text.size() || text[pos++] != L'/') return std::nullopt;
    ContentRange range{*first, std::nullopt};
    if (text.compare(pos, std::wstring::npos, L"*") == 0) return range;
    range.total = ParseNumber(text, pos);
    if (!range.total || pos != text.size() || *range.total <= *last) return std::nullopt;
    return range;
}

// Failures that another attempt would only repeat, or must not paper over.
bool WorthAnotherTry(std::uint32_t error) {
    if (error > TransferControl::kErrorHttpStatusBase &&
        error < TransferControl::kErrorHttpStatusBase + 1000) {
        return false;
    }
    switch (error) {
        case TransferControl::kErrorNameNotResolved:
        case TransferControl::kErrorCertificateDateInvalid:
        case TransferControl::kErrorCertificateNameInvalid:
        case TransferControl::kErrorCertificateAuthorityInvalid:
        case TransferControl::kErrorCertificateErrors:
        case TransferControl::kErrorCertificateRevoked:
        case TransferControl::kErrorSecureFailure:
            return false;
        default:
            return true;
    }
}

// Whether the reply carries the release `validator` names. A reply that names
// none cannot show that it does.
bool SameRelease(const ReplyHeaders& reply, const std::wstring& validator) {
    return !validator.empty() && (reply.eTag == validator || reply.lastModified == validator);
}

}  // namespace

bool ResumePlan::Continues(const KeptPart& part, const std::wstring& url, std::int64_t length) {
    // Without a validator the server could not say whether the file is still
    // the one these bytes began; a part as long as the whole is none of it.
    return part.url == url && !part.validator.empty() && part.size > 0 && part.size < length;
}

ResumePlan::ResumePlan(unsigned retries, std::uint32_t firstPauseMs, std::uint64_t offset,
                       std::wstring validator)
    : retries_(retries),
      firstPauseMs_(firstPauseMs),
      received_(offset),
      furthest_(offset),
      validator_(std::move(validator)) {}

bool ResumePlan::AsksRange() const {
    // Without a validator the server cannot tell us that the file changed,
    // and a bare range could splice two versions of it.
    return received_ > 0 && !validator_.empty() && !askWhole_;
}

std::wstring ResumePlan::RequestHeaders() const {
    if (!AsksRange()) return std::wstring();
    return L"Range: bytes=" + Text::FromInt(static_cast<std::int64_t>(received_)) +
           L"-\r\nIf-Range: " + validator_ + L"\r\n";
}

ResumePlan::Verdict ResumePlan::Judge(const ReplyHeaders& reply) {
    if (reply.status != kPartialContent) {
        const Verdict verdict = received_ == 0 ? Verdict::Append : Verdict::Restart;
        received_ = 0;
        Accept(reply, true, reply.contentLength);
        return verdict;
    }
    const auto range = ParseContentRange(reply.contentRange);
    // A range is trusted only where it was asked for under the validator and
    // comes of that release, or from byte 0. A cache that drops If-Range
    // answers a range of a file replaced meanwhile, and joined to ours it
    // would make an archive of two releases at the right length.
    const bool fits = range && range->first == received_ &&
                      (received_ == 0 || (AsksRange() && SameRelease(reply, validator_)));
    if (!fits) {
        // Taking bytes from elsewhere would leave a hole or a seam in the
        // file; the whole file is the one answer that is sure to fit.
        if (askWhole_) return Verdict::Refuse;
        askWhole_ = true;
        return Verdict::AskWhole;
    }
    std::optional<std::uint64_t> length = range->total;
    if (!length && reply.contentLength) length = received_ + *reply.contentLength;
    Accept(reply, received_ == 0, length);
    return Verdict::Append;
}

void ResumePlan::Accept(const ReplyHeaders& reply, bool newBody,
                        std::optional<std::uint64_t> length) {
    bodyStarted_ = true;
    askWhole_ = false;
    length_ = length;
    const std::wstring& validator = reply.eTag.empty() ? reply.lastModified : reply.eTag;
    if (newBody || !validator.empty()) validator_ = validator;
}

void ResumePlan::Brought(std::uint64_t count) {
    received_ += count;
    if (received_ <= furthest_) return;
    furthest_ = received_;
    failures_ = 0;
}

ResumePlan::Next ResumePlan::AfterFailure(std::uint32_t error, ResumeWaiter& waiter) {
    // Before any reply the server has not even begun: a refused or unknown
    // host is reported at once, not after the pauses.
    if (!bodyStarted_ || !WorthAnotherTry(error) || failures_ >= retries_) return Next::GiveUp;
    const std::uint32_t pause = firstPauseMs_ << failures_;
    ++failures_;
    return waiter.Wait(pause) ? Next::Retry : Next::Abandoned;
}
