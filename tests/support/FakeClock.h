#pragma once
#include <cstdint>

#include "platform/Clock.h"

// A clock that only moves when the test moves it.
class FakeClock : public Clock {
public:
    std::uint64_t NowMs() const override { return now_; }
    void Advance(std::uint64_t milliseconds) { now_ += milliseconds; }

private:
    std::uint64_t now_ = 1000;
};
