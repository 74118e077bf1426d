#include "platform/PlatformError.h"

#include "platform/Text.h"

PlatformError::PlatformError(std::uint32_t code, std::wstring message)
    : std::runtime_error(Text::ToUtf8(message)), code_(code), message_(std::move(message)) {}
