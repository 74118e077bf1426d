#include "finish/Fertigstellung.h"

#include <vector>

#include "platform/Path.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"
#include "settings/ini.h"

namespace {

const wchar_t kSection[] = L"Shortcuts";
const wchar_t kProgramDatabase[] = L"ZelbarProg.mdb";
const wchar_t kWorkgroupFile[] = L"Zelbar.mdw";
const wchar_t kQuickStartPage[] = L"Schnellstart.html";

// ERROR_BAD_PATHNAME: the stored Access command line names no program file.
constexpr std::uint32_t kErrorBadPathname = 161;

// The start-menu entries in the order they are made; no file means the entry
// starts the product itself.
struct StartMenuEntry {
    const wchar_t* key;
    const wchar_t* file;
};
const StartMenuEntry kStartMenuEntries[] = {
    {L"StartmenuZelbar", nullptr},
    {L"StartmenuUpdate", L"Update.exe"},
    {L"StartmenuAnmeldung", L"Zelbar Anmeldung.xls"},
    {L"StartmenuHistory", L"History.txt"},
    {L"StartmenuSchnellstart", L"Schnellstart.html"},
};

const wchar_t kTryAgain[] =
    L"Was bis dahin erledigt war, bleibt erhalten; die noch nicht verschobenen Dateien liegen "
    L"weiter im temporären Ordner. Bitte beheben Sie die Ursache (schließen Sie zum Beispiel "
    L"Programme, die Zelbar-Dateien geöffnet haben) und klicken Sie dann erneut auf "
    L"\u201eFertig stellen\u201c.";

PlatformError StepFailed(const std::wstring& what, const std::wstring& path,
                         const PlatformError& cause) {
    return PlatformError(cause.code(), what + L": " + path + L"\r\n" + cause.message());
}

// ERROR_DIR_NOT_EMPTY: files of the temporary folder were not moved.
constexpr std::uint32_t kErrorDirNotEmpty = 145;

std::wstring IncompleteMove(const std::wstring& tempFolder) {
    return L"Nicht alle Programmdateien wurden in den Installationsordner verschoben; die "
           L"übrigen liegen noch im Ordner \u201e" +
           tempFolder + L"\u201c.";
}

using Path::Join;

FolderItem ReadFolder(const std::wstring& path, FileSystem& fs) {
    try {
        return fs.GetFolder(path);
    } catch (const PlatformError& e) {
        throw StepFailed(L"Der Ordner konnte nicht gelesen werden", path, e);
    }
}

void CreateOneFolder(const std::wstring& path, FileSystem& fs) {
    try {
        fs.CreateFolder(path);
    } catch (const PlatformError& e) {
        throw StepFailed(L"Der Ordner konnte nicht angelegt werden", path, e);
    }
}

// Removes the emptied tree from the bottom up, one empty folder at a time:
// a file the move did not take keeps its folder, and so is never destroyed.
// Returns whether the whole tree went.
bool RemoveEmptiedTree(const std::wstring& folder, FileSystem& fs) {
    const FolderItem item = ReadFolder(folder, fs);
    bool empty = item.Files.empty();
    for (const std::wstring& name : item.SubFolders) {
        empty = RemoveEmptiedTree(Join(item.path, name), fs) && empty;
    }
    if (!empty) return false;
    try {
        fs.RemoveEmptyFolder(item.path);
    } catch (const PlatformError&) {
        return false;
    }
    return true;
}

void MoveOneFile(const std::wstring& source, const FolderItem& destination, FileSystem& fs) {
    const std::wstring target = Join(destination.path, Path::Name(source));
    if (!fs.FileExists(target)) {
        try {
            fs.MoveFile(source, Path::WithTrailingBackslash(destination.path));
        } catch (const PlatformError& e) {
            throw StepFailed(L"Die Datei konnte nicht in den Installationsordner verschoben werden",
                             target, e);
        }
        return;
    }
    // One step, never delete-then-move: when the replace fails (the file is in
    // use) and the user then cancels, which removes the temporary folder, the
    // installed file must still be there.
    try {
        fs.ReplaceFile(source, target);
    } catch (const PlatformError& e) {
        throw PlatformError(e.code(), L"Die vorhandene Datei konnte nicht ersetzt werden: " +
                                          target + L"\r\n" + e.message());
    }
}

}  // namespace

Fertigstellung::Fertigstellung(WizardHost& host, const Platform& platform)
    : host_(host), platform_(platform) {}

void Fertigstellung::Fertigstellen(const FinishChoices& choices) {
    try {
        SaveZelbarPath();
        if (choices.desktopShortcut) CreateDesktopShortcut();
        if (choices.startMenu) CreateStartMenu();
        MoveTempFolder();
    } catch (const PlatformError& e) {
        throw PlatformError(e.code(), e.message() + L"\r\n\r\n" + kTryAgain);
    }
    if (choices.quickStart) OpenQuickStart();
}

std::wstring Fertigstellung::GetAccessExe() const {
    const std::wstring accessPath = host_.GetAccessPath();
    const std::vector<std::wstring> pieces = Text::Split(accessPath, L'"');
    if (pieces.size() < 3 || pieces[1].empty()) {
        throw PlatformError(
            kErrorBadPathname,
            L"Der gespeicherte Aufruf von Microsoft Access nennt keine Programmdatei in "
            L"Anführungszeichen, daher kann Zelbar nicht über eine Verknüpfung gestartet "
            L"werden. Gespeicherter Aufruf: " +
                (accessPath.empty() ? std::wstring(L"(leer)") : accessPath) +
                L"\r\nOhne Verknüpfungen lässt sich die Installation abschließen, wenn Sie die "
                L"Häkchen bei Desktop und Startmenü entfernen.");
    }
    return pieces[1];
}

std::wstring Fertigstellung::GetStartArguments() const {
    const std::wstring folder = host_.GetZelbarPath();
    return L"\"" + folder + kProgramDatabase + L"\" /wrkgrp \"" + folder + kWorkgroupFile +
           L"\" /user UserZelbar";
}

void Fertigstellung::CreateProgramShortcut(const std::wstring& linkPath) const {
    try {
        SaveShortcut(linkPath, GetAccessExe(), GetStartArguments());
    } catch (const PlatformError& e) {
        throw StepFailed(L"Die Verknüpfung konnte nicht angelegt werden", linkPath, e);
    }
}

void Fertigstellung::CreateFileShortcut(const std::wstring& linkPath,
                                        const std::wstring& fileName) const {
    try {
        SaveShortcut(linkPath, host_.GetZelbarPath() + fileName, std::wstring());
    } catch (const PlatformError& e) {
        throw StepFailed(L"Die Verknüpfung konnte nicht angelegt werden", linkPath, e);
    }
}

void Fertigstellung::SaveShortcut(const std::wstring& linkPath, const std::wstring& target,
                                  const std::wstring& arguments) const {
    std::unique_ptr<Shortcut> shortcut = platform_.shell.CreateShortcut(linkPath);
    shortcut->TargetPath = target;
    shortcut->Arguments = arguments;
    shortcut->Save();
}

void Fertigstellung::MoveFolderContents(const FolderItem& source, const FolderItem& destination,
                                        FileSystem& fs) {
    for (const std::wstring& name : source.SubFolders) {
        const std::wstring target = Join(destination.path, name);
        if (!fs.FolderExists(target)) CreateOneFolder(target, fs);
        MoveFolderContents(ReadFolder(Join(source.path, name), fs), ReadFolder(target, fs), fs);
    }
    for (const std::wstring& name : source.Files) {
        MoveOneFile(Join(source.path, name), destination, fs);
    }
}

void Fertigstellung::CreateFolderPath(const std::wstring& folder, FileSystem& fs) {
    std::vector<std::wstring> missing;
    std::wstring path = Path::StripTrailingBackslashes(folder);
    while (!fs.FolderExists(path)) {
        missing.push_back(path);
        const auto slash = path.find_last_of(L'\\');
        if (slash == std::wstring::npos || slash == 0) break;
        path = path.substr(0, slash);
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        CreateOneFolder(*level, fs);
    }
}

std::wstring Fertigstellung::LinkPath(const std::wstring& folder, const std::wstring& name) {
    return Join(folder, name + L".lnk");
}

void Fertigstellung::SaveZelbarPath() const {
    try {
        platform_.ui.SaveSetting(L"Zelbar-Setup", L"Optionen", L"ZelbarPath",
                                 host_.GetZelbarPath());
    } catch (const PlatformError& e) {
        throw StepFailed(L"Der Installationsordner konnte nicht gespeichert werden",
                         L"Zelbar-Setup\\Optionen\\ZelbarPath", e);
    }
}

void Fertigstellung::CreateDesktopShortcut() const {
    const std::wstring desktop = SpecialFolder(L"desktop");
    const std::wstring name = ShortcutsValue(L"Desktop");
    if (name.empty()) return;
    CreateProgramShortcut(LinkPath(desktop, name));
}

void Fertigstellung::CreateStartMenu() const {
    const std::wstring folderName = ShortcutsValue(L"StartmenuFolder");
    if (folderName.empty()) return;
    // The user's own programs folder ("Programme" on German systems, whatever
    // the start menu's folder is called on disk); the product's folder may
    // have several levels, and every missing one is made.
    const std::wstring folder =
        Path::StripTrailingBackslashes(Join(SpecialFolder(L"Programs"), folderName));
    CreateFolderPath(folder, platform_.fs);
    for (const StartMenuEntry& entry : kStartMenuEntries) {
        const std::wstring name = ShortcutsValue(entry.key);
        if (name.empty()) continue;
        const std::wstring linkPath = LinkPath(folder, name);
        if (entry.file == nullptr) {
            CreateProgramShortcut(linkPath);
        } else {
            CreateFileShortcut(linkPath, entry.file);
        }
    }
}

void Fertigstellung::MoveTempFolder() const {
    const std::wstring zelbarPath = host_.GetZelbarPath();
    const std::wstring tempFolder = host_.GetTempFolder();
    // Without both names the "temporary folder" would be the installation
    // folder itself (or a folder relative to wherever we run), and moving it
    // onto itself would delete every file it holds.
    if (zelbarPath.empty() || tempFolder.empty()) return;
    const std::wstring tempPath = zelbarPath + tempFolder;
    if (!platform_.fs.FolderExists(tempPath)) return;
    const std::wstring named = Path::WithoutTrailingBackslash(tempPath);
    try {
        MoveFolderContents(ReadFolder(tempPath, platform_.fs), ReadFolder(zelbarPath, platform_.fs),
                           platform_.fs);
    } catch (const PlatformError& e) {
        // The message sends the user to this folder; leaving must not empty it.
        host_.KeepTempFolder(tempPath);
        throw PlatformError(e.code(), e.message() + L"\r\n" + IncompleteMove(named));
    }
    // Deleting the whole tree at once would take along whatever the move
    // did not see; only a tree that went completely was moved completely.
    if (!RemoveEmptiedTree(named, platform_.fs)) {
        host_.KeepTempFolder(tempPath);
        throw PlatformError(kErrorDirNotEmpty, IncompleteMove(named));
    }
    host_.DeleteTempFolder();
}

void Fertigstellung::OpenQuickStart() const {
    try {
        platform_.shell.Run(L"\"" + host_.GetZelbarPath() + kQuickStartPage + L"\"");
    } catch (const std::exception&) {
        // The installation is complete; a page that does not open changes nothing.
    }
}

std::wstring Fertigstellung::ShortcutsValue(const std::wstring& key) const {
    const ini settings(platform_.fs, platform_.ui);
    try {
        return settings.GetValue(kSection, key);
    } catch (const PlatformError& e) {
        throw StepFailed(L"Die Einstellungsdatei konnte nicht gelesen werden", settings.filename(),
                         e);
    }
}

std::wstring Fertigstellung::SpecialFolder(const std::wstring& name) const {
    try {
        return platform_.shell.SpecialFolders(name);
    } catch (const PlatformError& e) {
        throw StepFailed(L"Der Systemordner konnte nicht ermittelt werden", name, e);
    }
}
