#include "ui/InputBox_win.h"

#include <vector>

#include "platform/Handles_win.h"
#include "ui/DeviceContext_win.h"

namespace {

// Layout in dialog units.
constexpr short kWidth = 250;
constexpr short kHeight = 84;
constexpr short kMargin = 7;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kButtonLeft = kWidth - kMargin - kButtonWidth;
constexpr short kPromptWidth = kButtonLeft - 2 * kMargin;
constexpr short kPromptHeight = 48;
constexpr short kEditTop = kMargin + kPromptHeight + kMargin;
constexpr short kEditHeight = 14;

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

struct ItemSpec {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    int id;
    WORD windowClass;
    std::wstring text;
};

// Writes a DLGTEMPLATE and its items into WORDs; items start on DWORD
// boundaries (the vector's storage itself is suitably aligned).
class TemplateWriter {
public:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Short(short s) { Word(static_cast<WORD>(s)); }
    void String(const std::wstring& s) {
        for (wchar_t c : s) Word(static_cast<WORD>(c));
        Word(0);
    }
    void AlignToDword() {
        if (words_.size() % 2 != 0) Word(0);
    }
    void Item(const ItemSpec& item) {
        AlignToDword();
        Dword(item.style);
        Dword(item.exStyle);
        Short(item.x);
        Short(item.y);
        Short(item.cx);
        Short(item.cy);
        Word(static_cast<WORD>(item.id));
        Word(0xFFFF);
        Word(item.windowClass);
        String(item.text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

TemplateWriter BuildTemplate(const std::wstring& prompt, const std::wstring& title) {
    const ItemSpec items[] = {
        {WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, kMargin, kMargin,
         kPromptWidth, kPromptHeight, InputBox::kPromptId, kStaticClass, prompt},
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kMargin, kEditTop,
         kWidth - 2 * kMargin, kEditHeight, InputBox::kEditId, kEditClass, L""},
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kButtonLeft, kMargin,
         kButtonWidth, kButtonHeight, IDOK, kButtonClass, L"OK"},
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, kButtonLeft,
         kMargin + kButtonHeight + 4, kButtonWidth, kButtonHeight, IDCANCEL, kButtonClass,
         L"Abbrechen"},
    };
    TemplateWriter writer;
    writer.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    writer.Dword(0);
    writer.Word(static_cast<WORD>(sizeof items / sizeof items[0]));
    writer.Short(0);
    writer.Short(0);
    writer.Short(kWidth);
    writer.Short(kHeight);
    writer.Word(0);  // no menu
    writer.Word(0);  // the standard dialog class
    writer.String(title);
    writer.Word(8);
    writer.String(L"MS Shell Dlg");
    for (const ItemSpec& item : items) writer.Item(item);
    return writer;
}

RECT RectIn(HWND parent, HWND child) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = ::GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

// A long prompt (a deep folder path) would be cut off; make room for it by
// moving the edit field down and growing the dialog.
void FitPromptToText(HWND dialog) {
    HWND prompt = ::GetDlgItem(dialog, InputBox::kPromptId);
    const RECT box = RectIn(dialog, prompt);
    RECT needed = {0, 0, box.right - box.left, 0};
    {
        WindowDC dc(prompt);
        if (!dc) return;
        SelectedObject font(dc.get(),
                            reinterpret_cast<HGDIOBJ>(::SendMessageW(dialog, WM_GETFONT, 0, 0)));
        const std::wstring text = WindowText(prompt);
        ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed,
                    DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    }
    const int extra = needed.bottom - (box.bottom - box.top);
    if (extra <= 0) return;

    ::SetWindowPos(prompt, nullptr, 0, 0, box.right - box.left, needed.bottom,
                   SWP_NOMOVE | SWP_NOZORDER);
    HWND edit = ::GetDlgItem(dialog, InputBox::kEditId);
    const RECT editBox = RectIn(dialog, edit);
    ::SetWindowPos(edit, nullptr, editBox.left, editBox.top + extra, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER);
    RECT frame;
    ::GetWindowRect(dialog, &frame);
    ::SetWindowPos(dialog, nullptr, frame.left, frame.top - extra / 2, frame.right - frame.left,
                   frame.bottom - frame.top + extra, SWP_NOZORDER);
}

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            FitPromptToText(dialog);
            ::SetFocus(::GetDlgItem(dialog, InputBox::kEditId));
            return FALSE;  // the focus is set
        }
        if (message != WM_COMMAND) return FALSE;
        const int id = LOWORD(wParam);
        if (id == IDOK) {
            auto* answer = reinterpret_cast<std::wstring*>(::GetWindowLongPtrW(dialog, DWLP_USER));
            *answer = WindowText(::GetDlgItem(dialog, InputBox::kEditId));
        }
        if (id == IDOK || id == IDCANCEL) {
            ::EndDialog(dialog, id);
            return TRUE;
        }
    } catch (...) {
        // Nothing may leave a dialog procedure; the box counts as cancelled.
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

std::wstring InputBox::Show(HWND owner, const std::wstring& prompt, const std::wstring& title) {
    const TemplateWriter dialogTemplate = BuildTemplate(prompt, title);
    std::wstring answer;
    const INT_PTR result =
        ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate.get(), owner,
                                  InputBoxProc, reinterpret_cast<LPARAM>(&answer));
    if (result == -1) ThrowLastError(L"Das Eingabefeld konnte nicht angezeigt werden");
    return result == IDOK ? answer : std::wstring();
}
