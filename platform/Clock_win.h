#pragma once
#include "platform/Clock.h"

// The performance counter. DoEvents reads the clock tens of thousands of
// times a second during a download; this counter is read without a trip to
// the system's server.
class WinClock : public Clock {
public:
    std::uint64_t NowMs() const override;
};

// The clock of the program, for the windows and services that are given no other.
const Clock& SystemClock();
