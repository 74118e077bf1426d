#pragma once
#include <cstdint>
#include <string>

// Which cause a failed download names, judged from what the program learns of
// the failure: the error number of the request, the reply's content type and
// the first bytes of the file. Kept apart from the page so that every number
// can be checked on the host.
namespace DownloadCause {

// The host name of an address: "https://user@dl.zelbar.de:8443/a.exe" gives "dl.zelbar.de".
std::wstring HostOf(const std::wstring& url);

// The cause paragraph for the error number of a failed request to url;
// bodyBegun tells whether bytes of the body had arrived. Empty for a number
// that names no cause the user could act on, and for a connection that broke
// off within the body: what arrived of it decides then.
std::wstring OfError(std::uint32_t code, const std::wstring& url, bool bodyBegun);

// Windows' "disk full" errors, from writing the archive.
bool IsDiskFull(std::uint32_t code);

// A reply declared as HTML, or a file that does not begin as a program: the
// archive is a self-extracting .exe and begins with "MZ". Too few first bytes
// to tell mean no web page.
bool IsWebPage(const std::wstring& contentType, const std::string& firstBytes);

}  // namespace DownloadCause
