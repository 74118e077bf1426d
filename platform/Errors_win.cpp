#include "platform/Handles_win.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"

namespace {

std::wstring SystemMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

void ThrowError(unsigned long code, const std::wstring& whatFailed) {
    std::wstring message = whatFailed;
    const std::wstring system = SystemMessage(code);
    message += L" (Fehler " + Text::FromInt(static_cast<long long>(code));
    if (!system.empty()) message += L": " + system;
    message += L")";
    throw PlatformError(static_cast<std::uint32_t>(code), message);
}

void ThrowLastError(const std::wstring& whatFailed) {
    ThrowError(::GetLastError(), whatFailed);
}
