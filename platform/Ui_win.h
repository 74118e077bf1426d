#pragma once
#include "platform/Ui.h"

// The user-interface and system services on Win32. Message and input boxes
// are owned by the thread's active window. Failures throw PlatformError.
class WinUi : public Ui {
public:
    MsgBoxResult MsgBox(const std::wstring& text, unsigned style,
                        const std::wstring& title = kAppTitle) override;
    std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) override;
    void MkDir(const std::wstring& path) override;

    void DoEvents() override;
    void Sleep(unsigned milliseconds) override;

    bool ShowHandCursor() override;
    void OpenUrl(const std::wstring& url) override;

    void SaveSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override;

    // For a program in a drive's root this is "C:", so that appending
    // "\settings.ini" always gives a proper path.
    std::wstring StartFolder() override;
    LocalTime Now() override;
    std::wstring DecimalSeparator() override;
};
