#include "download/DownloadCause.h"

#include "download/DownloadTexts.h"
#include "net/TransferControl.h"
#include "platform/Text.h"

namespace DownloadCause {
namespace {

using TC = TransferControl;

// ERROR_HANDLE_DISK_FULL and ERROR_DISK_FULL.
constexpr std::uint32_t kErrorHandleDiskFull = 39;
constexpr std::uint32_t kErrorDiskFull = 112;
// Statuses fit in three digits; a larger offset is no status of ours.
constexpr std::uint32_t kHighestStatus = 999;

bool IsHttpStatus(std::uint32_t code) {
    return code > TC::kErrorHttpStatusBase && code <= TC::kErrorHttpStatusBase + kHighestStatus;
}

std::wstring OfStatus(unsigned status) {
    return status == 407 ? std::wstring(DownloadTexts::kProxyLogin)
                         : DownloadTexts::HttpStatus(status);
}

}  // namespace

std::wstring HostOf(const std::wstring& url) {
    const std::wstring text = Text::TrimBlanks(url);
    const auto scheme = text.find(L"://");
    const std::size_t begin = scheme == std::wstring::npos ? 0 : scheme + 3;
    std::wstring authority = text.substr(begin, text.find_first_of(L"/?#", begin) - begin);
    const auto at = authority.rfind(L'@');
    if (at != std::wstring::npos) authority.erase(0, at + 1);
    // A port follows the last colon, unless that colon lies inside an IPv6 "[...]".
    const auto colon = authority.rfind(L':');
    const auto bracket = authority.rfind(L']');
    if (colon != std::wstring::npos && (bracket == std::wstring::npos || colon > bracket)) {
        authority.erase(colon);
    }
    return authority;
}

std::wstring OfError(std::uint32_t code, const std::wstring& url, bool bodyBegun) {
    if (IsHttpStatus(code)) return OfStatus(code - TC::kErrorHttpStatusBase);
    switch (code) {
        case TC::kErrorNameNotResolved:
            return DownloadTexts::NameNotResolved(HostOf(url));
        case TC::kErrorConnectionAborted:
        case TC::kErrorConnectionReset:
            if (bodyBegun) return std::wstring();
            [[fallthrough]];
        case TC::kErrorCannotConnect:
            return DownloadTexts::ConnectionRefused(HostOf(url));
        case TC::kErrorTimeout:
        case TC::kErrorInternetTimeout:
            return DownloadTexts::kTimedOut;
        case TC::kErrorCertificateAuthorityInvalid:
        case TC::kErrorCertificateErrors:
        case TC::kErrorCertificateRevoked:
        case TC::kErrorCertificateRevocationFailed:
            return DownloadTexts::CertificateUntrusted(HostOf(url));
        case TC::kErrorCertificateNameInvalid:
            return DownloadTexts::CertificateForOtherName(HostOf(url));
        case TC::kErrorCertificateDateInvalid:
            return DownloadTexts::CertificateOutOfDate(HostOf(url));
        case TC::kErrorSecureFailure:
            return DownloadTexts::SecureConnectionFailed(HostOf(url));
        case kErrorDiskFull:
        case kErrorHandleDiskFull:
            return DownloadTexts::kDiskFull;
        default:
            return std::wstring();
    }
}

bool IsDiskFull(std::uint32_t code) {
    return code == kErrorDiskFull || code == kErrorHandleDiskFull;
}

bool IsWebPage(const std::wstring& contentType, const std::string& firstBytes) {
    const std::wstring type = Text::ToLower(Text::TrimBlanks(contentType));
    // "text/html; charset=utf-8" is HTML as well.
    if (type.rfind(L"text/html", 0) == 0) return true;
    return firstBytes.size() >= 2 && firstBytes.compare(0, 2, "MZ") != 0;
}

}  // namespace DownloadCause
