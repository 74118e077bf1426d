// Prints the cost of WinUi::DoEvents with an empty queue, of the message pump
// alone on an empty queue, and of DoEvents handling one posted message.
#include <chrono>
#include <cstdio>

#include "ui/MessageLoop_win.h"
#include "ui/Ui_win.h"

namespace {

template <typename F>
double MicrosecondsPerCall(int calls, F&& f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) f();
    const std::chrono::duration<double, std::micro> spent =
        std::chrono::steady_clock::now() - start;
    return spent.count() / calls;
}

}  // namespace

int main() {
    WinUi ui;
    HWND window = ::CreateWindowExW(0, L"STATIC", L"bench", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
    const int calls = 20000;
    std::printf("DoEvents, empty queue:           %8.2f us per call\n",
                MicrosecondsPerCall(calls, [&] { ui.DoEvents(); }));
    std::printf("PumpPendingMessages, empty queue: %8.2f us per call\n",
                MicrosecondsPerCall(calls, [] { PumpPendingMessages(); }));
    std::printf("DoEvents, one posted message:    %8.2f us per call\n",
                MicrosecondsPerCall(calls, [&] {
                    ::PostMessageW(window, WM_NULL, 0, 0);
                    ui.DoEvents();
                }));
    ::DestroyWindow(window);
    return 0;
}
