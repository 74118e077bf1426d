#pragma once
#include <array>
#include <string>

// The start-up check of settings.ini, fed one line at a time. It knows the
// sections whose lines follow a rule of their own, the message sections
// ("[osVer_...]", "[accessVer_...]") with their four required lines, and the
// general rule that every other line is a key line inside a section.
class IniValidator {
public:
    // Takes the next line as read from the file. Once a rule is broken the
    // remaining lines are not looked at.
    void Check(const std::wstring& line);
    bool Broken() const { return broken_; }
    // The end-of-file checks; returns 0 (usable) or 2 (a rule is broken).
    short Finish();

private:
    enum Section {
        SupportedAccessVersions,
        GetFileSize,
        ProgramFile,
        Runtime,
        JavaVM,
        Versions,
        Folder,
        Files,
        SectionCount
    };

    void CloseSections();
    void OpenSection(const std::wstring& header);
    bool KeyLineFitsOpenSections(const std::wstring& line) const;
    void NoteMessageLine(const std::wstring& line);
    bool MessageComplete() const;

    std::array<bool, SectionCount> open_{};
    std::array<bool, SectionCount> found_{};
    bool messageOpen_ = false;
    bool sectionOpen_ = false;
    bool hasMeldung_ = false;
    bool hasLinkInfo_ = false;
    bool hasLinkSP_ = false;
    bool hasIcon_ = false;
    bool broken_ = false;
};
