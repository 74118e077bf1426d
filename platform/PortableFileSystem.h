#pragma once
#include "platform/FileSystem.h"

// The file operations of the program built on std::filesystem and file
// streams, so that code reading and writing files can run against real files
// on any host. Text files are Windows-1252 (the ANSI code page of German
// Windows); lines end at CRLF or LF, and a carriage return left at the end of
// a line is dropped; WriteLine ends a line with CRLF.
//
// On hosts other than Windows every backslash in a path becomes "/", because
// the program composes its paths with "\". There are no drive letters there:
// Drives lists the one file tree as "/". Version resources only exist on
// Windows, so GetFileVersion fails on other hosts.
//
// Failures throw PlatformError with an errno value (std::errc) and a German
// message naming the path.
class PortableFileSystem : public FileSystem {
public:
    bool FolderExists(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    void CreateFolder(const std::wstring& path) override;
    void CreatePrivateFolder(const std::wstring& path) override;
    void DeleteFolder(const std::wstring& path, bool force) override;
    void RemoveEmptyFolder(const std::wstring& path) override;
    void DeleteFile(const std::wstring& path, bool force) override;

    std::int64_t GetFileSize(const std::wstring& path) override;
    void CopyFile(const std::wstring& source, const std::wstring& destination) override;
    void MoveFile(const std::wstring& source, const std::wstring& destinationFolder) override;
    void ReplaceFile(const std::wstring& source, const std::wstring& destination) override;

    FolderItem GetFolder(const std::wstring& path) override;
    std::vector<DriveItem> Drives() override;

    std::unique_ptr<TextReader> OpenTextFileForReading(const std::wstring& path) override;
    std::unique_ptr<TextWriter> OpenTextFileForWriting(const std::wstring& path) override;
    std::unique_ptr<BinaryWriter> OpenBinaryForWrite(const std::wstring& path) override;
    std::unique_ptr<BinaryWriter> OpenBinaryForAppend(const std::wstring& path) override;
    std::int64_t FreeSpace(const std::wstring& folder) override;

    std::wstring GetFileVersion(const std::wstring& path) override;
};
