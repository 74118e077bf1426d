#include "platform/FileSystem_win.h"

#include <functional>

#include "platform/Handles_win.h"
#include "platform/Path.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"

#include <sddl.h>

namespace {

// Folder paths arrive with or without a trailing backslash; the Win32 calls
// get them without, except a drive's root (Path keeps its backslash).
using Path::Join;
using Path::WithoutTrailingBackslash;

DWORD AttributesOf(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str());
}

bool IsDots(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Removable drives without a medium would otherwise ask the user to insert one.
class NoCriticalErrorBoxes {
public:
    NoCriticalErrorBoxes() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~NoCriticalErrorBoxes() { ::SetThreadErrorMode(previous_, nullptr); }
    NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
    NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;

private:
    DWORD previous_ = 0;
};

void ClearReadOnly(const std::wstring& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return;
    ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

void DeleteOneFile(const std::wstring& path, DWORD attributes, bool force) {
    if (force) ClearReadOnly(path, attributes);
    if (::DeleteFileW(path.c_str())) return;
    const DWORD error = ::GetLastError();
    // A forced delete that still failed leaves the file as it found it.
    if (force && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(path.c_str(), attributes);
    }
    ThrowError(error, L"Die Datei konnte nicht gelöscht werden: " + path);
}

using FindNextEntry = std::function<bool(HANDLE, WIN32_FIND_DATAW&)>;

// Calls visit for every entry of the folder but "." and "..". A listing that
// stops for any reason but its end throws: taken as complete, it would let
// the caller act on a folder it has only seen in part.
template <typename Visit>
void ForEachEntry(const std::wstring& folder, const FindNextEntry& next,
                  const std::wstring& failure, Visit visit) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(::FindFirstFileW(Join(folder, L"*").c_str(), &found));
    if (!find) ThrowLastError(failure);
    do {
        if (!IsDots(found.cFileName)) visit(found);
    } while (next(find.get(), found));
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) ThrowError(error, failure);
}

void DeleteTree(const std::wstring& folder, DWORD folderAttributes, bool force,
                const FindNextEntry& next) {
    // A junction or symbolic link is removed itself; what it points to is not ours.
    if ((folderAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        ForEachEntry(folder, next, L"Der Ordner konnte nicht gelesen werden: " + folder,
                     [&](const WIN32_FIND_DATAW& found) {
                         const std::wstring child = Join(folder, found.cFileName);
                         if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                             DeleteTree(child, found.dwFileAttributes, force, next);
                         } else {
                             DeleteOneFile(child, found.dwFileAttributes, force);
                         }
                     });
    }
    if (force) ClearReadOnly(folder, folderAttributes);
    if (!::RemoveDirectoryW(folder.c_str())) {
        ThrowLastError(L"Der Ordner konnte nicht gelöscht werden: " + folder);
    }
}

UniqueFileHandle OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD creation) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), access, share, nullptr, creation,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError(L"Die Datei konnte nicht geöffnet werden: " + path);
    return file;
}

std::string ReadWholeFile(const std::wstring& path) {
    UniqueFileHandle file =
        OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            ThrowLastError(L"Die Datei konnte nicht gelesen werden: " + path);
        }
        if (read == 0) return bytes;
        bytes.append(buffer, read);
    }
}

void WriteAll(HANDLE file, const void* data, std::size_t count, const std::wstring& path) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (count > 0) {
        const DWORD chunk = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!::WriteFile(file, bytes, chunk, &written, nullptr)) {
            ThrowLastError(L"Die Datei konnte nicht geschrieben werden: " + path);
        }
        bytes += written;
        count -= written;
    }
}

std::wstring FromAnsi(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                          length);
    return text;
}

// Characters the code page cannot hold become '?', never a look-alike letter.
std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                              static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                          &bytes[0], length, nullptr, nullptr);
    return bytes;
}

// The whole file is read and closed at opening, so a settings file is never
// held open while the program works with its lines.
class AnsiTextReader : public TextReader {
public:
    AnsiTextReader(std::wstring path, std::wstring text)
        : path_(std::move(path)), text_(std::move(text)) {}

    bool AtEndOfStream() override { return position_ >= text_.size(); }

    std::wstring Readline() override {
        if (AtEndOfStream()) {
            ThrowError(ERROR_HANDLE_EOF, L"Über das Ende der Datei hinaus gelesen: " + path_);
        }
        const auto lf = text_.find(L'\n', position_);
        const std::size_t end = lf == std::wstring::npos ? text_.size() : lf;
        std::size_t lineEnd = end;
        if (lineEnd > position_ && text_[lineEnd - 1] == L'\r') --lineEnd;
        std::wstring line = text_.substr(position_, lineEnd - position_);
        position_ = lf == std::wstring::npos ? text_.size() : lf + 1;
        return line;
    }

private:
    std::wstring path_;
    std::wstring text_;
    std::size_t position_ = 0;
};

class AnsiTextWriter : public TextWriter {
public:
    AnsiTextWriter(std::wstring path, UniqueFileHandle file)
        : path_(std::move(path)), file_(std::move(file)) {}

    void Write(const std::wstring& text) override {
        const std::string bytes = ToAnsi(text);
        WriteAll(Handle(), bytes.data(), bytes.size(), path_);
    }
    void WriteLine(const std::wstring& text) override { Write(text + L"\r\n"); }
    void Flush() override {
        if (!::FlushFileBuffers(Handle())) {
            ThrowLastError(L"Die Datei konnte nicht geschrieben werden: " + path_);
        }
    }
    void Close() override { file_.reset(); }

private:
    HANDLE Handle() {
        if (!file_) ThrowError(ERROR_INVALID_HANDLE, L"Die Datei ist geschlossen: " + path_);
        return file_.get();
    }

    std::wstring path_;
    UniqueFileHandle file_;
};

class FileBinaryWriter : public BinaryWriter {
public:
    FileBinaryWriter(std::wstring path, UniqueFileHandle file)
        : path_(std::move(path)), file_(std::move(file)) {}

    void Write(const std::uint8_t* data, std::size_t count) override {
        if (!file_) ThrowError(ERROR_INVALID_HANDLE, L"Die Datei ist geschlossen: " + path_);
        WriteAll(file_.get(), data, count, path_);
    }
    void Close() override { file_.reset(); }

private:
    std::wstring path_;
    UniqueFileHandle file_;
};

std::wstring VersionText(const VS_FIXEDFILEINFO& info) {
    return Text::FromInt(HIWORD(info.dwFileVersionMS)) + L"." +
           Text::FromInt(LOWORD(info.dwFileVersionMS)) + L"." +
           Text::FromInt(HIWORD(info.dwFileVersionLS)) + L"." +
           Text::FromInt(LOWORD(info.dwFileVersionLS));
}

}  // namespace

bool WinFileSystem::FolderExists(const std::wstring& path) {
    const DWORD attributes = AttributesOf(WithoutTrailingBackslash(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WinFileSystem::FileExists(const std::wstring& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void WinFileSystem::CreateFolder(const std::wstring& path) {
    if (!::CreateDirectoryW(WithoutTrailingBackslash(path).c_str(), nullptr)) {
        ThrowLastError(L"Der Ordner konnte nicht erstellt werden: " + path);
    }
}

namespace {

// The process user's SID as text ("S-1-5-21-...").
std::wstring CurrentUserSid() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        ThrowLastError(L"Der angemeldete Benutzer konnte nicht ermittelt werden");
    }
    const UniqueKernelHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<std::uint8_t> buffer(size);
    wchar_t* text = nullptr;
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        ThrowLastError(L"Der angemeldete Benutzer konnte nicht ermittelt werden");
    }
    const UniqueLocalMemory owned(text);
    return text;
}

}  // namespace

UniqueLocalMemory PrivateFolderDescriptor() {
    // The installation folder under C:\ lets every local user change files
    // in it; what the wizard downloads into its attempt folder is run. A
    // protected list (nothing inherited) with full access for the user,
    // SYSTEM and the Administrators, for the folder and all created in it.
    const std::wstring sddl =
        L"D:P(A;OICI;FA;;;" + CurrentUserSid() + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor, nullptr)) {
        ThrowLastError(L"Die Zugriffsrechte des Ordners konnten nicht festgelegt werden");
    }
    return UniqueLocalMemory(descriptor);
}

void WinFileSystem::CreatePrivateFolder(const std::wstring& path) {
    const UniqueLocalMemory descriptor = PrivateFolderDescriptor();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    if (!::CreateDirectoryW(WithoutTrailingBackslash(path).c_str(), &attributes)) {
        ThrowLastError(L"Der Ordner konnte nicht erstellt werden: " + path);
    }
}

void WinFileSystem::DeleteFolder(const std::wstring& path, bool force) {
    const std::wstring folder = WithoutTrailingBackslash(path);
    const DWORD attributes = AttributesOf(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        ThrowLastError(L"Der Ordner konnte nicht gelöscht werden: " + path);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ThrowError(ERROR_PATH_NOT_FOUND, L"Der Ordner konnte nicht gelöscht werden: " + path);
    }
    DeleteTree(folder, attributes, force,
               [this](HANDLE find, WIN32_FIND_DATAW& found) { return FindNext(find, found); });
}

void WinFileSystem::RemoveEmptyFolder(const std::wstring& path) {
    const std::wstring folder = WithoutTrailingBackslash(path);
    const DWORD attributes = AttributesOf(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES) ClearReadOnly(folder, attributes);
    if (!::RemoveDirectoryW(folder.c_str())) {
        const DWORD error = ::GetLastError();
        if (attributes != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesW(folder.c_str(), attributes);
        ThrowError(error, L"Der Ordner konnte nicht gelöscht werden: " + path);
    }
}

bool WinFileSystem::FindNext(HANDLE find, WIN32_FIND_DATAW& found) {
    return ::FindNextFileW(find, &found) != FALSE;
}

void WinFileSystem::DeleteFile(const std::wstring& path, bool force) {
    const DWORD attributes = AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        ThrowLastError(L"Die Datei konnte nicht gelöscht werden: " + path);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        ThrowError(ERROR_FILE_NOT_FOUND, L"Die Datei konnte nicht gelöscht werden: " + path);
    }
    DeleteOneFile(path, attributes, force);
}

std::int64_t WinFileSystem::GetFileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        ThrowLastError(L"Die Dateigröße konnte nicht ermittelt werden: " + path);
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ThrowError(ERROR_FILE_NOT_FOUND, L"Die Dateigröße konnte nicht ermittelt werden: " + path);
    }
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void WinFileSystem::CopyFile(const std::wstring& source, const std::wstring& destination) {
    if (!::CopyFileW(source.c_str(), destination.c_str(), FALSE)) {
        ThrowLastError(L"Die Datei " + source + L" konnte nicht nach " + destination +
                       L" kopiert werden");
    }
}

void WinFileSystem::MoveFile(const std::wstring& source, const std::wstring& destinationFolder) {
    const std::wstring target = Join(destinationFolder, Path::Name(source));
    // No MOVEFILE_REPLACE_EXISTING: a file already at the target is an error.
    if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) {
        ThrowLastError(L"Die Datei " + source + L" konnte nicht nach " + destinationFolder +
                       L" verschoben werden");
    }
}

void WinFileSystem::ReplaceFile(const std::wstring& source, const std::wstring& destination) {
    const DWORD attributes = AttributesOf(destination);
    const bool readOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) ::SetFileAttributesW(destination.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    // No MOVEFILE_COPY_ALLOWED: a copy would not be one step. The new name is
    // on the disk when the call returns.
    if (!::MoveFileExW(source.c_str(), destination.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        if (readOnly) ::SetFileAttributesW(destination.c_str(), attributes);
        ThrowError(error, L"Die Datei " + destination + L" konnte nicht durch " + source +
                              L" ersetzt werden");
    }
}

FolderItem WinFileSystem::GetFolder(const std::wstring& path) {
    const std::wstring requested = WithoutTrailingBackslash(path);
    wchar_t full[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameW(requested.c_str(), MAX_PATH * 4, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 4) {
        ThrowError(length == 0 ? ::GetLastError() : ERROR_FILENAME_EXCED_RANGE,
                   L"Der Ordner konnte nicht geöffnet werden: " + path);
    }
    FolderItem item;
    item.path = WithoutTrailingBackslash(std::wstring(full, length));
    item.Name = Path::IsDriveRoot(item.path) ? std::wstring() : Path::Name(item.path);

    const auto next = [this](HANDLE find, WIN32_FIND_DATAW& found) {
        return FindNext(find, found);
    };
    ForEachEntry(item.path, next, L"Der Ordner konnte nicht geöffnet werden: " + path,
                 [&](const WIN32_FIND_DATAW& found) {
                     if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                         item.SubFolders.emplace_back(found.cFileName);
                     } else {
                         item.Files.emplace_back(found.cFileName);
                     }
                 });
    return item;
}

std::vector<DriveItem> WinFileSystem::Drives() {
    NoCriticalErrorBoxes quiet;
    std::vector<DriveItem> drives;
    const DWORD mask = ::GetLogicalDrives();
    if (mask == 0) ThrowLastError(L"Die Laufwerke konnten nicht ermittelt werden");
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) == 0) continue;
        DriveItem drive;
        drive.path = std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L":";
        const std::wstring root = Path::DriveRoot(drive.path);
        // A drive without a medium cannot report its free space.
        drive.isReady = ::GetDiskFreeSpaceExW(root.c_str(), nullptr, nullptr, nullptr) != FALSE;
        drives.push_back(drive);
    }
    return drives;
}

std::unique_ptr<TextReader> WinFileSystem::OpenTextFileForReading(const std::wstring& path) {
    return std::make_unique<AnsiTextReader>(path, FromAnsi(ReadWholeFile(path)));
}

std::unique_ptr<TextWriter> WinFileSystem::OpenTextFileForWriting(const std::wstring& path) {
    return std::make_unique<AnsiTextWriter>(
        path, OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS));
}

std::unique_ptr<BinaryWriter> WinFileSystem::OpenBinaryForWrite(const std::wstring& path) {
    // OPEN_ALWAYS starts at the first byte and keeps the file's length.
    return std::make_unique<FileBinaryWriter>(
        path, OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS));
}

std::unique_ptr<BinaryWriter> WinFileSystem::OpenBinaryForAppend(const std::wstring& path) {
    UniqueFileHandle file = OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    LARGE_INTEGER none{};
    if (!::SetFilePointerEx(file.get(), none, nullptr, FILE_END)) {
        ThrowLastError(L"Die Datei konnte nicht geöffnet werden: " + path);
    }
    return std::make_unique<FileBinaryWriter>(path, std::move(file));
}

std::int64_t WinFileSystem::FreeSpace(const std::wstring& folder) {
    NoCriticalErrorBoxes quiet;
    // The bytes free for this user: a disk quota may leave less than the drive has.
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(Path::WithTrailingBackslash(folder).c_str(), &available, nullptr,
                               nullptr)) {
        ThrowLastError(L"Der freie Platz konnte nicht ermittelt werden: " + folder);
    }
    return static_cast<std::int64_t>(available.QuadPart);
}

std::wstring WinFileSystem::GetFileVersion(const std::wstring& path) {
    if (!FileExists(path)) {
        ThrowError(ERROR_FILE_NOT_FOUND, L"Die Dateiversion konnte nicht gelesen werden: " + path);
    }
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_RESOURCE_DATA_NOT_FOUND || error == ERROR_RESOURCE_TYPE_NOT_FOUND ||
            error == ERROR_RESOURCE_NAME_NOT_FOUND || error == ERROR_BAD_EXE_FORMAT ||
            error == ERROR_BAD_FORMAT) {
            return std::wstring();
        }
        ThrowError(error, L"Die Dateiversion konnte nicht gelesen werden: " + path);
    }
    std::vector<std::uint8_t> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        ThrowLastError(L"Die Dateiversion konnte nicht gelesen werden: " + path);
    }
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoLength = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoLength) ||
        info == nullptr || infoLength < sizeof(VS_FIXEDFILEINFO)) {
        return std::wstring();
    }
    return VersionText(*info);
}
