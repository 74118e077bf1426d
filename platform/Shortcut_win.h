#pragma once
#include <string>

#include "platform/Shell.h"

// A shortcut file written with IShellLinkW and IPersistFile. Save always
// writes a fresh link (target and arguments only, system defaults for the
// rest), replacing any file of that name.
class WinShortcut : public Shortcut {
public:
    explicit WinShortcut(std::wstring linkPath);
    void Save() override;

private:
    std::wstring linkPath_;
};
