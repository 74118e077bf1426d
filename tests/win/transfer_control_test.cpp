// WinInetTransferControl against tests/fixtures/server.py on 127.0.0.1, with
// Wine's own WinINet: every fault mode ends in its state, nothing hangs, and
// no request outlives Cancel or the control. Nothing here is timed: a
// time-out is a short one given to the control, and "at once" means before
// the hang guard's generous cap.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "platform/MessageLoop_win.h"
#include "platform/PlatformError.h"
#include "platform/TransferControl_win.h"
#include "support/HttpTestServer.h"
#include "support/TestSupport.h"

#include <psapi.h>

using namespace wintest;

namespace {

constexpr std::uint32_t kShortTimeoutMs = 1500;
// Longer than any hang guard: a request that ends only by this time-out has hung.
constexpr std::uint32_t kEndlessTimeoutMs = 10 * 60 * 1000;

std::size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters.PrivateUsage;
}

class TransferControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new HttpTestServer(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    // A handler that records the states and, on 12, reads the body in chunks
    // of 4096 bytes as Web does, until a short chunk or until told to stop.
    void Attach(TransferControl& control) {
        control.SetStateHandler([this, &control](int state) {
            states.push_back(state);
            if (state == TransferControl::kStateResponseCompleted) Read(control);
        });
    }
    void Read(TransferControl& control) {
        for (;;) {
            if (beforeChunk) beforeChunk();
            const auto chunk = control.GetChunk(4096);
            chunkSizes.push_back(chunk.size());
            const std::string got(chunk.begin(), chunk.end());
            // Long bodies are checked chunk by chunk instead of kept.
            if (keepBody) body += got;
            if (intact && got != ServerBytes(received, chunk.size())) intact = false;
            received += chunk.size();
            if (chunk.size() < 4096 || chunkSizes.size() >= maxChunks) return;
        }
    }
    void Download(TransferControl& control, const std::wstring& path) {
        states.clear();
        chunkSizes.clear();
        body.clear();
        Attach(control);
        control.Execute(server->Url(path), L"GET");
        EXPECT_TRUE(PumpUntil([&] { return !control.StillExecuting(); })) << Narrow(path);
    }

    static HttpTestServer* server;
    std::vector<int> states;
    std::vector<std::size_t> chunkSizes;
    std::string body;
    bool keepBody = true;
    bool intact = true;
    std::size_t received = 0;
    std::size_t maxChunks = static_cast<std::size_t>(-1);
    std::function<void()> beforeChunk;
};

HttpTestServer* TransferControlTest::server = nullptr;

TEST_F(TransferControlTest, BodiesArriveWholeInChunksOfExactlyTheAskedSize) {
    WinInetTransferControl control;
    Download(control, L"/file/10000/ZelbarSetup.exe");
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_EQ(chunkSizes, (std::vector<std::size_t>{4096, 4096, 1808}));
    EXPECT_TRUE(body == ServerBytes(0, 10000)) << body.size();
    EXPECT_EQ(control.ResponseCode(), 0u);
    EXPECT_TRUE(control.GetChunk(4096).empty());

    Download(control, L"/chunked/250000/ZelbarSetup.exe");
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_TRUE(body == ServerBytes(0, 250000)) << body.size();
    // Bytes beyond the announced length are not taken.
    Download(control, L"/long/5000/9000/a.exe");
    EXPECT_TRUE(body == ServerBytes(0, 5000)) << body.size();
}

TEST_F(TransferControlTest, FailuresEndInState11WithOnlyTheBytesThatCame) {
    for (int status : {404, 500}) {
        WinInetTransferControl control;
        Download(control, L"/status/" + std::to_wstring(status) + L"/ZelbarSetup.exe");
        EXPECT_EQ(states, std::vector<int>{11}) << status;
        EXPECT_EQ(control.ResponseCode(), TransferControl::kErrorHttpStatusBase + status);
        EXPECT_TRUE(control.GetChunk(4096).empty()) << "the error page is never handed out";
    }
    for (const std::wstring path : {L"/reset/100000/30000/a.exe", L"/short/100000/30000/a.exe"}) {
        WinInetTransferControl control;
        Download(control, path);
        EXPECT_EQ(states, (std::vector<int>{12, 11})) << Narrow(path);
        EXPECT_NE(control.ResponseCode(), 0u);
        EXPECT_LE(body.size(), 30000u);
        EXPECT_TRUE(body == ServerBytes(0, body.size())) << body.size();
    }
    WinInetTransferControl control;
    Attach(control);
    states.clear();
    control.Execute(UnreachableUrl(L"/a.exe"), L"GET");
    EXPECT_TRUE(PumpUntil([&] { return !control.StillExecuting(); }));
    EXPECT_EQ(states, std::vector<int>{11});
    EXPECT_NE(control.ResponseCode(), 0u);
}

TEST_F(TransferControlTest, StallsEndWithTheTimeOutAndStateTwelveCameWithTheFirstBytes) {
    WinInetTransferControl control(kShortTimeoutMs);
    // The body stops after 5000 bytes: state 12 came before its end, which never comes.
    Download(control, L"/stall/100000/5000/30/a.exe");
    EXPECT_EQ(states, (std::vector<int>{12, 11}));
    EXPECT_TRUE(body == ServerBytes(0, 5000)) << body.size();
    EXPECT_EQ(control.ResponseCode(), TransferControl::kErrorTimeout);

    Download(control, L"/stallhead/30/a.exe");
    EXPECT_EQ(states, std::vector<int>{11});
    EXPECT_EQ(control.ResponseCode(), TransferControl::kErrorTimeout);
}

TEST_F(TransferControlTest, CancelAndDestroyEndAStalledRequestAtOnceAndNoStateFollows) {
    auto control = std::make_unique<WinInetTransferControl>(kEndlessTimeoutMs);
    Attach(*control);
    const auto execute = [&] {
        control->Execute(server->Url(L"/stallhead/600/a.exe"), L"GET");
        // Time for the request to reach the server's stall; the checks hold either way.
        PumpUntil([] { return false; }, 300);
    };
    execute();
    {
        HangGuard guard("Cancel");
        control->Cancel();
    }
    EXPECT_FALSE(control->StillExecuting());
    execute();
    {
        HangGuard guard("the control's destructor");
        control.reset();
    }
    // A late message for the cancelled or destroyed request must go nowhere.
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(states.empty());
}

TEST_F(TransferControlTest, AReaderThatStopsEarlyEndsTheRequestWithoutError) {
    WinInetTransferControl control(kEndlessTimeoutMs);
    maxChunks = 1;
    Download(control, L"/file/67108864/a.exe");
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_TRUE(body == ServerBytes(0, 4096)) << body.size();
}

TEST_F(TransferControlTest, MemoryStaysBoundedWhileTheReaderFallsBehind) {
    WinInetTransferControl control;
    keepBody = false;
    const std::size_t before = PrivateBytes();
    std::size_t peak = 0;
    beforeChunk = [&] {
        if (chunkSizes.size() == 1) ::Sleep(2000);  // the worker fills the buffer meanwhile
        if (chunkSizes.size() % 1024 == 1) peak = std::max(peak, PrivateBytes());
    };
    Download(control, L"/file/134217728/a.exe");
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_EQ(received, 134217728u);
    EXPECT_TRUE(intact);
    // The control's buffer and WinINet's, never a copy of the file.
    EXPECT_LT(peak - before, 24u * 1024 * 1024);
}

TEST_F(TransferControlTest, OpenUrlAnswersInTheAnsiCodePageOrThrowsTheFailuresNumber) {
    WinInetTransferControl control(kShortTimeoutMs);
    EXPECT_EQ(control.OpenURL(server->Url(L"/sizereply/Gr%C3%B6%C3%9Fe?filename=x")), L"Größe");
    EXPECT_EQ(control.OpenURL(server->Url(L"/size?filename=http://h/file/2048/a.exe")), L"2048");
    const auto code = [&](const std::wstring& url) {
        return ErrorOf([&] { control.OpenURL(url); }).code();
    };
    EXPECT_EQ(code(server->Url(L"/sizestatus/404?filename=x")),
              TransferControl::kErrorHttpStatusBase + 404);
    // While it waits, the window's messages are handled.
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0);
    EXPECT_EQ(code(server->Url(L"/stallhead/30/size?filename=x")), TransferControl::kErrorTimeout);
    MSG waiting;
    EXPECT_FALSE(::PeekMessageW(&waiting, nullptr, WM_APP, WM_APP, PM_REMOVE));
    const std::uint32_t refused = code(UnreachableUrl(L"/size?filename=x"));
    EXPECT_NE(refused, 0u);
    EXPECT_NE(refused, TransferControl::kErrorTimeout);
    EXPECT_FALSE(control.StillExecuting());
}

TEST_F(TransferControlTest, SecondRequestWhileOneRunsIsRefused) {
    WinInetTransferControl control;
    control.Execute(server->Url(L"/stallhead/60/a.exe"), L"GET");
    EXPECT_EQ(ErrorOf([&] { control.Execute(server->Url(L"/file/10/a.exe"), L"GET"); }).code(),
              TransferControl::kErrorStillExecuting);
    EXPECT_THROW(control.OpenURL(server->Url(L"/sizereply/1?filename=x")), PlatformError);
    control.Cancel();
    EXPECT_EQ(control.OpenURL(server->Url(L"/sizereply/1?filename=x")), L"1");
}

}  // namespace
