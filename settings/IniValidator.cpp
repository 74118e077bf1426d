#include "settings/IniValidator.h"

#include "platform/Text.h"
#include "settings/LikePattern.h"

namespace {

// Header comparisons in the order the check makes them; a pattern entry opens
// a message section instead of one of the known sections.
struct HeaderRule {
    const wchar_t* text;
    bool isPattern;
    int section;
};

constexpr int kMessageSection = -1;

bool IsUrlLine(const std::wstring& line) {
    // Addresses may use https as well as http; the key stays upper case.
    return Like(line, L"URL=http://*") || Like(line, L"URL=https://*");
}

}  // namespace

void IniValidator::Check(const std::wstring& rawLine) {
    if (broken_) return;
    const std::wstring line = Text::TrimBlanks(rawLine);
    if (line.empty()) {
        CloseSections();
        return;
    }
    if (Like(line, L"[[]*[]]")) {
        OpenSection(line);
        return;
    }
    if (sectionOpen_ && !messageOpen_ && Like(line, L"?*=?*")) {
        broken_ = !KeyLineFitsOpenSections(line);
        return;
    }
    if (messageOpen_ && Like(line, L"?*=*")) {
        NoteMessageLine(line);
        return;
    }
    broken_ = true;
}

short IniValidator::Finish() {
    // A message section that runs to the end of the file gets the same
    // completeness test as one closed by a blank line; otherwise the system
    // check would show it with empty texts or without its icon.
    if (messageOpen_ && !MessageComplete()) broken_ = true;
    if (!found_[GetFileSize]) broken_ = true;
    if (found_[ProgramFile] && !found_[SupportedAccessVersions]) broken_ = true;
    return broken_ ? 2 : 0;
}

void IniValidator::CloseSections() {
    if (messageOpen_ && !MessageComplete()) broken_ = true;
    hasMeldung_ = hasLinkInfo_ = hasLinkSP_ = hasIcon_ = false;
    open_.fill(false);
    messageOpen_ = false;
    sectionOpen_ = false;
}

void IniValidator::OpenSection(const std::wstring& header) {
    static const HeaderRule kRules[] = {
        {L"[SupportedAccessVersions]", false, SupportedAccessVersions},
        {L"[GetFileSize]", false, GetFileSize},
        {L"[ProgramFile]", false, ProgramFile},
        {L"[Runtime]", false, Runtime},
        {L"[JavaVM]", false, JavaVM},
        {L"[[]accessVer_*", true, kMessageSection},
        {L"[[]osVer_*", true, kMessageSection},
        {L"[Versions]", false, Versions},
        {L"[Folder]", false, Folder},
        {L"[Files]", false, Files},
    };
    // Any header opens "a section"; a header never closes the one before it,
    // only a blank line does.
    sectionOpen_ = true;
    for (const HeaderRule& rule : kRules) {
        const bool fits = rule.isPattern ? Like(header, rule.text) : header == rule.text;
        if (!fits) continue;
        if (rule.section == kMessageSection) {
            messageOpen_ = true;
        } else {
            open_[rule.section] = true;
            found_[rule.section] = true;
        }
        return;
    }
}

bool IniValidator::KeyLineFitsOpenSections(const std::wstring& line) const {
    if (open_[SupportedAccessVersions]) return Like(line, L"*.*.*=?*");
    if (open_[ProgramFile] || open_[GetFileSize] || open_[Folder] || open_[Versions]) {
        return IsUrlLine(line);
    }
    return true;
}

void IniValidator::NoteMessageLine(const std::wstring& line) {
    if (Like(line, L"Meldung=*")) {
        hasMeldung_ = true;
    } else if (Like(line, L"LinkInfo=*")) {
        hasLinkInfo_ = true;
    } else if (Like(line, L"LinkSP=*")) {
        hasLinkSP_ = true;
    } else if (Text::EqualsNoCase(line, L"Icon=Warning") || Text::EqualsNoCase(line, L"Icon=OK")) {
        hasIcon_ = true;
    }
}

bool IniValidator::MessageComplete() const {
    return hasMeldung_ && hasLinkInfo_ && hasLinkSP_ && hasIcon_;
}
