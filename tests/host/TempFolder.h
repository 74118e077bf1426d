#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Text.h"

// A fresh, empty folder below the system's temporary folder, removed with
// everything in it when the test ends. Paths handed to the program are
// composed with "\" as the program does; PortableFileSystem maps them.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zelbar-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        // Tests may leave read-only files behind; removal must not stop there.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as the program sees it, without trailing backslash.
    std::wstring wpath() const { return Text::FromUtf8(path_.string()); }
    // A path inside the folder in the program's own form ("folder\name").
    std::wstring Program(const std::wstring& relative) const { return wpath() + L"\\" + relative; }
    std::filesystem::path Native(const std::string& relative) const { return path_ / relative; }

    void WriteBytes(const std::string& relative, const std::string& bytes) const {
        std::filesystem::create_directories(Native(relative).parent_path());
        std::ofstream out(Native(relative), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + relative);
    }
    // Lines as settings.ini holds them: Windows-1252, each ended by CRLF.
    void WriteLines(const std::string& relative, const std::vector<std::wstring>& lines) const {
        std::string bytes;
        for (const std::wstring& line : lines) bytes += Text::EncodeCp1252(line) + "\r\n";
        WriteBytes(relative, bytes);
    }
    std::string ReadBytes(const std::string& relative) const {
        std::ifstream in(Native(relative), std::ios::binary);
        if (!in) throw std::runtime_error("cannot read " + relative);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& relative) const {
        return std::filesystem::exists(Native(relative));
    }

private:
    std::filesystem::path path_;
};
