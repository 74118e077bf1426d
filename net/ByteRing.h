#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A queue of bytes of fixed capacity: what the transfer control's worker has
// received and the UI thread has not yet taken. Memory stays at the capacity
// whatever the size of the body. Not synchronised; the owner locks.
class ByteRing {
public:
    explicit ByteRing(std::size_t capacity);

    std::size_t Capacity() const { return buffer_.size(); }
    std::size_t Size() const { return size_; }
    std::size_t Free() const { return buffer_.size() - size_; }

    // Appends as much as fits; returns how much that was.
    std::size_t Write(const std::uint8_t* data, std::size_t count);
    // Removes up to count bytes from the front into out; returns how many.
    std::size_t Read(std::uint8_t* out, std::size_t count);
    void Clear();

private:
    std::vector<std::uint8_t> buffer_;
    std::size_t head_ = 0;  // index of the oldest byte
    std::size_t size_ = 0;
};
