#pragma once
#include "platform/Shell.h"

// The shell object on Win32: registry reads below HKEY_CLASSES_ROOT with
// RegGetValueW, programs and documents started with ShellExecuteExW or
// CreateProcessW, known folders and IShellLinkW shortcuts. Failures throw
// PlatformError with the Windows error code or HRESULT.
class WinShell : public Shell {
public:
    // Besides the full root name, the short form "HKCR\" is accepted. REG_SZ
    // and REG_EXPAND_SZ values are read; the latter come back expanded.
    std::wstring regRead(const std::wstring& name) override;

    // A command line that begins with a quoted path is split into that file
    // and its parameters; an unquoted one is taken whole when it names an
    // existing file, otherwise split at its first blank.
    void Run(const std::wstring& commandLine) override;
    // Starts a program (not a document) with CreateProcessW.
    unsigned long Run(const std::wstring& commandLine, WindowStyle style, bool wait) override;
    std::unique_ptr<RunningProgram> Start(const std::wstring& commandLine,
                                          WindowStyle style) override;

    // Unknown names throw, so that nothing is ever written beside a bogus path.
    std::wstring SpecialFolders(const std::wstring& name) override;

    // The link path must end in ".lnk".
    std::unique_ptr<Shortcut> CreateShortcut(const std::wstring& linkPath) override;
};
