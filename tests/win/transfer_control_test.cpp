// WinInetTransferControl and Wine's WinINet against tests/fixtures/server.py, over HTTP and over
// HTTPS with the certificates of make-certs; the system's proxy is the e2e road's (its log).
// Nothing is timed: a time-out is a short one given to the control; "at once" is within a hang
// guard's cap.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

#include "net/TransferControl_win.h"
#include "platform/Shell_win.h"
#include "support/HttpTestServer.h"
#include "support/TestSupport.h"
#include "ui/MessageLoop_win.h"

#include <psapi.h>

using namespace wintest;

namespace {

constexpr std::uint32_t kShortTimeoutMs = 1500;
// Longer than any hang guard: a request that ends only by this time-out has hung.
constexpr std::uint32_t kEndlessTimeoutMs = 10 * 60 * 1000;
constexpr std::uint32_t kShortPauseMs = 10;

const std::string kCerts = ZELBAR_BINARY_DIR "/tests/fixtures/trust_cert/certs/";
// The server's TLS ports, in the order of their certificates in SetUpTestSuite.
enum Tls : std::size_t { kTrusted, kUntrusted, kWrongHost, kExpired };

std::string ServerBytes(std::size_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>((offset + i) % 251);
    return bytes;
}

std::size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters.PrivateUsage;
}

class TransferControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Trusted as a company's own authority is; the other one never is.
        const std::wstring trust = QuoteArgument(FixtureExe(L"trust_cert")) + L" " +
                                   QuoteArgument(WinPath(kCerts + "ca.der"));
        ASSERT_EQ(WinShell().Run(trust, WindowStyle::Hidden, true), 0u);
        std::wstring tls;
        for (const char* cert : {"localhost", "untrusted", "wronghost", "expired"}) {
            tls += L" --tls " + QuoteArgument(Text::FromUtf8(kCerts + cert + ".pem")) + L" " +
                   QuoteArgument(Text::FromUtf8(kCerts + "server.key"));
        }
        server = new HttpTestServer(tls);
    }
    static void TearDownTestSuite() { delete server; }
    static std::wstring Url(const std::wstring& path) { return server->Url(path); }

    // Records the states and, on 12, reads the body as Web does: chunks of 4096
    // bytes until a short one, or `maxChunks`; bytes are checked, not kept. A
    // body that starts over is checked against the pattern from `newShift` on.
    void Download(TransferControl& control, const std::wstring& url,
                  std::size_t maxChunks = SIZE_MAX) {
        states.clear();
        chunks = 0;
        received = std::exchange(startAt, 0);
        restarts = 0;
        shift = 0;
        intact = true;
        control.SetStateHandler([this, &control, maxChunks](int state) {
            states.push_back(state);
            // As Web does: the failure abandons what is left.
            if (state == TransferControl::kStateError) control.Cancel();
            while (state == TransferControl::kStateResponseCompleted && chunks < maxChunks) {
                PumpPendingMessages();  // Web yields before every chunk
                if (beforeChunk) beforeChunk();
                const auto chunk = control.GetChunk(4096);
                ++chunks;
                if (control.BodyRestarted()) {
                    ++restarts;
                    received = 0;
                    shift = newShift;
                }
                intact = intact && std::string(chunk.begin(), chunk.end()) ==
                                       ServerBytes(shift + received, chunk.size());
                received += chunk.size();
                if (chunk.size() < 4096) return;
            }
        });
        control.Execute(url, L"GET");
        EXPECT_TRUE(PumpUntil([&] { return !control.StillExecuting(); })) << Narrow(url);
        EXPECT_TRUE(intact) << Narrow(url);
    }

    static inline HttpTestServer* server = nullptr;
    std::vector<int> states;
    std::size_t chunks = 0;
    std::size_t received = 0, startAt = 0, shift = 0, newShift = 0;
    int restarts = 0;
    bool intact = true;
    std::function<void()> beforeChunk;
};

TEST_F(TransferControlTest, BodiesArriveWholeInChunksOfExactlyTheAskedSize) {
    WinInetTransferControl control;
    Download(control, Url(L"/file/10000/ZelbarSetup.exe"));
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_EQ(chunks, 3u);  // 4096, 4096 and the short last one
    EXPECT_EQ(received, 10000u);
    Download(control, Url(L"/chunked/250000/ZelbarSetup.exe"));
    EXPECT_EQ(received, 250000u);
    // Bytes beyond the announced length are not taken.
    Download(control, Url(L"/long/5000/9000/a.exe"));
    EXPECT_EQ(received, 5000u);
    // A reader that stops early ends the request without error.
    Download(control, Url(L"/file/67108864/a.exe"), 1);
    EXPECT_EQ(states, std::vector<int>{12});
}

TEST_F(TransferControlTest, FailuresAndStallsEndInState11WithOnlyTheBytesThatCame) {
    WinInetTransferControl control(kShortTimeoutMs, 0);
    for (const std::wstring path :
         {L"/cut/1750000r/file/3500000/a.exe", L"/cut/1750000/file/3500000/a.exe"}) {
        Download(control, Url(path));
        EXPECT_EQ(states, (std::vector<int>{12, 11})) << Narrow(path);
        EXPECT_NE(control.ResponseCode(), 0u);
        EXPECT_EQ(received, 1750000u) << "every byte that came is handed out before the failure";
    }
    Download(control, Url(L"/stall/100000/5000/30/a.exe"));
    EXPECT_EQ(states, (std::vector<int>{12, 11}));
    EXPECT_EQ(received, 5000u);
    EXPECT_EQ(control.ResponseCode(), TransferControl::kErrorTimeout);
    Download(control, Url(L"/stallhead/30/a.exe"));
    EXPECT_EQ(states, std::vector<int>{11});
    EXPECT_EQ(control.ResponseCode(), TransferControl::kErrorTimeout);
}

TEST_F(TransferControlTest, BrokenBodiesResumeOrStartOverAndEndWithTheNewestSourcesBytes) {
    WinInetTransferControl control(kShortTimeoutMs, 3, kShortPauseMs);
    const struct {
        const wchar_t* path;
        int restarts;
        std::size_t newShift;
    } cases[] = {
        // Cut before the first byte, in the middle with a reset, before the last byte.
        {L"/cut/0,50000r,99999/file/100000/resume.exe", 0, 0},
        {L"/cut/40000/norange/file/100000/norange.exe", 1, 0},
        {L"/cut/40000/changing/file/100000/changing.exe", 1, 1},  // a new file on every request
    };
    for (const auto& c : cases) {
        newShift = c.newShift;
        Download(control, Url(c.path));
        EXPECT_EQ(states, std::vector<int>{12}) << Narrow(c.path);
        EXPECT_EQ(received, 100000u) << Narrow(c.path);
        EXPECT_EQ(restarts, c.restarts) << Narrow(c.path);
    }
    EXPECT_EQ(control.Validator(), L"\"p100000-1\"");
    EXPECT_EQ(control.ContentType(), L"application/octet-stream");
    // A later attempt goes on from the caller's bytes while the file is the same.
    newShift = 0;
    for (const std::wstring validator : {L"\"p100000-0\"", L"\"older\""}) {
        startAt = 60000;
        control.ResumeFrom(60000, validator);
        Download(control, Url(L"/file/100000/resume.exe"));
        EXPECT_EQ(received, 100000u);
        EXPECT_EQ(restarts, validator == L"\"older\"" ? 1 : 0);
    }
}

TEST_F(TransferControlTest, CancelAndDestroyEndAStalledRequestAtOnceAndNoStateFollows) {
    auto control = std::make_unique<WinInetTransferControl>(kEndlessTimeoutMs);
    control->SetStateHandler([&](int state) { states.push_back(state); });
    const auto stall = [&] {
        control->Execute(Url(L"/stallhead/600/a.exe"), L"GET");
        // Time for the request to reach the server's stall; the checks hold either way.
        PumpUntil([] { return false; }, 300);
    };
    stall();
    EXPECT_EQ(ErrorOf([&] { control->Execute(Url(L"/file/10/a.exe"), L"GET"); }).code(),
              TransferControl::kErrorStillExecuting);
    {
        HangGuard guard("Cancel");
        control->Cancel();
    }
    EXPECT_FALSE(control->StillExecuting());
    stall();
    {
        HangGuard guard("the control's destructor");
        control.reset();
    }
    // A late message for the cancelled or destroyed request must go nowhere.
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(states.empty());
    // Leaving the body unread cancels it during the pause before another attempt.
    WinInetTransferControl pausing(kShortTimeoutMs, 3, kEndlessTimeoutMs);
    beforeChunk = [] { PumpUntil([] { return false; }, 300); };
    {
        HangGuard guard("a cancel during a pause");
        Download(pausing, Url(L"/cut/8192/file/100000/pause.exe"), 1);
    }
}

TEST_F(TransferControlTest, MemoryStaysBoundedWhileTheReaderFallsBehind) {
    WinInetTransferControl control;
    const std::size_t before = PrivateBytes();
    std::size_t peak = 0;
    beforeChunk = [&] {
        if (chunks == 1) ::Sleep(2000);  // the worker fills the buffer meanwhile
        if (chunks % 1024 == 1) peak = std::max(peak, PrivateBytes());
    };
    Download(control, Url(L"/file/134217728/a.exe"));
    EXPECT_EQ(received, 134217728u);
    // The control's buffer and WinINet's, never a copy of the file.
    EXPECT_LT(peak - before, 24u * 1024 * 1024);
}

TEST_F(TransferControlTest, OpenUrlAnswersInTheAnsiCodePageOrThrowsTheFailuresNumber) {
    WinInetTransferControl control(kShortTimeoutMs);
    EXPECT_EQ(control.OpenURL(Url(L"/sizereply/Gr%C3%B6%C3%9Fe?filename=x")), L"Größe");
    // While it waits, the window's messages are handled.
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0);
    EXPECT_EQ(ErrorOf([&] { control.OpenURL(Url(L"/stallhead/30/size?filename=x")); }).code(),
              TransferControl::kErrorTimeout);
    MSG waiting;
    EXPECT_FALSE(::PeekMessageW(&waiting, nullptr, WM_APP, WM_APP, PM_REMOVE));
}

TEST_F(TransferControlTest, HttpsFromATrustedServerArrivesAndFailuresBeforeTheBodyAreNamed) {
    WinInetTransferControl control;
    Download(control, server->SecureUrl(kTrusted, L"/file/300000/ZelbarSetup.exe"));
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_EQ(received, 300000u);
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
    for (const auto& [url, error] : failures) {
        Download(control, url);
        EXPECT_EQ(states, std::vector<int>{11}) << Narrow(url);
        EXPECT_EQ(control.ResponseCode(), error) << Narrow(url);
        EXPECT_EQ(received, 0u) << Narrow(url);
        EXPECT_EQ(ErrorOf([&] { control.OpenURL(url); }).code(), error) << Narrow(url);
    }
}

}  // namespace
