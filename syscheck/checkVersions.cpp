#include "syscheck/checkVersions.h"

#include <algorithm>

#include "platform/PlatformError.h"
#include "platform/Text.h"
#include "settings/ini.h"

namespace {

const wchar_t kSectionHeader[] = L"[SupportedAccessVersions]";
const wchar_t kCurVerKey[] = L"Access.Application\\CurVer";
const wchar_t kOlderVersionPrefix[] = L"Access.Application.";
const wchar_t kOpenCommandSuffix[] = L"\\shell\\open\\command\\";
const wchar_t kClassesRoot[] = L"HKEY_CLASSES_ROOT\\";

// ERROR_BAD_PATHNAME: the command line holds no quoted program file.
constexpr std::uint32_t kNoProgramPath = 161;
// The older versions are counted in a 16-bit number, as the report holds them.
constexpr long kMaxVersionNumber = 32767;

bool Contains(const checkVersions::VersionTable& table, const std::wstring& key) {
    return std::any_of(table.begin(), table.end(),
                       [&](const auto& entry) { return entry.first == key; });
}

// The third point-separated part of a ProgID as a whole number; blanks around
// it are allowed, anything else makes the section unusable.
long VersionNumberOf(const std::wstring& progId) {
    const auto parts = Text::Split(progId, L'.');
    const std::wstring number = parts.size() >= 3 ? Text::TrimBlanks(parts[2]) : std::wstring();
    const bool digitsOnly =
        !number.empty() && number.size() <= 5 &&
        std::all_of(number.begin(), number.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    if (!digitsOnly) {
        throw SupportedVersionsError("the first supported Access version has no version number: " +
                                     Text::ToUtf8(progId));
    }
    const long value = std::stol(Text::ToUtf8(number));
    if (value > kMaxVersionNumber) {
        throw SupportedVersionsError("the first supported Access version number is too large: " +
                                     Text::ToUtf8(progId));
    }
    return value;
}

}  // namespace

std::wstring AccessReport::Item(const std::wstring& key) const {
    if (key == L"1") return Text::FromInt(olderVersions);
    if (key == L"2") return curVer;
    if (key == L"3") return progId;
    if (key == L"4") return commandLine;
    if (key == L"5") return Text::FromInt(status);
    throw std::out_of_range("no entry of the Access report: " + Text::ToUtf8(key));
}

checkVersions::checkVersions(const Platform& platform) : platform_(platform) {}

checkVersions::VersionTable checkVersions::ReadSupportedVersions() {
    const auto reader =
        platform_.fs.OpenTextFileForReading(ini(platform_.fs, platform_.ui).filename());
    VersionTable table;
    bool inSection = false;
    while (!reader->AtEndOfStream()) {
        const std::wstring line = reader->Readline();
        if (!inSection) {
            inSection = line == kSectionHeader;
            continue;
        }
        const auto parts = Text::Split(line, L'=');
        if (parts.size() < 2) {
            inSection = false;
            continue;
        }
        // A ProgID listed twice keeps its first place; the second line adds nothing.
        if (!Contains(table, parts[0])) table.emplace_back(parts[0], parts[1]);
    }
    return table;
}

AccessReport checkVersions::CheckAccessVersion() {
    const VersionTable table = ReadSupportedVersions();
    AccessReport report;

    const auto found = std::find_if(table.begin(), table.end(), [this](const auto& entry) {
        return ExistsKey(entry.first) == 0;
    });
    if (found == table.end()) {
        report.olderVersions = CountOlderVersions(table);
        report.status = report.olderVersions > 0 ? AccessReport::kTooOld : AccessReport::kNoAccess;
        return report;
    }

    if (ExistsKey(kCurVerKey) == 0) report.curVer = GetKeyValue(kCurVerKey);
    report.progId =
        ChooseProgId(table, static_cast<std::size_t>(found - table.begin()), report.curVer);
    const std::wstring commandKey = report.progId + kOpenCommandSuffix;
    if (ExistsKey(commandKey) == 0) report.commandLine = GetKeyValue(commandKey);
    report.status = AccessReport::kSupported;
    return report;
}

std::wstring checkVersions::ChooseProgId(const VersionTable& table, std::size_t firstFound,
                                         const std::wstring& curVer) {
    if (!curVer.empty() && Contains(table, curVer)) return curVer;
    // Without a registered default (or with one we do not support) the
    // earliest supported version in file order that is installed is used, so
    // the page always has a program file to look at.
    return table[firstFound].first;
}

short checkVersions::CountOlderVersions(const VersionTable& table) {
    if (table.empty()) {
        throw SupportedVersionsError("the section [SupportedAccessVersions] lists no version");
    }
    const long newest = VersionNumberOf(table.front().first);
    short count = 0;
    for (long j = 1; j <= newest; ++j) {
        if (ExistsKey(kOlderVersionPrefix + Text::FromInt(j)) == 0) ++count;
    }
    return count;
}

std::int32_t checkVersions::ExistsKey(const std::wstring& key) {
    try {
        platform_.shell.regRead(kClassesRoot + key + L"\\");
        return 0;
    } catch (const PlatformError& e) {
        // A read that failed must never look like success to the callers.
        return e.code() != 0 ? static_cast<std::int32_t>(e.code()) : 1;
    }
}

std::wstring checkVersions::GetKeyValue(const std::wstring& key) {
    try {
        return platform_.shell.regRead(kClassesRoot + key + L"\\");
    } catch (const PlatformError&) {
        return std::wstring();
    }
}

std::wstring checkVersions::GetAccessVersionNr(const std::wstring& accessPath) {
    const auto open = accessPath.find(L'"');
    if (open == std::wstring::npos) {
        throw PlatformError(kNoProgramPath,
                            L"Die Befehlszeile von MS-Access nennt keine Programmdatei: \u201e" +
                                accessPath + L"\u201c");
    }
    const auto close = accessPath.find(L'"', open + 1);
    const std::wstring program = accessPath.substr(
        open + 1, close == std::wstring::npos ? std::wstring::npos : close - open - 1);
    return platform_.fs.GetFileVersion(program);
}

std::wstring checkVersions::GetOSVersion() {
    return platform_.os.OperatingSystemVersion();
}
