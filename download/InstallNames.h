#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "ui/Ui.h"

// The names and command lines that the download page builds: the temporary
// folder of an attempt, the dated copy of the data file, the copy of the
// settings file and the line that runs the self-extracting archive. Plain
// text work, kept apart from the window so it can be checked on its own.
namespace InstallNames {

// "2026_12_5-10920": year, month, day, then hour, minute and second run
// together, every number without leading zeros.
std::wstring DateTimeStamp(const LocalTime& t);

// "temp_2026_12_5-10920\" for the first try at a moment; "temp_..._2\",
// "temp_..._3\" ... for the further tries, because one second, or two times of
// a day such as 1:15:03 and 11:05:03, give the same stamp.
std::wstring TempFolderName(const LocalTime& t, unsigned attempt = 1);

// Creates a fresh temporary folder in the installation folder (which ends in
// "\") and returns its name relative to it, a folder for the user alone. A
// name that is taken already gets the next counter. Throws PlatformError when
// no folder can be made there.
std::wstring CreateTempFolder(FileSystem& fs, const std::wstring& installationFolder,
                              const LocalTime& t);

// "ZelbarData_2027_3_9-1437.mdb" for the first copy at a moment;
// "ZelbarData_..._2.mdb", "_3" ... for the further ones.
std::wstring BackupName(const LocalTime& t, unsigned attempt = 1);

// The first backup name at t that no file or folder takes in any of the
// folders (each ending in "\"): page 3 moves the copy into the installation
// folder, where it would replace an earlier backup of the same name.
std::wstring FreeBackupName(FileSystem& fs, const std::vector<std::wstring>& folders,
                            const LocalTime& t);

// FolderLokal without the temporary folder name at its end: the installation
// folder, ending in "\".
std::wstring InstallationFolder(const std::wstring& folderLokal, const std::wstring& tempFolder);

// FolderLokal followed by the settings file's own name (after its last "\").
std::wstring SettingsCopyPath(const std::wstring& folderLokal, const std::wstring& settingsFile);

// FolderLokal without its trailing "\" (a drive's root's included).
std::wstring UnpackFolder(const std::wstring& folderLokal);

// "<archive>" -o -q -d "<folder>": overwrite without asking, quietly, into the folder.
std::wstring UnpackCommandLine(const std::wstring& archive, const std::wstring& unpackFolder);

// Self-extractors report warnings with exit code 1; 2 and above mean the
// content did not arrive.
bool UnpackSucceeded(unsigned long exitCode);

// The progress bar's value for a percentage: rounded to a whole number, a
// half to the even neighbour; no percentage gives 0.
short ProgressValue(std::optional<double> percent);

// "<current> von <total>", the size line during a download.
std::wstring SizeLine(const std::wstring& current, const std::wstring& total);

}  // namespace InstallNames
