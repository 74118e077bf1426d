#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The rules of the folder chooser that need no window: the two checks of its
// OK button, the texts of the drive list and the chain of the folder list.
namespace FolderChoice {

// The longest start command that the product's shortcut may hold.
constexpr std::size_t kMaxProgramPath = 268;

// Length in UTF-16 units, as Windows counts text (the host's wchar_t is wider).
std::size_t Utf16Length(const std::wstring& text);

// Length of the shortcut's start command for this Access path and folder:
// "<access>" "<folder>\Zelbar.mdb" /wrkgrp "<folder>\Zelbar.mdw" /user UserZelbar.
std::size_t ProgramPathLength(const std::wstring& accessPath, const std::wstring& folder);
// Whether that command would be longer than kMaxProgramPath (268 itself passes).
bool ProgramPathTooLong(const std::wstring& accessPath, const std::wstring& folder);

// Whether the folder (a backslash added when missing) is the root of that
// drive, letter case ignored.
bool IsDriveRoot(const std::wstring& folder, const std::wstring& driveEntry);

// The drive list's text for a drive: "c: [label]" when it has a label,
// otherwise "c:". The letter is written in lower case, as the list shows it.
std::wstring DriveEntry(const std::wstring& drivePath, const std::wstring& label);

// Whether the entry's first two characters name this drive ("C:").
bool EntryIsDrive(const std::wstring& driveEntry, const std::wstring& drivePath);

// The folders from the root of the path down to the path itself, each
// without trailing backslash except the drive's root: "C:\a\b" gives "C:\",
// "C:\a", "C:\a\b"; a network path starts at its share ("\\server\share").
std::vector<std::wstring> FolderChain(const std::wstring& fullPath);

}  // namespace FolderChoice
