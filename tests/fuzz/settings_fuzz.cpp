// libFuzzer target: settings.ini comes from outside the program, so its check
// and every reader must survive any bytes. Each input is the settings file;
// the readers may refuse it only with the errors they document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FakeUi.h"
#include "platform/PortableFileSystem.h"
#include "platform/Text.h"
#include "settings/NameList.h"
#include "settings/ini.h"

namespace {

// The file held in memory: every reader opens it anew, and going to disk for
// each would make the fuzzer a hundred times slower. Lines are read as the
// portable file system reads them (LF ends a line, a CR before it is dropped,
// Windows-1252).
class InMemoryFile : public PortableFileSystem {
public:
    std::string bytes;

    bool FileExists(const std::wstring&) override { return true; }
    std::unique_ptr<TextReader> OpenTextFileForReading(const std::wstring&) override {
        return std::make_unique<Reader>(bytes);
    }

private:
    class Reader : public TextReader {
    public:
        explicit Reader(const std::string& bytes) : in_(bytes) {}
        bool AtEndOfStream() override { return in_.peek() == std::char_traits<char>::eof(); }
        std::wstring Readline() override {
            if (AtEndOfStream()) std::abort();  // the readers look before they read
            std::string line;
            std::getline(in_, line);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return Text::DecodeCp1252(line);
        }

    private:
        std::istringstream in_;
    };
};

void ReadEverything(const ini& settings) {
    const short check = settings.CheckIniFile();
    if (check != ini::kUsable && check != ini::kBroken) std::abort();
    // Every reader reads the whole file again, so a few sections are enough to
    // take each road: the first ones of the file and the one the wizard reads by key.
    std::vector<std::wstring> sections;
    try {
        for (const std::wstring& name : settings.GetSections()) {
            if (sections.size() < 3) sections.push_back(name);
        }
    } catch (const NameListDuplicateError&) {
    }
    sections.push_back(L"SupportedAccessVersions");
    for (const std::wstring& section : sections) {
        try {
            const NameList keys = settings.GetKeys(section);
            if (!keys.empty()) settings.GetValue(section, keys[keys.size() - 1]);
        } catch (const NameListDuplicateError&) {
        }
        settings.GetValue(section, L"URL");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InMemoryFile file;
    file.bytes.assign(reinterpret_cast<const char*>(data), size);
    FakeUi ui(L"C:\\Setup");
    ReadEverything(ini(file, ui));
    return 0;
}
