#include "net/ByteRing.h"

#include <algorithm>
#include <cstring>

ByteRing::ByteRing(std::size_t capacity) : buffer_(capacity) {}

std::size_t ByteRing::Write(const std::uint8_t* data, std::size_t count) {
    const std::size_t total = std::min(count, Free());
    std::size_t done = 0;
    while (done < total) {
        const std::size_t tail = (head_ + size_) % buffer_.size();
        const std::size_t run = std::min(total - done, buffer_.size() - tail);
        std::memcpy(buffer_.data() + tail, data + done, run);
        size_ += run;
        done += run;
    }
    return total;
}

std::size_t ByteRing::Read(std::uint8_t* out, std::size_t count) {
    const std::size_t total = std::min(count, size_);
    std::size_t done = 0;
    while (done < total) {
        const std::size_t run = std::min(total - done, buffer_.size() - head_);
        std::memcpy(out + done, buffer_.data() + head_, run);
        head_ = (head_ + run) % buffer_.size();
        size_ -= run;
        done += run;
    }
    if (size_ == 0) head_ = 0;
    return total;
}

void ByteRing::Clear() {
    head_ = 0;
    size_ = 0;
}
