#pragma once
#include "platform/FileSystem.h"
#include "platform/Handles_win.h"
#include "platform/WinApi.h"

// The security descriptor that CreatePrivateFolder gives its folder: for the
// process's user, SYSTEM and the Administrators alone.
UniqueLocalMemory PrivateFolderDescriptor();

// The file system object on Win32. Every failure throws PlatformError with the
// Windows error code and a German message naming the operation and the path.
class WinFileSystem : public FileSystem {
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

    // An existing file without a version resource has no version: the result
    // is empty text, as the scripting file system object answers. A missing
    // or unreadable file throws.
    std::wstring GetFileVersion(const std::wstring& path) override;

protected:
    // The next entry of a listing begun with FindFirstFileW (FindNextFileW);
    // a test's double breaks it off part-way, as a network share may.
    virtual bool FindNext(HANDLE find, WIN32_FIND_DATAW& found);
};
