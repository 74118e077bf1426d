#include "settings/ini.h"

#include <vector>

#include "platform/Path.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"
#include "settings/IniValidator.h"

namespace {

struct KeyLine {
    std::wstring key;
    std::wstring value;
};

// "[...]": the shape of any header, whatever its name.
bool IsHeaderShaped(const std::wstring& line) {
    return line.size() >= 2 && line.front() == L'[' && line.back() == L']';
}

bool EndsSection(const std::wstring& line) {
    return line.empty() || IsHeaderShaped(line) || line.find(L'=') == std::wstring::npos;
}

// The value stops at a second "=", so a URL with a query string is cut there.
KeyLine SplitKeyLine(const std::wstring& line) {
    const auto first = line.find(L'=');
    if (first == std::wstring::npos) return {line, std::wstring()};
    const auto second = line.find(L'=', first + 1);
    const auto valueLength = second == std::wstring::npos ? std::wstring::npos : second - first - 1;
    return {line.substr(0, first), line.substr(first + 1, valueLength)};
}

std::wstring HeaderOf(const std::wstring& section) {
    return L"[" + section + L"]";
}

// Calls visit for every key line of the section, in file order. A header
// directly under a line of the section only ends it; it is not itself looked
// at as a header, so repeating the header on the next line does not reopen it.
template <typename Visit>
void ForEachKeyLine(TextReader& reader, const std::wstring& section, Visit visit) {
    const std::wstring header = HeaderOf(section);
    bool inSection = false;
    while (!reader.AtEndOfStream()) {
        // Blanks around a line do not count, as for the start-up check.
        const std::wstring line = Text::TrimBlanks(reader.Readline());
        if (!inSection) {
            inSection = line == header;
        } else if (EndsSection(line)) {
            inSection = false;
        } else {
            visit(SplitKeyLine(line));
        }
    }
}

std::vector<std::wstring> ReadAllLines(FileSystem& fs, const std::wstring& path) {
    const auto reader = fs.OpenTextFileForReading(path);
    std::vector<std::wstring> lines;
    while (!reader->AtEndOfStream()) lines.push_back(reader->Readline());
    return lines;
}

// The file's lines with the key set in every occurrence of the section.
class SectionRewrite {
public:
    SectionRewrite(const std::wstring& section, const std::wstring& key, const std::wstring& value)
        : header_(HeaderOf(section)), key_(key), pair_(key + L"=" + value) {}

    std::vector<std::wstring> Apply(const std::vector<std::wstring>& lines) {
        for (const std::wstring& line : lines) Take(line);
        if (inSection_ && !written_) out_.push_back(pair_);
        if (!sectionSeen_) AppendSection();
        return std::move(out_);
    }

private:
    // Lines are matched as the readers see them, without the blanks around
    // them, and written back as they were.
    void Take(const std::wstring& line) {
        const std::wstring seen = Text::TrimBlanks(line);
        if (!inSection_) {
            out_.push_back(line);
            inSection_ = seen == header_;
            sectionSeen_ = sectionSeen_ || inSection_;
        } else if (seen.empty() || IsHeaderShaped(seen)) {
            if (!written_) out_.push_back(pair_);
            written_ = true;
            out_.push_back(line);
            inSection_ = false;
        } else if (SplitKeyLine(seen).key == key_) {
            out_.push_back(pair_);
            written_ = true;
        } else {
            out_.push_back(line);
        }
    }

    // Writing a key into a section the file lacks must not be lost silently;
    // the blank line keeps the new section apart as the format requires.
    void AppendSection() {
        if (!out_.empty() && !out_.back().empty()) out_.push_back(std::wstring());
        out_.push_back(header_);
        out_.push_back(pair_);
    }

    std::wstring header_;
    std::wstring key_;
    std::wstring pair_;
    std::vector<std::wstring> out_;
    bool inSection_ = false;
    bool sectionSeen_ = false;
    bool written_ = false;
};

void WriteAllLines(FileSystem& fs, const std::wstring& path,
                   const std::vector<std::wstring>& lines) {
    const auto writer = fs.OpenTextFileForWriting(path);
    for (const std::wstring& line : lines) writer->WriteLine(line);
    // Renamed over settings.ini before its text reached the disk, the copy
    // could leave an empty settings file after a power cut.
    writer->Flush();
    writer->Close();
}

}  // namespace

ini::ini(FileSystem& fs, Ui& ui) : fs_(fs), ui_(ui) {}

std::wstring ini::filename() const {
    return Path::Join(ui_.StartFolder(), L"settings.ini");
}

std::wstring ini::GetValue(const std::wstring& section, const std::wstring& key) const {
    const auto reader = fs_.OpenTextFileForReading(filename());
    std::wstring value;
    ForEachKeyLine(*reader, section, [&](const KeyLine& line) {
        if (line.key == key) value = line.value;
    });
    return value;
}

NameList ini::GetKeys(const std::wstring& section) const {
    const auto reader = fs_.OpenTextFileForReading(filename());
    NameList keys;
    ForEachKeyLine(*reader, section, [&](const KeyLine& line) { keys.Add(line.key); });
    return keys;
}

NameList ini::GetSections() const {
    const auto reader = fs_.OpenTextFileForReading(filename());
    NameList sections;
    while (!reader->AtEndOfStream()) {
        const std::wstring line = Text::TrimBlanks(reader->Readline());
        if (!IsHeaderShaped(line)) continue;
        sections.Add(Text::ReplaceAll(Text::ReplaceAll(line, L"[", L""), L"]", L""));
    }
    return sections;
}

void ini::WriteKeyValuePair(const std::wstring& section, const std::wstring& key,
                            const std::wstring& value) const {
    const std::wstring path = filename();
    const std::vector<std::wstring> lines =
        SectionRewrite(section, key, value).Apply(ReadAllLines(fs_, path));
    // Emptying settings.ini and then failing half-way would lose every
    // setting; the complete text is written beside it first and then takes
    // its place in one step (a copy over it could stop half-way too).
    const std::wstring copy = path + L".tmp";
    WriteAllLines(fs_, copy, lines);
    fs_.ReplaceFile(copy, path);
}

short ini::CheckIniFile() const {
    const std::wstring path = filename();
    if (!fs_.FileExists(path)) return kMissing;
    const auto reader = fs_.OpenTextFileForReading(path);
    IniValidator validator;
    while (!validator.Broken() && !reader->AtEndOfStream()) validator.Check(reader->Readline());
    return validator.Finish();
}
