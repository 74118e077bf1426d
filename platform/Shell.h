#pragma once
#include <memory>
#include <string>

// A shortcut file being prepared; nothing is written until Save, which
// replaces a file of the same name.
class Shortcut {
public:
    virtual ~Shortcut() = default;
    std::wstring TargetPath;
    std::wstring Arguments;
    virtual void Save() = 0;
};

// Window styles for Run, as the shell object numbers them.
enum class WindowStyle { Hidden = 0, Normal = 1 };

// A program started without waiting for it.
class RunningProgram {
public:
    virtual ~RunningProgram() = default;
    // Waits until the program has ended, a window message arrives or
    // milliseconds have passed; returns whether it has ended.
    virtual bool Ended(unsigned milliseconds) = 0;
    // The exit code of the ended program.
    virtual unsigned long ExitCode() = 0;
};

// The shell object: registry reads below HKEY_CLASSES_ROOT, starting programs
// and documents, special folders and shortcuts. Failures throw PlatformError.
class Shell {
public:
    virtual ~Shell() = default;

    // name begins with "HKEY_CLASSES_ROOT\"; a name ending in a backslash (or
    // two) reads the key's default value. Throws when the key or value is missing.
    virtual std::wstring regRead(const std::wstring& name) = 0;

    // Starts the program, or opens the document with its associated program,
    // and returns at once.
    virtual void Run(const std::wstring& commandLine) = 0;
    // Starts the command line with the window style and, with wait, returns
    // the exit code of the process once it has ended (0 without wait).
    virtual unsigned long Run(const std::wstring& commandLine, WindowStyle style, bool wait) = 0;
    // Starts the command line with the window style and returns at once; the
    // caller decides how to wait, so that its window can go on answering.
    virtual std::unique_ptr<RunningProgram> Start(const std::wstring& commandLine,
                                                  WindowStyle style) = 0;

    // "desktop", "StartMenu" or "Programs": the current user's folder, without
    // trailing backslash.
    virtual std::wstring SpecialFolders(const std::wstring& name) = 0;

    virtual std::unique_ptr<Shortcut> CreateShortcut(const std::wstring& linkPath) = 0;
};
