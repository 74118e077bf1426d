#include "folderchooser/DriveList_win.h"

#include "folderchooser/FolderChoice.h"
#include "platform/Path.h"
#include "platform/PlatformError.h"

namespace {

// Asking a drive without a medium must not bring up the system's
// "no disk" box; the list only wants to know.
class QuietDriveErrors {
public:
    QuietDriveErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~QuietDriveErrors() { ::SetThreadErrorMode(previous_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD previous_ = 0;
};

std::wstring VolumeLabel(const std::wstring& root) {
    wchar_t label[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                 nullptr, 0)) {
        return std::wstring();
    }
    return label;
}

ControlSpec WithDropDown(ControlSpec row) {
    // A drop-down list's window height includes its opened list.
    row.rect.height += DriveList::kDropDownTwips;
    return row;
}

}  // namespace

DriveList::DriveList(Window& window, const ControlSpec& row)
    : control_(&window.Add(WithDropDown(row), L"COMBOBOX",
                           CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL)) {
    Refresh();
}

void DriveList::Refresh() {
    QuietDriveErrors quiet;
    const std::wstring selected = Drive();
    entries_.clear();
    ::SendMessageW(control_->hwnd(), CB_RESETCONTENT, 0, 0);
    const DWORD mask = ::GetLogicalDrives();
    if (mask == 0) ThrowLastError(L"Die Laufwerke konnten nicht ermittelt werden");
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) == 0) continue;
        const std::wstring path = std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L":";
        entries_.push_back(FolderChoice::DriveEntry(path, VolumeLabel(Path::DriveRoot(path))));
        ::SendMessageW(control_->hwnd(), CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(entries_.back().c_str()));
    }
    if (!selected.empty()) {
        try {
            SetDrive(selected);
        } catch (const PlatformError&) {
            // The drive has gone; the list then shows no selection.
        }
    }
}

std::wstring DriveList::Drive() const {
    const LRESULT index = ::SendMessageW(control_->hwnd(), CB_GETCURSEL, 0, 0);
    return List(static_cast<int>(index));
}

void DriveList::SetDrive(const std::wstring& drive) {
    for (int i = 0; i < ListCount(); ++i) {
        if (!FolderChoice::EntryIsDrive(entries_[i], drive)) continue;
        ::SendMessageW(control_->hwnd(), CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        return;
    }
    ThrowError(ERROR_INVALID_DRIVE, L"Das Laufwerk " + drive + L" ist nicht vorhanden.");
}

std::wstring DriveList::List(int index) const {
    if (index < 0 || index >= ListCount()) return std::wstring();
    return entries_[static_cast<std::size_t>(index)];
}

bool DriveList::IsSelectionChange(WPARAM wParam, LPARAM lParam) const {
    return HIWORD(wParam) == CBN_SELCHANGE && reinterpret_cast<HWND>(lParam) == control_->hwnd();
}
