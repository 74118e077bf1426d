#pragma once
#include <string>
#include <vector>

#include "ui/Window_win.h"

// The folder list of the classic dialogs: the open folder's ancestors from
// the drive's root down, the open folder itself, then its subfolders, each
// indented one step deeper than its parent and drawn with a folder picture
// (open for the chain, closed for the subfolders). A double-click opens the
// highlighted folder, and so does Enter.
//
// List indexes count as in the classic control: -1 is the open folder, -2 its
// parent and so on up to the root; 0 .. ListCount() - 1 are the subfolders.
// Entries are full paths without a trailing backslash, except a drive's root.
class FolderList {
public:
    // Adds the list to the window as the control of this layout row and opens
    // the process's current folder.
    FolderList(Window& window, const ControlSpec& row);
    ~FolderList();
    FolderList(const FolderList&) = delete;
    FolderList& operator=(const FolderList&) = delete;

    Control& control() const { return *control_; }

    const std::wstring& Path() const { return path_; }
    // Opens the folder. A drive alone ("D:") opens that drive's current
    // folder. Throws PlatformError when the folder does not exist; the list
    // then stays as it was.
    void SetPath(const std::wstring& path);
    // Reads the open folder's subfolders again.
    void Refresh();

    int ListIndex() const;
    void SetListIndex(int index);
    // Number of subfolders of the open folder.
    int ListCount() const;
    // The full path of the entry at a list index; empty outside the list.
    std::wstring List(int index) const;
    // The highlighted entry, or the open folder when nothing is highlighted.
    std::wstring SelectedFolder() const { return List(ListIndex()); }

    // The owner window passes its WM_MEASUREITEM, WM_DRAWITEM and WM_COMMAND
    // here first; returns true when the message was this list's.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Re-applies the row height after a DPI change.
    void ApplyDpi();
    // Opens the highlighted folder (a double-click, or Enter).
    void OpenHighlighted();

private:
    struct Entry {
        std::wstring path;
        std::wstring label;
        int level;
        bool open;
    };

    static constexpr UINT_PTR kKeySubclassId = 0x5A46;  // "ZF"
    static LRESULT CALLBACK KeyProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);
    void Fill(const std::wstring& path);
    void Draw(const DRAWITEMSTRUCT& item) const;
    int RowHeight() const;

    Control* control_;
    std::wstring path_;
    std::vector<Entry> entries_;
    // Row of the open folder: the number of its ancestors.
    int openRow_ = 0;
    HICON openIcon_ = nullptr;
    HICON closedIcon_ = nullptr;
};
