#pragma once
#include <string>

// Message-box styles as the program uses them.
enum MsgBoxStyle : unsigned {
    MsgOkOnly = 0,
    MsgCritical = 16,       // critical icon, OK
    MsgYesNoQuestion = 36,  // question icon, Yes and No
    MsgInformation = 64,    // information icon, OK
};

enum class MsgBoxResult { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The application title shown by message boxes that name no title of their own.
inline const wchar_t* const kAppTitle = L"Zelbar Setup";

// User-interface and system services of the program.
class Ui {
public:
    virtual ~Ui() = default;

    // Modal over the active window of the program.
    virtual MsgBoxResult MsgBox(const std::wstring& text, unsigned style,
                                const std::wstring& title = kAppTitle) = 0;
    // Returns the entered text, or empty text when cancelled.
    virtual std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) = 0;
    // Creates one folder; throws when it exists or its parent is missing.
    virtual void MkDir(const std::wstring& path) = 0;

    // Processes pending window and transfer events, then returns.
    virtual void DoEvents() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
    // Waits that long while the window goes on handling its messages.
    virtual void Pause(unsigned milliseconds) = 0;

    // Loads the system hand cursor (32649) and makes it current when the
    // handle is valid; returns whether it was.
    virtual bool ShowHandCursor() = 0;
    // Opens a web or mail target with the system's default handler.
    virtual void OpenUrl(const std::wstring& url) = 0;

    // The per-user settings store of SaveSetting/GetSetting: registry value
    // `key` under HKCU\Software\VB and VBA Program Settings\<app>\<section>.
    virtual void SaveSetting(const std::wstring& app, const std::wstring& section,
                             const std::wstring& key, const std::wstring& value) = 0;

    // The folder of the running program, without trailing backslash.
    virtual std::wstring StartFolder() = 0;
    virtual LocalTime Now() = 0;
    // The user's decimal separator (a comma under German settings).
    virtual std::wstring DecimalSeparator() = 0;
};
