// WinInetTransferControl against tests/fixtures/server.py on 127.0.0.1, with
// Wine's own WinINet: every fault mode ends in its state, nothing hangs, and
// no request outlives Cancel or the control.
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

std::uint64_t Now() { return ::GetTickCount64(); }

// Handles the thread's messages for a while, as the wizard does between steps.
void PumpFor(unsigned milliseconds) {
    const std::uint64_t end = Now() + milliseconds;
    while (Now() < end) {
        PumpPendingMessages();
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, 0);
    }
}

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
            if (chunkSizes.empty()) firstChunkAt = Now();
            chunkSizes.push_back(chunk.size());
            if (keepBody) {
                body.append(chunk.begin(), chunk.end());
            } else {
                const std::string got(chunk.begin(), chunk.end());
                if (intact && got != ServerBytes(received, chunk.size())) {
                    intact = false;
                    firstDamage = received;
                }
            }
            received += chunk.size();
            if (chunk.size() < 4096 || chunkSizes.size() >= maxChunks) return;
        }
    }
    // Runs messages while the request lasts; false when it is still running
    // after the deadline.
    bool RunToEnd(TransferControl& control, unsigned deadlineMs = 20000) {
        const std::uint64_t end = Now() + deadlineMs;
        while (control.StillExecuting()) {
            PumpPendingMessages();
            if (Now() > end) return false;
        }
        return true;
    }
    void Download(TransferControl& control, const std::wstring& path) {
        Attach(control);
        control.Execute(server->Url(path), L"GET");
        EXPECT_TRUE(RunToEnd(control)) << Narrow(path);
    }

    static HttpTestServer* server;
    std::vector<int> states;
    std::vector<std::size_t> chunkSizes;
    std::string body;
    // Long bodies are checked chunk by chunk instead of kept.
    bool keepBody = true;
    bool intact = true;
    std::size_t firstDamage = 0;
    std::size_t received = 0;
    std::size_t maxChunks = static_cast<std::size_t>(-1);
    std::function<void()> beforeChunk;
    std::uint64_t firstChunkAt = 0;
};

HttpTestServer* TransferControlTest::server = nullptr;

TEST_F(TransferControlTest, BodyArrivesInChunksOfExactlyTheAskedSize) {
    WinInetTransferControl control;
    Download(control, L"/file/10000/ZelbarSetup.exe");
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_EQ(chunkSizes, (std::vector<std::size_t>{4096, 4096, 1808}));
    EXPECT_TRUE(body == ServerBytes(0, 10000)) << body.size();
    EXPECT_EQ(control.ResponseCode(), 0u);
    EXPECT_TRUE(control.GetChunk(4096).empty());
}

TEST_F(TransferControlTest, ChunkedBodyArrivesWhole) {
    WinInetTransferControl control;
    Download(control, L"/chunked/250000/ZelbarSetup.exe");
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_TRUE(body == ServerBytes(0, 250000)) << body.size();
}

TEST_F(TransferControlTest, ErrorStatusIsState11AndItsPageIsNeverHandedOut) {
    for (int status : {404, 500}) {
        states.clear();
        body.clear();
        WinInetTransferControl control;
        Download(control, L"/status/" + std::to_wstring(status) + L"/ZelbarSetup.exe");
        EXPECT_EQ(states, std::vector<int>{11}) << status;
        EXPECT_EQ(control.ResponseCode(), TransferControl::kErrorHttpStatusBase + status);
        EXPECT_TRUE(control.GetChunk(4096).empty());
    }
}

TEST_F(TransferControlTest, BrokenBodiesEndInState11AfterTheBytesThatCame) {
    for (const std::wstring path : {L"/reset/100000/30000/a.exe", L"/short/100000/30000/a.exe"}) {
        states.clear();
        body.clear();
        WinInetTransferControl control;
        Download(control, path);
        EXPECT_EQ(states, (std::vector<int>{12, 11})) << Narrow(path);
        EXPECT_NE(control.ResponseCode(), 0u);
        EXPECT_LE(body.size(), 30000u);
        EXPECT_TRUE(body == ServerBytes(0, body.size())) << body.size();
    }
}

TEST_F(TransferControlTest, BytesBeyondTheAnnouncedLengthAreNotTaken) {
    WinInetTransferControl control;
    Download(control, L"/long/5000/9000/a.exe");
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_EQ(body.size(), 5000u);
    EXPECT_TRUE(body == ServerBytes(0, 5000));
}

TEST_F(TransferControlTest, StallsEndWithTheTimeOutError) {
    for (const std::wstring path : {L"/stall/100000/5000/30/a.exe", L"/stallhead/30/a.exe"}) {
        states.clear();
        WinInetTransferControl control(kShortTimeoutMs);
        const std::uint64_t start = Now();
        Download(control, path);
        EXPECT_EQ(states.back(), TransferControl::kStateError) << Narrow(path);
        EXPECT_EQ(control.ResponseCode(), TransferControl::kErrorTimeout);
        EXPECT_LT(Now() - start, kShortTimeoutMs + 3000u);
    }
}

TEST_F(TransferControlTest, RefusedConnectionIsState11) {
    WinInetTransferControl control;
    Attach(control);
    control.Execute(UnreachableUrl(L"/a.exe"), L"GET");
    EXPECT_TRUE(RunToEnd(control));
    EXPECT_EQ(states, std::vector<int>{11});
    EXPECT_NE(control.ResponseCode(), 0u);
}

TEST_F(TransferControlTest, CancelStopsAStalledRequestAtOnceAndNoStateFollows) {
    WinInetTransferControl control;  // the product's 30 s time-out
    Attach(control);
    control.Execute(server->Url(L"/stallhead/60/a.exe"), L"GET");
    PumpFor(300);
    const std::uint64_t start = Now();
    control.Cancel();
    EXPECT_LT(Now() - start, 500u);
    EXPECT_FALSE(control.StillExecuting());
    PumpFor(300);
    EXPECT_TRUE(states.empty());
}

TEST_F(TransferControlTest, DestroyingTheControlEndsItsRequestAtOnce) {
    auto control = std::make_unique<WinInetTransferControl>();
    Attach(*control);
    control->Execute(server->Url(L"/stallhead/60/a.exe"), L"GET");
    PumpFor(300);
    const std::uint64_t start = Now();
    control.reset();
    EXPECT_LT(Now() - start, 500u);
    PumpFor(300);  // a late message for the destroyed control must go nowhere
}

TEST_F(TransferControlTest, ReaderThatStopsEarlyEndsTheRequestWithoutError) {
    WinInetTransferControl control;
    maxChunks = 1;
    const std::uint64_t start = Now();
    Download(control, L"/file/67108864/a.exe");
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_TRUE(body == ServerBytes(0, 4096)) << body.size();
    EXPECT_LT(Now() - start, 3000u);
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
    EXPECT_TRUE(intact) << "first damaged chunk at " << firstDamage;
    // The control's buffer and WinINet's, never a copy of the file.
    EXPECT_LT(peak - before, 24u * 1024 * 1024);
}

TEST_F(TransferControlTest, StateTwelveComesWhileTheBodyIsStillArriving) {
    WinInetTransferControl control;
    const std::uint64_t start = Now();
    Download(control, L"/drip/300000/200000/a.exe");  // 1.5 s of dripping
    EXPECT_EQ(states, std::vector<int>{12});
    EXPECT_TRUE(body == ServerBytes(0, 300000)) << body.size();
    EXPECT_LT(firstChunkAt - start, 700u);
    EXPECT_GT(Now() - start, 1200u);
}

TEST_F(TransferControlTest, OpenUrlReturnsTheAnswerAsTextOfTheAnsiCodePage) {
    WinInetTransferControl control;
    EXPECT_EQ(control.OpenURL(server->Url(L"/sizereply/1404?filename=x")), L"1404");
    EXPECT_EQ(control.OpenURL(server->Url(L"/sizereply/Gr%C3%B6%C3%9Fe?filename=x")), L"Größe");
    EXPECT_EQ(control.OpenURL(server->Url(L"/size?filename=http://h/file/2048/a.exe")), L"2048");
    EXPECT_FALSE(control.StillExecuting());
}

TEST_F(TransferControlTest, OpenUrlThrowsEveryFailureWithItsNumber) {
    const auto code = [](TransferControl& control, const std::wstring& url) -> std::uint32_t {
        try {
            control.OpenURL(url);
        } catch (const PlatformError& error) {
            return error.code();
        }
        return 0;
    };
    WinInetTransferControl control(kShortTimeoutMs);
    EXPECT_EQ(code(control, server->Url(L"/sizestatus/404?filename=x")),
              TransferControl::kErrorHttpStatusBase + 404);
    EXPECT_EQ(code(control, server->Url(L"/stallhead/30/size?filename=x")),
              TransferControl::kErrorTimeout);
    const std::uint32_t refused = code(control, UnreachableUrl(L"/size?filename=x"));
    EXPECT_NE(refused, 0u);
    EXPECT_NE(refused, TransferControl::kErrorTimeout);
    EXPECT_EQ(control.OpenURL(server->Url(L"/sizereply/7?filename=x")), L"7");
}

int timerTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++timerTicks; }

TEST_F(TransferControlTest, WindowMessagesAreHandledWhileOpenUrlWaits) {
    WinInetTransferControl control(kShortTimeoutMs);
    timerTicks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CountTick);
    EXPECT_THROW(control.OpenURL(server->Url(L"/stallhead/30/size?filename=x")), PlatformError);
    ::KillTimer(nullptr, timer);
    EXPECT_GE(timerTicks, 10);
}

TEST_F(TransferControlTest, SecondRequestWhileOneRunsIsRefused) {
    WinInetTransferControl control;
    control.Execute(server->Url(L"/stallhead/60/a.exe"), L"GET");
    try {
        control.Execute(server->Url(L"/file/10/a.exe"), L"GET");
        ADD_FAILURE() << "Execute did not refuse";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.code(), TransferControl::kErrorStillExecuting);
    }
    EXPECT_THROW(control.OpenURL(server->Url(L"/sizereply/1?filename=x")), PlatformError);
    control.Cancel();
    EXPECT_EQ(control.OpenURL(server->Url(L"/sizereply/1?filename=x")), L"1");
}

}  // namespace
