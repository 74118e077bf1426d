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
// The unpacking failed for a known cause (a full drive): its first sentence, then the cause.
std::wstring UnpackFailedBecause(const std::wstring& cause);
// The settings file names no address for the size query.
extern const wchar_t* const kSizeAddressMissing;

// The archive was refused before it ran, and deleted: its signature does not
// match its bytes; it has none though the signer is pinned; another than the
// pinned signer signed it; no trusted root authority vouches for its signer
// (whose name may be unknown, then empty).
std::wstring SignatureBroken();
std::wstring SignatureMissing(const std::wstring& pinned);
std::wstring SignatureByOther(const std::wstring& signer, const std::wstring& pinned);
std::wstring SignatureUntrusted(const std::wstring& signer);

// A failed download whose cause is known: the first sentence of
// kDownloadError, then the cause; an empty cause gives kDownloadError.
std::wstring DownloadFailed(const std::wstring& cause);

// The causes a failed download can name; {host} is the server of the failing
// address, sizes are display texts such as "1,75 MB".
std::wstring NameNotResolved(const std::wstring& host);
std::wstring ConnectionRefused(const std::wstring& host);
extern const wchar_t* const kTimedOut;
std::wstring HttpStatus(unsigned status);
extern const wchar_t* const kProxyLogin;
std::wstring CertificateUntrusted(const std::wstring& host);
std::wstring CertificateForOtherName(const std::wstring& host);
std::wstring CertificateOutOfDate(const std::wstring& host);
std::wstring SecureConnectionFailed(const std::wstring& host);
std::wstring Incomplete(const std::wstring& got, const std::wstring& total);
// The server's answers contradict its size answer (announced, a display text).
std::wstring SizeDisagrees(const std::wstring& announced);
extern const wchar_t* const kWebPage;
extern const wchar_t* const kDiskFull;

// Before the download: the drive holds less than the archive.
std::wstring NotEnoughSpace(const std::wstring& needed, const std::wstring& free);
// Before the download: the archive fits, but unpacking it may not (a Yes/No question).
std::wstring LittleSpace(const std::wstring& free, const std::wstring& twice);

}  // namespace DownloadTexts
