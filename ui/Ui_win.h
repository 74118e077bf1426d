#pragma once
#include <cstdint>
#include <optional>

#include "platform/Clock.h"
#include "ui/Ui.h"

#include "platform/WinApi.h"

// The window that owns the wizard's message boxes: the thread's active
// window, or, while another program is in front, the wizard's top-level
// window or the dialog it has open; none before the wizard has a window.
HWND WizardDialogOwner();

// The user-interface and system services on Win32. Message and input boxes
// are owned by WizardDialogOwner(); when the wizard is in the background, a
// message box also makes its taskbar button flash. Failures throw PlatformError.
class WinUi : public Ui {
public:
    // DoEvents paces itself by the program's clock, or by the one given.
    WinUi();
    explicit WinUi(const Clock& clock);

    MsgBoxResult MsgBox(const std::wstring& text, unsigned style,
                        const std::wstring& title = kAppTitle) override;
    std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) override;
    void MkDir(const std::wstring& path) override;

    // Looks at the message queue at most once per kPumpIntervalMs and handles
    // what waits there; a call sooner after the last look returns at once.
    void DoEvents() override;
    void Sleep(unsigned milliseconds) override;
    // Measured by the same clock as DoEvents' pace.
    void Pause(unsigned milliseconds) override;

    bool ShowHandCursor() override;
    void OpenUrl(const std::wstring& url) override;

    void SaveSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override;

    // For a program in a drive's root this is "C:", so that appending
    // "\settings.ini" always gives a proper path.
    std::wstring StartFolder() override;
    LocalTime Now() override;
    std::wstring DecimalSeparator() override;

    // Longest time a waiting message (a click, a paint, a transfer state) is
    // left alone by a loop that yields through DoEvents.
    static constexpr unsigned kPumpIntervalMs = 5;

private:
    const Clock& clock_;
    // When DoEvents last looked at the queue; none before its first look.
    std::optional<std::uint64_t> lastLook_;
};
