#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

// The one exception type for failing platform calls. It carries the Windows
// error code (or HRESULT, or the transfer control's own error number) and a
// German description of what failed, ready to be shown to the user.
class PlatformError : public std::runtime_error {
public:
    PlatformError(std::uint32_t code, std::wstring message);

    std::uint32_t code() const { return code_; }
    const std::wstring& message() const { return message_; }

private:
    std::uint32_t code_;
    std::wstring message_;
};

// What the exception being handled says, for the detail line of an error
// message: a platform error's German text, another error's message, or
// nothing for an exception that carries none. Call it only inside a catch.
std::wstring DescribeCurrentException();
