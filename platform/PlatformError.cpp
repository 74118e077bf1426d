#include "platform/PlatformError.h"

#include "platform/Text.h"

PlatformError::PlatformError(std::uint32_t code, std::wstring message)
    : std::runtime_error(Text::ToUtf8(message)), code_(code), message_(std::move(message)) {}

std::wstring DescribeCurrentException() {
    try {
        throw;
    } catch (const PlatformError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return Text::FromUtf8(e.what());
    } catch (...) {
        return std::wstring();
    }
}
