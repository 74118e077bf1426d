#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

// What the version detection found out about Microsoft Access. The five
// entries are kept under the keys "1" to "5" as the page has always read them;
// the named fields are the same entries.
struct AccessReport {
    static constexpr short kSupported = 0;  // a supported Access is installed
    static constexpr short kNoAccess = 1;   // no Access at all
    static constexpr short kTooOld = 2;     // only older, unsupported versions

    short olderVersions = 0;   // "1": older versions counted when no supported one exists
    std::wstring curVer;       // "2": the ProgID that Access.Application\CurVer names
    std::wstring progId;       // "3": the ProgID chosen as the installed supported version
    std::wstring commandLine;  // "4": its open command, the program file in double quotes first
    short status = kNoAccess;  // "5"

    // The entry under its key "1".."5" as text (numbers in decimal); throws
    // std::out_of_range for any other key.
    std::wstring Item(const std::wstring& key) const;
};

// The "[SupportedAccessVersions]" section cannot be used to judge the
// installation (no entry, or a first key whose third part is no number).
class SupportedVersionsError : public std::runtime_error {
public:
    explicit SupportedVersionsError(const std::string& what) : std::runtime_error(what) {}
};

// Finds the installed Microsoft Access and the operating-system version. It
// keeps nothing between calls; the page makes one per system check.
class checkVersions {
public:
    // The supported-version table: ProgID and value, in file order.
    using VersionTable = std::vector<std::pair<std::wstring, std::wstring>>;

    explicit checkVersions(const Platform& platform);

    // Reads the supported versions from settings.ini and probes the registry.
    // Throws PlatformError when the settings file cannot be read, and
    // SupportedVersionsError when the section cannot tell which versions are
    // older than the supported ones.
    AccessReport CheckAccessVersion();

    // 0 when the default value of HKEY_CLASSES_ROOT\<key>\ can be read,
    // otherwise the (non-zero) error number of the read.
    std::int32_t ExistsKey(const std::wstring& key);
    // The default value of HKEY_CLASSES_ROOT\<key>\, or empty text.
    std::wstring GetKeyValue(const std::wstring& key);

    // The version resource of the program file that stands between the first
    // two double quotes of the command line. Throws PlatformError when the
    // command line names no program file or its version cannot be read.
    std::wstring GetAccessVersionNr(const std::wstring& accessPath);
    // Win32_OperatingSystem.Version; throws PlatformError when WMI fails.
    std::wstring GetOSVersion();

    // The "[SupportedAccessVersions]" lines of settings.ini in file order.
    VersionTable ReadSupportedVersions();

private:
    std::wstring ChooseProgId(const VersionTable& table, std::size_t firstFound,
                              const std::wstring& curVer);
    short CountOlderVersions(const VersionTable& table);

    const Platform& platform_;
};
