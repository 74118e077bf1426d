#pragma once
#include <string>
#include <vector>

#include "ui/Window_win.h"

// The drive list of the classic dialogs: a drop-down list of every drive of
// the machine, ready or not, each shown as its lower-case letter and colon
// with the volume label in brackets when the drive can tell it ("c: [System]").
// The selected entry is the current drive. Only the user's choice reports a
// change (CBN_SELCHANGE); setting the drive from code reports nothing.
class DriveList {
public:
    // Height of the opened list below the selection field.
    static constexpr int kDropDownTwips = 2400;

    // Adds the list to the window as the control of this layout row.
    DriveList(Window& window, const ControlSpec& row);

    Control& control() const { return *control_; }

    // Reads the drives of the machine again.
    void Refresh();

    // The selected entry's text; empty when none is selected.
    std::wstring Drive() const;
    // Selects the entry whose first two characters name the same drive as
    // `drive` ("C:", "c: [System]"), letter case ignored. Throws PlatformError
    // when the machine has no such drive.
    void SetDrive(const std::wstring& drive);

    int ListCount() const { return static_cast<int>(entries_.size()); }
    std::wstring List(int index) const;

    // Whether a WM_COMMAND is the user's choice of another entry.
    bool IsSelectionChange(WPARAM wParam, LPARAM lParam) const;

private:
    Control* control_;
    std::vector<std::wstring> entries_;
};
