#pragma once
#include <string>

#include "platform/WinApi.h"

// The modal input box: the prompt on the left, "OK" and "Abbrechen" on the
// right, the edit field below, built in memory (no resource needed). The
// dialog grows downwards when the prompt needs more lines.
class InputBox {
public:
    // Control identifiers, for tests and drivers that fill in the box.
    static constexpr int kPromptId = 1001;
    static constexpr int kEditId = 1002;

    // Returns the entered text, or empty text when the box was cancelled or
    // closed. Throws PlatformError when the dialog cannot be shown.
    static std::wstring Show(HWND owner, const std::wstring& prompt, const std::wstring& title);
};
