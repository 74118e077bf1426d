// WinInetTransferControl over HTTPS and through the system's proxy: Wine's WinINet
// against tests/fixtures/server.py with the certificates of make-certs, and proxy.py.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "platform/Shell_win.h"
#include "platform/TransferControl_win.h"
#include "support/HttpTestServer.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

const std::string kCerts = ZELBAR_BINARY_DIR "/tests/fixtures/trust_cert/certs/";
// The server's TLS ports, in the order of their certificates in TlsArguments.
enum Tls : std::size_t { kTrusted, kUntrusted, kWrongHost, kExpired };

std::wstring TlsArguments() {
    std::wstring arguments;
    for (const char* cert : {"localhost", "untrusted", "wronghost", "expired"}) {
        arguments += L" --tls " + QuoteArgument(Text::FromUtf8(kCerts + cert + ".pem")) + L" " +
                     QuoteArgument(Text::FromUtf8(kCerts + "server.key"));
    }
    return arguments;
}

std::string Pattern(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

// A proxy in the user's Internet settings, as a company network has it; what was
// there before comes back, for all Wine tests share one sandbox.
class SystemProxy {
public:
    explicit SystemProxy(unsigned short port) {
        const std::wstring server = L"127.0.0.1:" + std::to_wstring(port);
        const DWORD enable = 1;
        Set(L"ProxyServer", REG_SZ, server.c_str(), (server.size() + 1) * sizeof(wchar_t));
        Set(L"ProxyEnable", REG_DWORD, &enable, sizeof enable);
    }
    ~SystemProxy() {
        for (const auto& [name, type, data] : before_) {
            if (type == REG_NONE) ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, name);
            if (type != REG_NONE) Write(name, type, data.data(), data.size());
        }
    }

private:
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    static void Write(const wchar_t* name, DWORD type, const void* data, std::size_t size) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, type, data, static_cast<DWORD>(size));
    }
    void Set(const wchar_t* name, DWORD type, const void* data, std::size_t size) {
        DWORD oldType = REG_NONE;
        DWORD oldSize = 0;
        ::RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, nullptr, nullptr, &oldSize);
        std::vector<BYTE> old(oldSize);
        if (::RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &oldType, old.data(),
                           &oldSize) != ERROR_SUCCESS) {
            oldType = REG_NONE;
        }
        before_.push_back({name, oldType, old});
        Write(name, type, data, size);
    }
    std::vector<std::tuple<const wchar_t*, DWORD, std::vector<BYTE>>> before_;
};

class TransferNetworkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Trusted as a company's own authority is; the other one never is.
        WinShell shell;
        const std::wstring trust = QuoteArgument(FixtureExe(L"trust_cert")) + L" " +
                                   QuoteArgument(WinPath(kCerts + "ca.der"));
        ASSERT_EQ(shell.Run(trust, WindowStyle::Hidden, true), 0u);
        server = new HttpTestServer(TlsArguments());
    }
    static void TearDownTestSuite() { delete server; }

    // The states of one download; the body handed out is kept in `body`.
    std::vector<int> Download(TransferControl& control, const std::wstring& url) {
        std::vector<int> states;
        body.clear();
        control.SetStateHandler([&](int state) {
            states.push_back(state);
            while (state == TransferControl::kStateResponseCompleted) {
                const auto chunk = control.GetChunk(4096);
                body.append(chunk.begin(), chunk.end());
                if (chunk.size() < 4096) break;
            }
        });
        control.Execute(url, L"GET");
        EXPECT_TRUE(PumpUntil([&] { return !control.StillExecuting(); })) << Narrow(url);
        return states;
    }

    static inline HttpTestServer* server = nullptr;
    std::string body;
};

TEST_F(TransferNetworkTest, HttpsFromATrustedServerArrivesByteForByte) {
    WinInetTransferControl control;
    EXPECT_EQ(Download(control, server->SecureUrl(kTrusted, L"/file/300000/ZelbarSetup.exe")),
              std::vector<int>{12});
    EXPECT_EQ(body, Pattern(300000));
    EXPECT_EQ(control.OpenURL(server->SecureUrl(kTrusted, L"/size?filename=/file/1234/a.exe")),
              L"1234");
}

TEST_F(TransferNetworkTest, FailuresBeforeTheBodyAreNamedAndDeliverNothing) {
    const std::pair<std::wstring, std::uint32_t> failures[] = {
        {server->SecureUrl(kUntrusted, L"/file/1000/a.exe"),
         TransferControl::kErrorCertificateRevocationFailed},
        {server->SecureUrl(kWrongHost, L"/file/1000/a.exe"),
         TransferControl::kErrorCertificateNameInvalid},
        {server->SecureUrl(kExpired, L"/file/1000/a.exe"),
         TransferControl::kErrorCertificateDateInvalid},
        // Nothing listens on port 1.
        {L"http://127.0.0.1:1/a.exe", TransferControl::kErrorCannotConnect},
    };
    WinInetTransferControl control;
    for (const auto& [url, error] : failures) {
        EXPECT_EQ(Download(control, url), std::vector<int>{11}) << Narrow(url);
        EXPECT_EQ(control.ResponseCode(), error) << Narrow(url);
        EXPECT_TRUE(body.empty()) << Narrow(url);
        EXPECT_EQ(ErrorOf([&] { control.OpenURL(url); }).code(), error) << Narrow(url);
    }
}

TEST_F(TransferNetworkTest, TheSystemProxyCarriesTheDownloadAndItsRefusalIsStatus407) {
    const std::string log =
        ZELBAR_BINARY_DIR "/proxy-" + std::to_string(::GetCurrentProcessId()) + ".log";
    const std::wstring url = server->Url(L"/file/200000/ZelbarSetup.exe");
    WinInetTransferControl control;
    {
        HttpTestServer proxy(L"--log " + QuoteArgument(Text::FromUtf8(log)), "proxy.py");
        SystemProxy setting(proxy.Port());
        EXPECT_EQ(Download(control, url), std::vector<int>{12});
        EXPECT_EQ(body, Pattern(200000));
    }
    EXPECT_EQ(ReadBytes(WinPath(log)), "GET " + Narrow(url) + "\n");
    HttpTestServer refusing(L"--refuse --log " + QuoteArgument(Text::FromUtf8(log)), "proxy.py");
    SystemProxy setting(refusing.Port());
    EXPECT_EQ(Download(control, url), std::vector<int>{11});
    EXPECT_EQ(control.ResponseCode(), TransferControl::kErrorHttpStatusBase + 407);
    ::DeleteFileW(WinPath(log).c_str());
}

}  // namespace
