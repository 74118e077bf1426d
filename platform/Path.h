#pragma once
#include <string>

// The program's paths in Windows form ("C:\Zelbar\Daten"), put together and
// taken apart in one place. A drive's root keeps its backslash wherever a
// folder is meant: "C:" alone names the drive's current folder, not its root.
namespace Path {

// The folder and the name with one separator between them; a folder that
// ends in one ("C:\", or "D:/" as a user may type it) gets none added, an
// empty folder gives "\name".
std::wstring Join(const std::wstring& folder, const std::wstring& name);

// The path followed by a backslash unless it ends in a separator already.
std::wstring WithTrailingBackslash(const std::wstring& path);

// The folder without trailing backslashes, except that a drive's root keeps
// its own ("C:\\" and "C:" both give "C:\") and "\" stays.
std::wstring WithoutTrailingBackslash(const std::wstring& path);

// Every trailing backslash removed, a drive's root's too ("C:\" gives "C:"):
// for names that must not end in one, such as a registry key or a folder
// about to be put in quotes on a command line.
std::wstring StripTrailingBackslashes(const std::wstring& path);

// "C:\"
bool IsDriveRoot(const std::wstring& path);

// The root of the drive that the text begins with: "C:\" for "C:", "C:\a" or
// a drive list's "C: [System]".
std::wstring DriveRoot(const std::wstring& drive);

// The last level: everything after the last backslash.
std::wstring Name(const std::wstring& path);

}  // namespace Path
