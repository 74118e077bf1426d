#pragma once
#include <string>

// The texts page 2 shows, defined in one place.
namespace DownloadTexts {

extern const wchar_t* const kDownloadError;
extern const wchar_t* const kAllDownloaded;
extern const wchar_t* const kUnpacking;
extern const wchar_t* const kDone;

// The installation folder shown on the page does not exist (any more).
std::wstring FolderMissing(const std::wstring& folder);
// The temporary folder could not be made in the installation folder.
std::wstring TempFolderFailed(const std::wstring& folder, const std::wstring& detail);
// Writing the downloaded file or reading the settings failed mid-way.
std::wstring DownloadBroken(const std::wstring& detail);
// The data file or the settings file could not be copied beside the program files.
std::wstring PrepareFailed(const std::wstring& detail);
// The program file's address in the settings file names no file to save.
std::wstring NoFileName(const std::wstring& url);
// The archive program could not be started.
std::wstring UnpackNotStarted(const std::wstring& detail);
// The archive program ended with an exit code that means failure.
std::wstring UnpackFailed(unsigned long exitCode);

}  // namespace DownloadTexts
