#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "net/ByteRing.h"
#include "platform/Handles_win.h"

// What one request's worker thread and the UI thread share: the bounded
// buffer of received bytes, the end of the body with its error number, and
// the abandon signal. The worker blocks while the buffer is full; the UI
// thread waits on DataEvent for more bytes. Every wait is on an event, never
// a spin.
class TransferChannel {
public:
    explicit TransferChannel(std::size_t capacity);
    TransferChannel(const TransferChannel&) = delete;
    TransferChannel& operator=(const TransferChannel&) = delete;

    // Worker side. Push blocks until everything is in the buffer; it returns
    // false at once when the request has been abandoned.
    bool Push(const std::uint8_t* data, std::size_t count);
    // The body ended: completely (error 0) or with the error number.
    void Finish(std::uint32_t error);
    bool Abandoned() const;
    // Signalled (and left signalled) by Abandon.
    HANDLE AbandonEvent() const { return abandon_.get(); }
    // The reply that carries the body, for the UI thread to read. With
    // `restart` the body begins anew at byte 0: unread bytes of the old one
    // are dropped, and what is taken from now on carries the next body number.
    // Both at once, so that a reader who sees the new body finds its reply,
    // whose validator names the bytes it writes.
    void Describe(std::wstring validator, std::wstring contentType, bool restart = false);

    struct Taken {
        std::size_t count;
        // Counts the restarts before these bytes; the reader never joins
        // bytes of two bodies.
        unsigned body;
    };
    struct Reply {
        std::wstring validator;
        std::wstring contentType;
    };

    // UI side. Take copies what is there, up to count bytes.
    Taken Take(std::uint8_t* out, std::size_t count);
    Reply Described() const;
    // Asks for DataEvent once `count` bytes are there (or the body ended, or
    // it was abandoned). Returns false when that is so already: no wait.
    // Until then the worker's smaller pieces wake nobody; every wake-up of
    // the UI thread costs trips to the system, many a second on a slow line.
    bool WaitFor(std::size_t count);
    // Nothing more will come: the body ended and was taken, or it was abandoned.
    bool Drained() const;
    bool Finished() const;
    std::uint32_t Error() const;
    // Signalled when the bytes asked for with WaitFor are there, the body
    // ends or the request is abandoned.
    HANDLE DataEvent() const { return data_.get(); }
    // Drops the buffer and releases a waiting worker; nothing more is delivered.
    void Abandon();

private:
    mutable std::mutex mutex_;
    ByteRing ring_;
    bool finished_ = false;
    bool abandoned_ = false;
    std::uint32_t error_ = 0;
    unsigned body_ = 0;
    Reply reply_;
    // The free space the blocked worker waits for; 0 when it does not wait.
    // Waking it only for a good part of the buffer keeps it from being woken
    // for every chunk taken.
    std::size_t spaceWanted_ = 0;
    // The bytes the waiting UI thread asked for; 0 when it does not wait.
    std::size_t dataWanted_ = 0;
    UniqueKernelHandle data_;
    UniqueKernelHandle space_;
    UniqueKernelHandle abandon_;
};
