#pragma once
#include <string>

#include "platform/FileSystem.h"
#include "settings/NameList.h"
#include "ui/Ui.h"

// The settings file settings.ini in the start folder. Every operation opens
// the file, reads it from the first line and releases it before it returns;
// nothing is kept between calls, so a fresh instance per call is fine.
//
// The readers (GetValue, GetKeys) see a section from its header, written
// exactly as "[" + name + "]", up to the first empty line, header-shaped line
// ("[...]") or line without "="; a later copy of the header opens the section
// again. A key is the text before the first "=", its value the text up to the
// second "=". Where a key occurs more than once, the last line wins. Blanks
// around a line do not count, as for the start-up check; inside it they do.
//
// Failures of the file system (missing or unreadable file) reach the caller as
// PlatformError; this class reports nothing itself.
class ini {
public:
    // Results of CheckIniFile.
    static constexpr short kUsable = 0;
    static constexpr short kMissing = 1;
    static constexpr short kBroken = 2;

    ini(FileSystem& fs, Ui& ui);

    // The start folder followed by "\settings.ini", asked anew at every call.
    std::wstring filename() const;

    // The value, or empty text when the section or key is not there.
    std::wstring GetValue(const std::wstring& section, const std::wstring& key) const;
    // The keys of the section in file order. Throws NameListDuplicateError
    // when a key occurs twice (letter case ignored).
    NameList GetKeys(const std::wstring& section) const;
    // The names of all header-shaped lines, blanks around the line removed and
    // every bracket dropped. Throws NameListDuplicateError on a repeated name.
    NameList GetSections() const;

    // Replaces every line of the key in the section, or adds the key at the
    // end of the section (before the line that ends it). A section that is not
    // in the file is appended at its end. The new text goes to a copy beside
    // the file first, so a failing write never leaves a half-written
    // settings.ini behind; if replacing the file fails, the copy
    // (settings.ini.tmp) keeps the new text.
    void WriteKeyValuePair(const std::wstring& section, const std::wstring& key,
                           const std::wstring& value) const;

    // The start-up check: kMissing when the file does not exist, kBroken when
    // a line breaks the format rules, kUsable otherwise. A file that exists
    // but cannot be opened makes the PlatformError of the file system
    // propagate: the wizard window catches it and tells the user in German
    // that the settings file could not be read.
    short CheckIniFile() const;

private:
    FileSystem& fs_;
    Ui& ui_;
};
