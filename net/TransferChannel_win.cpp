#include "net/TransferChannel_win.h"

#include <algorithm>
#include <utility>

namespace {

UniqueKernelHandle MakeEvent(bool manualReset) {
    UniqueKernelHandle event(::CreateEventW(nullptr, manualReset, FALSE, nullptr));
    if (!event) ThrowLastError(L"Die Übertragung konnte nicht vorbereitet werden");
    return event;
}

}  // namespace

TransferChannel::TransferChannel(std::size_t capacity)
    : ring_(capacity),
      data_(MakeEvent(false)),
      space_(MakeEvent(false)),
      abandon_(MakeEvent(true)) {}

bool TransferChannel::Push(const std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        bool wakeReader = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (abandoned_) return false;
            const std::size_t written = ring_.Write(data, count);
            data += written;
            count -= written;
            spaceWanted_ = count == 0 ? 0 : std::min(count, ring_.Capacity() / 4);
            if (dataWanted_ != 0 && ring_.Size() >= dataWanted_) {
                dataWanted_ = 0;
                wakeReader = true;
            }
        }
        if (wakeReader) ::SetEvent(data_.get());
        if (count > 0) {
            const HANDLE events[] = {abandon_.get(), space_.get()};
            ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        }
    }
    return !Abandoned();
}

void TransferChannel::Finish(std::uint32_t error) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
        error_ = error;
    }
    ::SetEvent(data_.get());
}

bool TransferChannel::Abandoned() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return abandoned_;
}

void TransferChannel::Describe(std::wstring validator, std::wstring contentType, bool restart) {
    std::lock_guard<std::mutex> lock(mutex_);
    reply_ = {std::move(validator), std::move(contentType)};
    if (!restart) return;
    ring_.Clear();
    ++body_;
}

TransferChannel::Reply TransferChannel::Described() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reply_;
}

TransferChannel::Taken TransferChannel::Take(std::uint8_t* out, std::size_t count) {
    Taken taken{0, 0};
    bool wakeWorker = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        taken = {ring_.Read(out, count), body_};
        if (spaceWanted_ != 0 && ring_.Free() >= spaceWanted_) {
            spaceWanted_ = 0;
            wakeWorker = true;
        }
    }
    if (wakeWorker) ::SetEvent(space_.get());
    return taken;
}

bool TransferChannel::WaitFor(std::size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (abandoned_ || finished_ || ring_.Size() >= count) return false;
    // The full buffer holds enough for any reader; asking for more would
    // never be answered.
    dataWanted_ = std::max<std::size_t>(1, std::min(count, ring_.Capacity()));
    return true;
}

bool TransferChannel::Drained() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return abandoned_ || (finished_ && ring_.Size() == 0);
}

bool TransferChannel::Finished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
}

std::uint32_t TransferChannel::Error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

void TransferChannel::Abandon() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        abandoned_ = true;
        ring_.Clear();
    }
    ::SetEvent(abandon_.get());
    ::SetEvent(data_.get());
}
