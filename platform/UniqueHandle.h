#pragma once
#include <utility>

// One move-only owner for every kind of handle, parameterised by how the
// handle is closed and which value means "none" (INVALID_HANDLE_VALUE for
// files, nullptr for almost everything else).
template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }

    T release() {
        T value = value_;
        value_ = Traits::Invalid();
        return value;
    }
    void reset(T value = Traits::Invalid()) {
        if (value_ != Traits::Invalid()) Traits::Close(value_);
        value_ = value;
    }
    // For APIs that return a handle through an output pointer.
    T* put() {
        reset();
        return &value_;
    }

private:
    T value_ = Traits::Invalid();
};
