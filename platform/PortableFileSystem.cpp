#include "platform/PortableFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/PlatformError.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace {

fs::path ToPath(const std::wstring& path) {
#ifdef _WIN32
    return fs::path(path);
#else
    std::wstring mapped = path;
    std::replace(mapped.begin(), mapped.end(), L'\\', L'/');
    return fs::path(Text::ToUtf8(mapped));
#endif
}

std::wstring FromPath(const fs::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return Text::FromUtf8(path.string());
#endif
}

std::wstring Quoted(const std::wstring& text) {
    return L"„" + text + L"“";
}

[[noreturn]] void Fail(int code, const std::wstring& message) {
    throw PlatformError(static_cast<std::uint32_t>(code), message);
}

[[noreturn]] void Fail(std::errc code, const std::wstring& message) {
    Fail(static_cast<int>(code), message);
}

// The error of a failed stream operation: the C library leaves it in errno.
int LastErrno() {
    return errno != 0 ? errno : static_cast<int>(std::errc::io_error);
}

void RequireFile(const std::wstring& path) {
    std::error_code ec;
    if (!fs::is_regular_file(ToPath(path), ec)) {
        Fail(std::errc::no_such_file_or_directory,
             L"Die Datei " + Quoted(path) + L" wurde nicht gefunden.");
    }
}

void RequireFolder(const std::wstring& path) {
    std::error_code ec;
    if (!fs::is_directory(ToPath(path), ec)) {
        Fail(std::errc::no_such_file_or_directory,
             L"Der Ordner " + Quoted(path) + L" wurde nicht gefunden.");
    }
}

// The read-only attribute of Windows is the missing write permission here.
bool IsReadOnly(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    return !ec && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

void MakeWritable(const fs::path& path) {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
}

bool ContainsReadOnlyFile(const fs::path& folder) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && IsReadOnly(it->path())) return true;
    }
    return false;
}

void MakeTreeWritable(const fs::path& folder) {
    MakeWritable(folder);
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        MakeWritable(it->path());
    }
}

// Folder listings in the order NTFS gives them: by name, letter case ignored.
void SortNames(std::vector<std::wstring>& names) {
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return Text::ToLower(a) < Text::ToLower(b);
    });
}

fs::path WithoutTrailingSeparator(fs::path path) {
    if (!path.has_filename() && path != path.root_path()) return path.parent_path();
    return path;
}

class PortableTextReader : public TextReader {
public:
    explicit PortableTextReader(const std::wstring& path) : path_(path) {
        const fs::path native = ToPath(path);
        std::error_code ec;
        if (fs::is_directory(native, ec)) {
            Fail(std::errc::is_a_directory,
                 L"Die Datei " + Quoted(path) + L" ist ein Ordner und kann nicht gelesen werden.");
        }
        errno = 0;
        in_.open(native, std::ios::in | std::ios::binary);
        if (!in_) {
            Fail(LastErrno(),
                 L"Die Datei " + Quoted(path) + L" konnte nicht zum Lesen geöffnet werden.");
        }
    }

    bool AtEndOfStream() override { return in_.peek() == std::ifstream::traits_type::eof(); }

    std::wstring Readline() override {
        if (AtEndOfStream()) {
            Fail(std::errc::io_error,
                 L"Die Datei " + Quoted(path_) + L" wurde über ihr Ende hinaus gelesen.");
        }
        std::string bytes;
        std::getline(in_, bytes);
        if (in_.bad()) {
            Fail(LastErrno(), L"Die Datei " + Quoted(path_) + L" konnte nicht gelesen werden.");
        }
        if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
        return Text::DecodeCp1252(bytes);
    }

private:
    std::wstring path_;
    std::ifstream in_;
};

class PortableTextWriter : public TextWriter {
public:
    explicit PortableTextWriter(const std::wstring& path) : path_(path) {
        errno = 0;
        out_.open(ToPath(path), std::ios::out | std::ios::binary | std::ios::trunc);
        if (!out_) {
            Fail(LastErrno(),
                 L"Die Datei " + Quoted(path) + L" konnte nicht zum Schreiben geöffnet werden.");
        }
    }

    void Write(const std::wstring& text) override {
        const std::string bytes = Text::EncodeCp1252(text);
        errno = 0;
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out_) FailWrite();
    }

    void WriteLine(const std::wstring& text) override { Write(text + L"\r\n"); }

    // Hands the text to the system; file streams reach no further.
    void Flush() override {
        errno = 0;
        out_.flush();
        if (!out_) FailWrite();
    }

    void Close() override {
        if (!out_.is_open()) return;
        errno = 0;
        out_.close();
        if (!out_) FailWrite();
    }

private:
    [[noreturn]] void FailWrite() {
        Fail(LastErrno(), L"Die Datei " + Quoted(path_) + L" konnte nicht geschrieben werden.");
    }

    std::wstring path_;
    std::ofstream out_;
};

class PortableBinaryWriter : public BinaryWriter {
public:
    PortableBinaryWriter(const std::wstring& path, bool append) : path_(path) {
        const fs::path native = ToPath(path);
        std::error_code ec;
        // An existing file is written over from its first byte and keeps its
        // length; only a new file is created.
        auto mode = fs::exists(native, ec) ? std::ios::in | std::ios::out | std::ios::binary
                                           : std::ios::out | std::ios::binary;
        if (append) mode = std::ios::out | std::ios::app | std::ios::binary;
        errno = 0;
        out_.open(native, mode);
        if (!out_) {
            Fail(LastErrno(),
                 L"Die Datei " + Quoted(path) + L" konnte nicht zum Schreiben geöffnet werden.");
        }
    }

    void Write(const std::uint8_t* data, std::size_t count) override {
        errno = 0;
        out_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(count));
        if (!out_) FailWrite();
    }

    void Close() override {
        if (!out_.is_open()) return;
        errno = 0;
        out_.close();
        if (!out_) FailWrite();
    }

private:
    [[noreturn]] void FailWrite() {
        Fail(LastErrno(), L"Die Datei " + Quoted(path_) + L" konnte nicht geschrieben werden.");
    }

    std::wstring path_;
    std::fstream out_;
};

}  // namespace

bool PortableFileSystem::FolderExists(const std::wstring& path) {
    std::error_code ec;
    return fs::is_directory(ToPath(path), ec);
}

bool PortableFileSystem::FileExists(const std::wstring& path) {
    std::error_code ec;
    return fs::is_regular_file(ToPath(path), ec);
}

void PortableFileSystem::CreateFolder(const std::wstring& path) {
    const fs::path native = ToPath(path);
    std::error_code ec;
    if (fs::exists(native, ec)) {
        Fail(std::errc::file_exists, L"Der Ordner " + Quoted(path) + L" ist bereits vorhanden.");
    }
    if (!fs::create_directory(native, ec) || ec) {
        Fail(ec ? ec.value() : static_cast<int>(std::errc::file_exists),
             L"Der Ordner " + Quoted(path) + L" konnte nicht erstellt werden.");
    }
}

void PortableFileSystem::CreatePrivateFolder(const std::wstring& path) {
    CreateFolder(path);
    std::error_code ec;
    fs::permissions(ToPath(path), fs::perms::owner_all, fs::perm_options::replace, ec);
    if (ec) {
        Fail(ec.value(), L"Der Ordner " + Quoted(path) + L" konnte nicht geschützt werden.");
    }
}

void PortableFileSystem::DeleteFolder(const std::wstring& path, bool force) {
    RequireFolder(path);
    const fs::path native = ToPath(path);
    if (force) {
        MakeTreeWritable(native);
    } else if (ContainsReadOnlyFile(native)) {
        Fail(std::errc::permission_denied, L"Der Ordner " + Quoted(path) +
                                               L" enthält schreibgeschützte Dateien und "
                                               L"konnte nicht gelöscht werden.");
    }
    std::error_code ec;
    fs::remove_all(native, ec);
    if (ec) Fail(ec.value(), L"Der Ordner " + Quoted(path) + L" konnte nicht gelöscht werden.");
}

void PortableFileSystem::RemoveEmptyFolder(const std::wstring& path) {
    RequireFolder(path);
    std::error_code ec;
    fs::remove(ToPath(path), ec);
    if (ec) Fail(ec.value(), L"Der Ordner " + Quoted(path) + L" konnte nicht gelöscht werden.");
}

void PortableFileSystem::DeleteFile(const std::wstring& path, bool force) {
    RequireFile(path);
    const fs::path native = ToPath(path);
    if (IsReadOnly(native)) {
        if (!force) {
            Fail(std::errc::permission_denied,
                 L"Die Datei " + Quoted(path) + L" ist schreibgeschützt und wurde nicht gelöscht.");
        }
        MakeWritable(native);
    }
    std::error_code ec;
    fs::remove(native, ec);
    if (ec) Fail(ec.value(), L"Die Datei " + Quoted(path) + L" konnte nicht gelöscht werden.");
}

std::int64_t PortableFileSystem::GetFileSize(const std::wstring& path) {
    RequireFile(path);
    std::error_code ec;
    const auto size = fs::file_size(ToPath(path), ec);
    if (ec) Fail(ec.value(), L"Die Größe der Datei " + Quoted(path) + L" ist nicht lesbar.");
    return static_cast<std::int64_t>(size);
}

void PortableFileSystem::CopyFile(const std::wstring& source, const std::wstring& destination) {
    RequireFile(source);
    std::error_code ec;
    fs::copy_file(ToPath(source), ToPath(destination), fs::copy_options::overwrite_existing, ec);
    if (ec) {
        Fail(ec.value(), L"Die Datei " + Quoted(source) + L" konnte nicht nach " +
                             Quoted(destination) + L" kopiert werden.");
    }
}

void PortableFileSystem::MoveFile(const std::wstring& source,
                                  const std::wstring& destinationFolder) {
    RequireFile(source);
    const fs::path from = ToPath(source);
    const fs::path to = ToPath(destinationFolder) / from.filename();
    std::error_code ec;
    if (fs::exists(to, ec)) {
        Fail(std::errc::file_exists, L"Im Ordner " + Quoted(destinationFolder) +
                                         L" gibt es bereits eine Datei " +
                                         Quoted(FromPath(from.filename())) + L".");
    }
    fs::rename(from, to, ec);
    if (ec == std::errc::cross_device_link) {
        // Another volume: a move is a copy followed by removing the original.
        ec.clear();
        fs::copy_file(from, to, ec);
        if (!ec) fs::remove(from, ec);
    }
    if (ec) {
        Fail(ec.value(), L"Die Datei " + Quoted(source) + L" konnte nicht nach " +
                             Quoted(destinationFolder) + L" verschoben werden.");
    }
}

void PortableFileSystem::ReplaceFile(const std::wstring& source, const std::wstring& destination) {
    RequireFile(source);
    std::error_code ec;
    // rename() replaces in one step, whatever the destination's write permission.
    fs::rename(ToPath(source), ToPath(destination), ec);
    if (ec) {
        Fail(ec.value(), L"Die Datei " + Quoted(destination) + L" konnte nicht durch " +
                             Quoted(source) + L" ersetzt werden.");
    }
}

FolderItem PortableFileSystem::GetFolder(const std::wstring& path) {
    RequireFolder(path);
    std::error_code ec;
    const fs::path full =
        WithoutTrailingSeparator(fs::absolute(ToPath(path), ec).lexically_normal());
    FolderItem item;
    item.path = FromPath(full);
    item.Name = FromPath(full.filename());
    for (fs::directory_iterator it(full, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        const std::wstring name = FromPath(it->path().filename());
        if (it->is_directory(kindError)) {
            item.SubFolders.push_back(name);
        } else if (it->is_regular_file(kindError)) {
            item.Files.push_back(name);
        }
    }
    if (ec) Fail(ec.value(), L"Der Ordner " + Quoted(path) + L" konnte nicht gelesen werden.");
    SortNames(item.Files);
    SortNames(item.SubFolders);
    return item;
}

std::vector<DriveItem> PortableFileSystem::Drives() {
#ifdef _WIN32
    std::vector<DriveItem> drives;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const std::wstring name{letter, L':'};
        std::error_code ec;
        const auto status = fs::status(fs::path(name + L"\\"), ec);
        // A drive without a medium exists but answers "not ready" (21).
        const bool notReady = ec.value() == 21 && ec.category() == std::system_category();
        const bool ready = !ec && status.type() == fs::file_type::directory;
        if (ready || notReady) drives.push_back({name, ready});
    }
    return drives;
#else
    return {DriveItem{L"/", true}};
#endif
}

std::unique_ptr<TextReader> PortableFileSystem::OpenTextFileForReading(const std::wstring& path) {
    return std::make_unique<PortableTextReader>(path);
}

std::unique_ptr<TextWriter> PortableFileSystem::OpenTextFileForWriting(const std::wstring& path) {
    return std::make_unique<PortableTextWriter>(path);
}

std::unique_ptr<BinaryWriter> PortableFileSystem::OpenBinaryForWrite(const std::wstring& path) {
    return std::make_unique<PortableBinaryWriter>(path, false);
}

std::unique_ptr<BinaryWriter> PortableFileSystem::OpenBinaryForAppend(const std::wstring& path) {
    return std::make_unique<PortableBinaryWriter>(path, true);
}

std::int64_t PortableFileSystem::FreeSpace(const std::wstring& folder) {
    std::error_code ec;
    const fs::space_info space = fs::space(ToPath(folder), ec);
    if (ec) {
        Fail(ec.value(),
             L"Der freie Platz im Ordner " + Quoted(folder) + L" konnte nicht ermittelt werden.");
    }
    return static_cast<std::int64_t>(space.available);
}

std::wstring PortableFileSystem::GetFileVersion(const std::wstring& path) {
    RequireFile(path);
    Fail(std::errc::not_supported, L"Die Versionsangabe der Datei " + Quoted(path) +
                                       L" kann auf diesem System nicht gelesen werden.");
}
