#include "platform/Clock_win.h"

#include "platform/WinApi.h"

namespace {

std::int64_t Frequency() {
    static const std::int64_t frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    return frequency;
}

}  // namespace

std::uint64_t WinClock::NowMs() const {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    const std::int64_t frequency = Frequency();
    // Whole seconds and the rest apart, so that no product overflows after a long uptime.
    return static_cast<std::uint64_t>(now.QuadPart / frequency * 1000 +
                                      now.QuadPart % frequency * 1000 / frequency);
}

const Clock& SystemClock() {
    static const WinClock clock;
    return clock;
}
