#include "folderchooser/FolderChoice.h"

#include <cstdint>

#include "platform/Text.h"

namespace FolderChoice {
namespace {

// The fixed parts of the start command: two quotes around the Access path,
// the data file and the workgroup file names, the two switches, and four
// more quotes around the two file paths.
const std::size_t kFixedParts = 2 + std::wstring(L"Zelbar.mdb").size() +
                                std::wstring(L"Zelbar.mdw").size() +
                                std::wstring(L"/wrkgrp").size() +
                                std::wstring(L"/user UserZelbar").size() + 4;

}  // namespace

std::size_t Utf16Length(const std::wstring& text) {
    std::size_t units = 0;
    for (wchar_t c : text) units += static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
    return units;
}

std::size_t ProgramPathLength(const std::wstring& accessPath, const std::wstring& folder) {
    return Utf16Length(accessPath) + 2 * Utf16Length(folder) + kFixedParts;
}

bool ProgramPathTooLong(const std::wstring& accessPath, const std::wstring& folder) {
    return ProgramPathLength(accessPath, folder) > kMaxProgramPath;
}

std::wstring DriveRoot(const std::wstring& driveEntry) {
    return driveEntry.substr(0, 1) + L":\\";
}

bool IsDriveRoot(const std::wstring& folder, const std::wstring& driveEntry) {
    std::wstring withBackslash = folder;
    if (withBackslash.empty() || withBackslash.back() != L'\\') withBackslash += L"\\";
    return Text::EqualsNoCase(withBackslash, DriveRoot(driveEntry));
}

std::wstring NewFolderPath(const std::wstring& selectedFolder, const std::wstring& name) {
    if (!selectedFolder.empty() && selectedFolder.back() == L'\\') return selectedFolder + name;
    return selectedFolder + L"\\" + name;
}

std::wstring DriveEntry(const std::wstring& drivePath, const std::wstring& label) {
    const std::wstring letter = Text::ToLower(drivePath.substr(0, 2));
    return label.empty() ? letter : letter + L" [" + label + L"]";
}

bool EntryIsDrive(const std::wstring& driveEntry, const std::wstring& drivePath) {
    return Text::EqualsNoCase(driveEntry.substr(0, 2), drivePath.substr(0, 2));
}

}  // namespace FolderChoice
