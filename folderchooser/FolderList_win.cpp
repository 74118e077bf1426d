#include "folderchooser/FolderList_win.h"

#include <algorithm>

#include <commctrl.h>
#include <shellapi.h>

#include "folderchooser/FolderChoice.h"
#include "platform/Path.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"
#include "ui/DeviceContext_win.h"

namespace {

// Each level of the chain sits this much further right.
constexpr int kIndentTwips = 120;
constexpr int kMarginTwips = 30;
constexpr int kIconGapTwips = 45;

// Asking a drive without a medium must not bring up the system's "no disk" box.
class QuietDriveErrors {
public:
    QuietDriveErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~QuietDriveErrors() { ::SetThreadErrorMode(previous_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD previous_ = 0;
};

HICON FolderIcon(bool open) {
    SHFILEINFOW info = {};
    UINT flags = SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON;
    if (open) flags |= SHGFI_OPENICON;
    if (!::SHGetFileInfoW(L"Ordner", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags)) {
        return nullptr;
    }
    return info.hIcon;
}

std::wstring FullPath(const std::wstring& path) {
    // For a drive alone ("D:") the system answers with that drive's current folder.
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) ThrowLastError(L"Der Ordner \u201e" + path + L"\u201c ist ungültig");
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) {
        ThrowLastError(L"Der Ordner \u201e" + path + L"\u201c ist ungültig");
    }
    full.resize(length);
    if (full.size() >= 2 && full[1] == L':') full[0] = static_cast<wchar_t>(::towupper(full[0]));
    return Path::WithoutTrailingBackslash(full);
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::wstring> SubfolderNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    const std::wstring pattern = Path::Join(folder, L"*");
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(::FindFirstFileW(pattern.c_str(), &found));
    if (!find) return names;
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
        if (name == L"." || name == L"..") continue;
        names.push_back(name);
    } while (::FindNextFileW(find.get(), &found));
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::lstrcmpiW(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

// Stands in for the shell's picture when the system has none to give.
void DrawPlainFolder(HDC dc, int x, int y, int size) {
    UniqueBrush yellow(::CreateSolidBrush(RGB(240, 200, 80)));
    UniqueBrush outline(::CreateSolidBrush(RGB(150, 110, 30)));
    RECT tab{x + 1, y + size / 5, x + size / 2, y + size / 5 + 2};
    RECT body{x + 1, y + size / 5 + 2, x + size - 1, y + size - 2};
    ::FillRect(dc, &tab, yellow.get());
    ::FillRect(dc, &body, yellow.get());
    ::FrameRect(dc, &body, outline.get());
}

}  // namespace

LRESULT CALLBACK FolderList::KeyProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
    switch (msg) {
        case WM_GETDLGCODE: {
            // Enter is the list's own key (it opens a folder), not the dialog's OK.
            const auto* message = reinterpret_cast<const MSG*>(lParam);
            const LRESULT code = ::DefSubclassProc(list, msg, wParam, lParam);
            if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN) {
                return code | DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_KEYDOWN:
            if (wParam != VK_RETURN) break;
            reinterpret_cast<FolderList*>(self)->OpenHighlighted();
            return 0;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(list, KeyProc, kKeySubclassId);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(list, msg, wParam, lParam);
}

FolderList::FolderList(Window& window, const ControlSpec& row)
    : control_(&window.Add(
          row, L"LISTBOX",
          LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL)),
      openIcon_(FolderIcon(true)),
      closedIcon_(FolderIcon(false)) {
    HWND list = control_->hwnd();
    ::SetWindowLongPtrW(list, GWL_EXSTYLE,
                        ::GetWindowLongPtrW(list, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    ::SetWindowPos(list, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ApplyDpi();
    ::SetWindowSubclass(list, KeyProc, kKeySubclassId, reinterpret_cast<DWORD_PTR>(this));
    wchar_t current[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
    try {
        SetPath(length > 0 && length < MAX_PATH ? std::wstring(current, length) : L"C:\\");
    } catch (const PlatformError&) {
        // An empty list until the caller opens a folder.
    }
}

FolderList::~FolderList() {
    if (control_->hwnd()) ::RemoveWindowSubclass(control_->hwnd(), KeyProc, kKeySubclassId);
    if (openIcon_) ::DestroyIcon(openIcon_);
    if (closedIcon_) ::DestroyIcon(closedIcon_);
}

void FolderList::SetPath(const std::wstring& path) {
    QuietDriveErrors quiet;
    const std::wstring full = FullPath(path);
    if (!IsFolder(full)) {
        ThrowError(ERROR_PATH_NOT_FOUND,
                   L"Der Ordner \u201e" + path + L"\u201c ist nicht vorhanden.");
    }
    Fill(full);
}

void FolderList::Refresh() {
    if (path_.empty()) return;
    const std::wstring highlighted = SelectedFolder();
    QuietDriveErrors quiet;
    Fill(path_);
    // The highlight stays on the same folder when it is still there.
    for (int i = -openRow_ - 1; i < ListCount(); ++i) {
        if (List(i) == highlighted) {
            SetListIndex(i);
            return;
        }
    }
}

void FolderList::Fill(const std::wstring& path) {
    // Everything is gathered before the list changes, so a failure leaves it as it was.
    std::vector<Entry> entries;
    const std::vector<std::wstring> chain = FolderChoice::FolderChain(path);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const std::wstring label = i == 0 ? Text::ToLower(chain[i]) : Path::Name(chain[i]);
        entries.push_back(Entry{chain[i], label, static_cast<int>(i), true});
    }
    const std::wstring& open = chain.back();
    for (const std::wstring& name : SubfolderNames(open)) {
        const std::wstring child = Path::Join(open, name);
        entries.push_back(Entry{child, name, static_cast<int>(chain.size()), false});
    }

    HWND list = control_->hwnd();
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const Entry& entry : entries) {
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.label.c_str()));
    }
    entries_ = std::move(entries);
    path_ = open;
    openRow_ = static_cast<int>(chain.size()) - 1;
    ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(openRow_), 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

int FolderList::ListIndex() const {
    const LRESULT row = ::SendMessageW(control_->hwnd(), LB_GETCURSEL, 0, 0);
    if (row == LB_ERR) return -1;
    return static_cast<int>(row) - openRow_ - 1;
}

void FolderList::SetListIndex(int index) {
    const int row = openRow_ + 1 + index;
    if (row < 0 || row >= static_cast<int>(entries_.size())) return;
    ::SendMessageW(control_->hwnd(), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

int FolderList::ListCount() const {
    return static_cast<int>(entries_.size()) - openRow_ - 1;
}

std::wstring FolderList::List(int index) const {
    const int row = openRow_ + 1 + index;
    if (row < 0 || row >= static_cast<int>(entries_.size())) return std::wstring();
    return entries_[static_cast<std::size_t>(row)].path;
}

bool FolderList::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->hwndItem != control_->hwnd()) return false;
            Draw(*item);
            result = TRUE;
            return true;
        }
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) != control_->hwnd()) return false;
            if (HIWORD(wParam) == LBN_DBLCLK) OpenHighlighted();
            result = 0;
            return true;
        default:
            return false;
    }
}

void FolderList::ApplyDpi() {
    ::SendMessageW(control_->hwnd(), LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(RowHeight()));
}

int FolderList::RowHeight() const {
    const int icon = ::GetSystemMetricsForDpi(SM_CYSMICON, control_->dpi());
    int text = icon;
    WindowDC dc(control_->hwnd());
    if (dc) {
        SelectedObject font(dc.get(), control_->hfont());
        TEXTMETRICW metrics;
        if (::GetTextMetricsW(dc.get(), &metrics)) text = metrics.tmHeight;
    }
    return std::max(icon, text) + 2;
}

void FolderList::Draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT row = item.rcItem;
    ::FillRect(dc, &row, ::GetSysColorBrush(COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) return;
    const Entry& entry = entries_[item.itemID];

    const int icon = ::GetSystemMetricsForDpi(SM_CXSMICON, control_->dpi());
    const int x = row.left + control_->Px(kMarginTwips) + entry.level * control_->Px(kIndentTwips);
    const int y = row.top + ((row.bottom - row.top) - icon) / 2;
    HICON picture = entry.open ? openIcon_ : closedIcon_;
    if (picture) {
        ::DrawIconEx(dc, x, y, picture, icon, icon, 0, nullptr, DI_NORMAL);
    } else {
        DrawPlainFolder(dc, x, y, icon);
    }

    SelectedObject font(dc, control_->hfont());
    RECT text{x + icon + control_->Px(kIconGapTwips), row.top, row.right, row.bottom};
    RECT measured = text;
    constexpr UINT kFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    ::DrawTextW(dc, entry.label.c_str(), -1, &measured, kFormat | DT_CALCRECT);
    text.right = std::min(row.right, measured.right + 2);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    if (selected) ::FillRect(dc, &text, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT inner{text.left + 1, text.top, text.right, text.bottom};
    ::DrawTextW(dc, entry.label.c_str(), -1, &inner, kFormat);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &text);
}

void FolderList::OpenHighlighted() {
    try {
        SetPath(SelectedFolder());
    } catch (const PlatformError&) {
        // The folder went away since the list was read: show what is there now.
        try {
            Refresh();
        } catch (const PlatformError&) {
        }
    }
}
