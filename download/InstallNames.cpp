#include "download/InstallNames.h"

#include <algorithm>
#include <cmath>

#include "platform/Path.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"

namespace InstallNames {
namespace {

// Far more tries than one second can take; the bound only keeps a broken
// file system from turning the loop into a hang.
constexpr unsigned kMaxAttempts = 1000;
// ERROR_ALREADY_EXISTS
constexpr std::uint32_t kErrorAlreadyExists = 183;

}  // namespace

std::wstring DateTimeStamp(const LocalTime& t) {
    return Text::FromInt(t.year) + L"_" + Text::FromInt(t.month) + L"_" + Text::FromInt(t.day) +
           L"-" + Text::FromInt(t.hour) + Text::FromInt(t.minute) + Text::FromInt(t.second);
}

std::wstring TempFolderName(const LocalTime& t, unsigned attempt) {
    std::wstring name = L"temp_" + DateTimeStamp(t);
    if (attempt > 1) name += L"_" + Text::FromInt(attempt);
    return name + L"\\";
}

std::wstring CreateTempFolder(FileSystem& fs, const std::wstring& installationFolder,
                              const LocalTime& t) {
    for (unsigned attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const std::wstring name = TempFolderName(t, attempt);
        const std::wstring path = installationFolder + name;
        // A file of that name blocks the folder just as a folder does.
        if (fs.FolderExists(path) || fs.FileExists(UnpackFolder(path))) continue;
        fs.CreatePrivateFolder(path);
        return name;
    }
    throw PlatformError(kErrorAlreadyExists, L"Im Ordner \u201e" + installationFolder +
                                                 L"\u201c ist kein Name für einen temporären "
                                                 L"Ordner mehr frei.");
}

std::wstring BackupName(const LocalTime& t, unsigned attempt) {
    const std::wstring counter = attempt > 1 ? L"_" + Text::FromInt(attempt) : std::wstring();
    return L"ZelbarData_" + DateTimeStamp(t) + counter + L".mdb";
}

std::wstring FreeBackupName(FileSystem& fs, const std::vector<std::wstring>& folders,
                            const LocalTime& t) {
    for (unsigned attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const std::wstring name = BackupName(t, attempt);
        const bool taken = std::any_of(folders.begin(), folders.end(), [&](const std::wstring& f) {
            return fs.FileExists(f + name) || fs.FolderExists(f + name);
        });
        if (!taken) return name;
    }
    throw PlatformError(kErrorAlreadyExists,
                        L"Für die Sicherungskopie der Datenbank ist kein "
                        L"Name mehr frei.");
}

std::wstring InstallationFolder(const std::wstring& folderLokal, const std::wstring& tempFolder) {
    // The temporary folder is the last level of FolderLokal. Cutting it off at
    // the end (not at its first occurrence) keeps an installation folder
    // whose own name happens to contain the same text intact.
    if (!tempFolder.empty() && Text::EndsWith(folderLokal, tempFolder)) {
        return folderLokal.substr(0, folderLokal.size() - tempFolder.size());
    }
    const auto at = folderLokal.find(tempFolder);
    return at == std::wstring::npos ? folderLokal : folderLokal.substr(0, at);
}

std::wstring SettingsCopyPath(const std::wstring& folderLokal, const std::wstring& settingsFile) {
    return folderLokal + Path::Name(settingsFile);
}

std::wstring UnpackFolder(const std::wstring& folderLokal) {
    // Never a backslash before the closing quote of the unpack command line,
    // where it would escape the quote.
    return Path::StripTrailingBackslashes(folderLokal);
}

std::wstring UnpackCommandLine(const std::wstring& archive, const std::wstring& unpackFolder) {
    return L"\"" + archive + L"\" -o -q -d \"" + unpackFolder + L"\"";
}

bool UnpackSucceeded(unsigned long exitCode) {
    return exitCode < 2;
}

short ProgressValue(std::optional<double> percent) {
    if (!percent) return 0;
    const double lower = std::floor(*percent);
    const double fraction = *percent - lower;
    double rounded = fraction > 0.5 ? lower + 1 : lower;
    if (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0) rounded = lower + 1;
    return static_cast<short>(rounded);
}

std::wstring SizeLine(const std::wstring& current, const std::wstring& total) {
    return current + L" von " + total;
}

}  // namespace InstallNames
