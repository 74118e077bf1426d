#include "platform/Path.h"

namespace Path {
namespace {

bool EndsWithSeparator(const std::wstring& path) {
    return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

}  // namespace

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    return WithTrailingBackslash(folder) + name;
}

std::wstring WithTrailingBackslash(const std::wstring& path) {
    return EndsWithSeparator(path) ? path : path + L"\\";
}

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
    if (path.size() == 2 && path[1] == L':') return path + L"\\";
    std::wstring out = path;
    while (out.size() > 1 && out.back() == L'\\' && !IsDriveRoot(out)) out.pop_back();
    return out;
}

std::wstring StripTrailingBackslashes(const std::wstring& path) {
    const auto last = path.find_last_not_of(L'\\');
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

bool IsDriveRoot(const std::wstring& path) {
    return path.size() == 3 && path[1] == L':' && path[2] == L'\\';
}

std::wstring DriveRoot(const std::wstring& drive) {
    return drive.substr(0, 1) + L":\\";
}

std::wstring Name(const std::wstring& path) {
    const auto slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace Path
