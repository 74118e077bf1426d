#include "folderchooser/FolderChoice.h"

#include "platform/Path.h"
#include "platform/Text.h"

namespace FolderChoice {
namespace {

// The fixed parts of the start command: two quotes around the Access path,
// the data file and the workgroup file names, the two switches, and four
// more quotes around the two file paths.
const std::size_t kFixedParts =
    2 + std::wstring(L"Zelbar.mdb").size() + std::wstring(L"Zelbar.mdw").size() +
    std::wstring(L"/wrkgrp").size() + std::wstring(L"/user UserZelbar").size() + 4;

bool StartsWithTwoBackslashes(const std::wstring& path) {
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
}

}  // namespace

std::size_t Utf16Length(const std::wstring& text) {
    return Text::ToUtf16(text).size();
}

std::size_t ProgramPathLength(const std::wstring& accessPath, const std::wstring& folder) {
    return Utf16Length(accessPath) + 2 * Utf16Length(folder) + kFixedParts;
}

bool ProgramPathTooLong(const std::wstring& accessPath, const std::wstring& folder) {
    return ProgramPathLength(accessPath, folder) > kMaxProgramPath;
}

bool IsDriveRoot(const std::wstring& folder, const std::wstring& driveEntry) {
    return Text::EqualsNoCase(Path::WithTrailingBackslash(folder), Path::DriveRoot(driveEntry));
}

std::wstring DriveEntry(const std::wstring& drivePath, const std::wstring& label) {
    const std::wstring letter = Text::ToLower(drivePath.substr(0, 2));
    return label.empty() ? letter : letter + L" [" + label + L"]";
}

bool EntryIsDrive(const std::wstring& driveEntry, const std::wstring& drivePath) {
    return Text::EqualsNoCase(driveEntry.substr(0, 2), drivePath.substr(0, 2));
}

std::vector<std::wstring> FolderChain(const std::wstring& fullPath) {
    const std::wstring path = Path::WithoutTrailingBackslash(fullPath);
    std::size_t rootEnd = 0;  // length of the root in `path`
    std::wstring root;
    if (path.size() >= 3 && path[1] == L':') {
        root = path.substr(0, 3);
        rootEnd = 3;
    } else if (StartsWithTwoBackslashes(path)) {
        const auto server = path.find(L'\\', 2);
        const auto share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        rootEnd = share == std::wstring::npos ? path.size() : share + 1;
        root = path.substr(0, share == std::wstring::npos ? path.size() : share);
    } else {
        return {path};
    }
    std::vector<std::wstring> chain{root};
    for (std::size_t at = rootEnd; at < path.size();) {
        auto next = path.find(L'\\', at);
        if (next == std::wstring::npos) next = path.size();
        chain.push_back(path.substr(0, next));
        at = next + 1;
    }
    return chain;
}

}  // namespace FolderChoice
