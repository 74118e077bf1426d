#pragma once
// The one screenshot writer of the Windows tests and the end-to-end driver
// (which builds this file into its own program).
#include <windows.h>

#include <string>

namespace wintest {

// Writes what the screen shows inside `area` as a 24-bit .bmp file; throws
// std::runtime_error when the file cannot be written.
void SaveScreenArea(const RECT& area, const std::wstring& path);

}  // namespace wintest
