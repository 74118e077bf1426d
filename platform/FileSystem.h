#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The file system object of the program: every file and folder operation the
// wizard performs goes through this interface. Paths are full Windows paths.
// Every failure throws PlatformError with the Windows error code.

// A text file opened for reading, line by line (line breaks removed).
class TextReader {
public:
    virtual ~TextReader() = default;
    virtual bool AtEndOfStream() = 0;
    virtual std::wstring Readline() = 0;
};

// A text file opened for writing; the file was emptied when it was opened.
class TextWriter {
public:
    virtual ~TextWriter() = default;
    // Writes the text without a line break.
    virtual void Write(const std::wstring& text) = 0;
    // Writes the text followed by a carriage return and line feed.
    virtual void WriteLine(const std::wstring& text) = 0;
    // Writes everything so far through to the disk, so that a file renamed
    // into place after Close holds its text even after a power cut.
    virtual void Flush() = 0;
    virtual void Close() = 0;
};

// A binary output file, positioned where it was opened (its first byte, or its end).
class BinaryWriter {
public:
    virtual ~BinaryWriter() = default;
    virtual void Write(const std::uint8_t* data, std::size_t count) = 0;
    virtual void Close() = 0;
};

struct FolderItem {
    std::wstring path;                     // full path, no trailing backslash (a root keeps "C:\")
    std::wstring Name;                     // last level of the path
    std::vector<std::wstring> Files;       // file names, as the system lists them
    std::vector<std::wstring> SubFolders;  // subfolder names, as the system lists them
};

struct DriveItem {
    std::wstring path;  // letter and colon, such as "C:"
    bool isReady = false;
};

enum class TextFileMode { ForReading = 1, ForWriting = 2 };

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // A trailing backslash on the folder path is accepted.
    virtual bool FolderExists(const std::wstring& path) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // Creates the last level of the path; fails when it exists or the parent is missing.
    virtual void CreateFolder(const std::wstring& path) = 0;
    // The same, for the user alone: only the user, the system and the
    // administrators may read or change what is in it.
    virtual void CreatePrivateFolder(const std::wstring& path) = 0;
    // Removes the folder and everything in it; with force, read-only files too.
    virtual void DeleteFolder(const std::wstring& path, bool force) = 0;
    // Removes the folder only when it is empty (a read-only one too); fails
    // otherwise, so that nothing in it is ever lost.
    virtual void RemoveEmptyFolder(const std::wstring& path) = 0;
    // With force, read-only files are removed too; fails when the file is in use.
    virtual void DeleteFile(const std::wstring& path, bool force) = 0;

    // GetFile(path).size
    virtual std::int64_t GetFileSize(const std::wstring& path) = 0;
    // GetFile(source).Copy(destination): replaces an existing destination file.
    virtual void CopyFile(const std::wstring& source, const std::wstring& destination) = 0;
    // GetFile(source).Move(destinationFolder): destinationFolder ends with a
    // backslash; fails when a file of that name is already there.
    virtual void MoveFile(const std::wstring& source, const std::wstring& destinationFolder) = 0;
    // Puts the file source in destination's place in one step, a read-only
    // destination too: at every moment either the old or the new file is there,
    // so a failure (the file in use) loses neither. Both lie on one volume.
    virtual void ReplaceFile(const std::wstring& source, const std::wstring& destination) = 0;

    virtual FolderItem GetFolder(const std::wstring& path) = 0;
    virtual std::vector<DriveItem> Drives() = 0;

    // Text files are 8-bit text in the ANSI code page.
    virtual std::unique_ptr<TextReader> OpenTextFileForReading(const std::wstring& path) = 0;
    virtual std::unique_ptr<TextWriter> OpenTextFileForWriting(const std::wstring& path) = 0;
    // Positioned at the first byte: an existing file is overwritten from the
    // start and not shortened.
    virtual std::unique_ptr<BinaryWriter> OpenBinaryForWrite(const std::wstring& path) = 0;
    // Positioned after the last byte, so that a download continues the part
    // an earlier attempt left; a missing file is created.
    virtual std::unique_ptr<BinaryWriter> OpenBinaryForAppend(const std::wstring& path) = 0;

    // Bytes the current user may still write on the drive that holds the
    // folder (a disk quota counts, not only the drive's own free space).
    virtual std::int64_t FreeSpace(const std::wstring& folder) = 0;

    // The file's version resource as four numbers separated by points.
    virtual std::wstring GetFileVersion(const std::wstring& path) = 0;
};
