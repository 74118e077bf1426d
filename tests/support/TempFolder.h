#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>

#include <atomic>
#else
#include <stdlib.h>
#endif

#include "platform/Text.h"

// A fresh, empty folder, removed with everything in it (read-only entries too) when the test
// ends. Under Wine it is C:\ztest\<unique name>: a short path with a known parent, which the
// folder chooser's length checks rely on. The program sees paths composed with "\"; Native
// gives the same place for std::filesystem and takes a UTF-8 path with "/".
class TempFolder {
public:
    TempFolder() : native_(Fresh()) {
#ifdef _WIN32
        path_ = native_.wstring();
#else
        path_ = Text::FromUtf8(native_.string());
#endif
    }
    ~TempFolder() {
        RemoveAll(native_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const {
        return path_;
    }
    std::wstring operator/(const std::wstring& relative) const {
        return path_ + L"\\" + relative;
    }
    std::filesystem::path Native(const std::string& relative) const {
        return native_ / std::filesystem::u8path(relative);
    }

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

    // Tests leave read-only files and folders behind; removal must not stop there.
    static std::error_code RemoveAll(const std::filesystem::path& path) {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(path, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        ec.clear();
        fs::remove_all(path, ec);
        return ec;
    }

private:
    static std::filesystem::path Fresh() {
#ifdef _WIN32
        static std::atomic<unsigned> counter{0};
        const std::filesystem::path parent = L"C:\\ztest";
        std::filesystem::create_directories(parent);
        for (;;) {  // a name left over from an earlier run is passed over
            const auto candidate =
                parent / (L"t" + std::to_wstring(::_getpid()) + L"_" + std::to_wstring(++counter));
            if (std::filesystem::create_directory(candidate)) return candidate;
        }
#else
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zelbar-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a folder");
        return pattern;
#endif
    }

    std::filesystem::path native_;
    std::wstring path_;
};
