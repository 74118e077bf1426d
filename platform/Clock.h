#pragma once
#include <cstdint>

// A monotonic clock in milliseconds. Code that paces what the window shows or
// decides when to look again takes one by reference, so that a test can say
// what "later" means instead of waiting for it.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since some fixed moment; never goes back.
    virtual std::uint64_t NowMs() const = 0;
};
