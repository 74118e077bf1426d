#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// The record of one file to download: where it lies on the server, where it
// goes on the local disk, how large the server says it is, how many bytes have
// arrived, and the output file while bytes are written. It checks nothing;
// errors of the file system reach the caller.
//
// Properties follow the program's own names: reading is `url()`, writing is
// `url(text)`. "No value" results are an empty optional.
class Datei {
public:
    explicit Datei(FileSystem& fs);

    const std::wstring& Folder() const { return folder_; }
    void Folder(const std::wstring& value) { folder_ = value; }
    const std::wstring& filename() const { return filename_; }
    void filename(const std::wstring& value) { filename_ = value; }
    // Folder followed by filename; writing splits at the last "/".
    std::wstring url() const { return folder_ + filename_; }
    void url(const std::wstring& value);
    const std::wstring& FolderLokal() const { return folderLokal_; }
    void FolderLokal(const std::wstring& value) { folderLokal_ = value; }
    // FolderLokal followed by filename; the trailing "\" of FolderLokal separates them.
    std::wstring PfadLokal() const { return folderLokal_ + filename_; }
    // The size text exactly as given; writing also derives the total size.
    const std::wstring& Filesize() const { return sizeText_; }
    void Filesize(const std::wstring& text);
    const std::wstring& Tag() const { return tag_; }
    void Tag(const std::wstring& value) { tag_ = value; }

    // Opens PfadLokal at its first byte: created when missing, an existing
    // file is overwritten from the start and not shortened.
    void OpenFileForWrite();
    // Opens PfadLokal after its last byte, created when missing, and counts
    // the bytes already there as received: the download goes on from there.
    void OpenFileForAppend();
    // Appends the bytes and counts them; an empty array does nothing.
    void WriteBytesToFile(const std::vector<std::uint8_t>& b);
    // Empties the open output file and the count: the server's body began anew.
    void StartOver();
    void CloseFile();

    // Percentage received, never above 100; no value while the total is unknown.
    std::optional<double> GetProgress() const;
    std::int64_t GetAktFilesizeInBytes() const { return current_; }
    std::int32_t GetFilesizeInBytes() const { return total_; }
    std::optional<double> GetAktFilesizeInKB() const;
    std::optional<double> GetFilesizeInKB() const;
    double GetAktFilesizeInMB() const;
    double GetFilesizeInMB() const;
    // Display texts such as "1,5 KB" or "9,54 MB", with the user's decimal separator.
    std::wstring GetFormattedFilesize(const std::wstring& decimalSeparator) const;
    std::wstring GetFormattedAktFilesize(const std::wstring& decimalSeparator) const;

    // The first bytes written at the file's start by this record (up to
    // two, enough for the "MZ" of a program); empty when it wrote none there.
    const std::string& FirstBytes() const { return firstBytes_; }

    void SetFilesize(std::int32_t size) { total_ = size; }
    void SetAktFilesize(std::int32_t size) { current_ = size; }

    // The numeric test of size texts: optional white space around an optional
    // sign, decimal digits and an optional fraction after ".". Returns the
    // value, or no value for any other text.
    static std::optional<double> NumericValue(const std::wstring& text);
    // Whether a numeric text rounds to a number the 32-bit total can hold.
    static bool FitsTotalSize(double value);
    // A number of bytes as the size line shows it: "1,5 KB", "9,54 MB".
    static std::wstring FormatSize(std::int64_t bytes, const std::wstring& decimalSeparator);

private:
    FileSystem& fs_;
    std::wstring folder_;
    std::wstring filename_;
    std::wstring folderLokal_;
    std::wstring sizeText_;
    std::wstring tag_;
    std::int32_t total_ = 0;
    // Counted in 64 bits: a body longer than announced must not overflow the count.
    std::int64_t current_ = 0;
    std::string firstBytes_;
    std::unique_ptr<BinaryWriter> output_;
};
