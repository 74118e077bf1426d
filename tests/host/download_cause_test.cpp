#include "download/DownloadCause.h"

#include <gtest/gtest.h>

#include "download/DownloadTexts.h"
#include "net/TransferControl.h"
#include "platform/Text.h"

namespace {

using TC = TransferControl;

TEST(DownloadCauseTest, EveryKnownErrorNumberNamesItsCauseAndTheFailingHost) {
    const std::wstring url = L" https://anna@dl.zelbar.de:8443/setup/Zelbar.exe ";
    const std::wstring host = L"dl.zelbar.de";
    const std::pair<std::uint32_t, std::wstring> cases[] = {
        {TC::kErrorNameNotResolved, DownloadTexts::NameNotResolved(host)},
        {TC::kErrorCannotConnect, DownloadTexts::ConnectionRefused(host)},
        {TC::kErrorConnectionAborted, DownloadTexts::ConnectionRefused(host)},
        {TC::kErrorConnectionReset, DownloadTexts::ConnectionRefused(host)},
        {TC::kErrorTimeout, DownloadTexts::kTimedOut},
        {TC::kErrorInternetTimeout, DownloadTexts::kTimedOut},
        {TC::kErrorHttpStatusBase + 410, L"Der Server meldet den HTTP-Status 410."},
        {TC::kErrorHttpStatusBase + 407, DownloadTexts::kProxyLogin},
        {TC::kErrorCertificateAuthorityInvalid, DownloadTexts::CertificateUntrusted(host)},
        {TC::kErrorCertificateErrors, DownloadTexts::CertificateUntrusted(host)},
        {TC::kErrorCertificateRevoked, DownloadTexts::CertificateUntrusted(host)},
        {TC::kErrorCertificateRevocationFailed, DownloadTexts::CertificateUntrusted(host)},
        {TC::kErrorCertificateNameInvalid, DownloadTexts::CertificateForOtherName(host)},
        {TC::kErrorCertificateDateInvalid, DownloadTexts::CertificateOutOfDate(host)},
        {TC::kErrorSecureFailure, DownloadTexts::SecureConnectionFailed(host)},
        {112, DownloadTexts::kDiskFull},
        {39, DownloadTexts::kDiskFull},
        // Numbers the user cannot act on keep the general text.
        {995, L""},
        {TC::kErrorHttpStatusBase, L""},
        {TC::kErrorHttpStatusBase + 1000, L""}};
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(DownloadCause::OfError(code, url, false), text) << code;
    }
    EXPECT_NE(DownloadTexts::HttpStatus(599).find(L"599: Auf dem Server"), std::wstring::npos);
    // A connection that broke within the body is judged by what arrived.
    EXPECT_EQ(DownloadCause::OfError(TC::kErrorConnectionReset, url, true), L"");
    EXPECT_EQ(DownloadCause::OfError(TC::kErrorCannotConnect, url, true),
              DownloadTexts::ConnectionRefused(host));
    EXPECT_TRUE(DownloadCause::IsDiskFull(112) && DownloadCause::IsDiskFull(39));
    EXPECT_FALSE(DownloadCause::IsDiskFull(28));

    for (const auto& [address, name] :
         {std::pair{L"http://127.0.0.1/size?filename=http://x/a.exe", L"127.0.0.1"},
          {L"http://[::1]:8080/a.exe", L"[::1]"},
          {L"dl.zelbar.de#top", L"dl.zelbar.de"}}) {
        EXPECT_EQ(DownloadCause::HostOf(address), name);
    }
}

TEST(DownloadCauseTest, HtmlOrAFileThatDoesNotBeginAsAProgramIsAWebPage) {
    EXPECT_TRUE(DownloadCause::IsWebPage(L"Text/HTML; charset=utf-8", "MZ"));
    EXPECT_TRUE(DownloadCause::IsWebPage(L"application/octet-stream", "<!"));
    EXPECT_FALSE(DownloadCause::IsWebPage(L"application/x-msdownload", "MZ"));
    // Too little arrived to tell.
    EXPECT_FALSE(DownloadCause::IsWebPage(L"", "<"));
}

}  // namespace
