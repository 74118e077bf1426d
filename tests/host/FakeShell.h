#pragma once
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/PlatformError.h"
#include "platform/Shell.h"
#include "platform/Text.h"

// A Shell for host tests: a shortcut is a small text file at its link path (target, then
// arguments), so that a missing folder makes Save fail as on Windows; Run records the command
// line, or fails when told to.
class FakeShell : public Shell {
public:
    struct Link {
        std::wstring target, arguments;
    };

    std::wstring desktop, programs;
    std::vector<std::wstring> runCommands;
    bool runFails = false;
    // Run with a window style: its exit code or a failed start, and what the
    // started program does meanwhile (an extractor writing its files, say).
    unsigned long waitedExitCode = 0;
    bool waitedRunFails = false;
    std::function<void(const std::wstring&)> onWaitedRun;
    WindowStyle waitedRunStyle = WindowStyle::Normal;
    // A started program: what happens as it starts, and how many looks at it
    // find it still running; onWaitedRun is its work, done as it ends.
    std::function<void()> onStart;
    int looksWhileRunning = 0;

    static std::filesystem::path Native(std::wstring path) {
        for (wchar_t& c : path) c = c == L'\\' ? L'/' : c;
        return std::filesystem::path(Text::ToUtf8(path));
    }
    static Link ReadLink(const std::wstring& linkPath) {
        std::ifstream in(Native(linkPath), std::ios::binary);
        std::string target, arguments;
        std::getline(in, target);
        std::getline(in, arguments);
        return {Text::FromUtf8(target), Text::FromUtf8(arguments)};
    }

    std::wstring regRead(const std::wstring& name) override {
        throw PlatformError(2, L"Kein Registrierungswert: " + name);
    }
    void Run(const std::wstring& commandLine) override {
        runCommands.push_back(commandLine);
        if (runFails) throw PlatformError(2, L"Nicht gefunden: " + commandLine);
    }
    unsigned long Run(const std::wstring& commandLine, WindowStyle style, bool) override {
        runCommands.push_back(commandLine);
        waitedRunStyle = style;
        if (waitedRunFails) throw PlatformError(2, L"Nicht gefunden: " + commandLine);
        if (onWaitedRun) onWaitedRun(commandLine);
        return waitedExitCode;
    }
    std::unique_ptr<RunningProgram> Start(const std::wstring& commandLine,
                                          WindowStyle style) override {
        runCommands.push_back(commandLine);
        waitedRunStyle = style;
        if (waitedRunFails) throw PlatformError(2, L"Nicht gefunden: " + commandLine);
        if (onStart) onStart();
        return std::make_unique<Program>(*this, commandLine);
    }
    std::wstring SpecialFolders(const std::wstring& name) override {
        if (name == L"desktop") return desktop;
        if (name == L"Programs") return programs;
        throw PlatformError(87, L"Unbekannter Systemordner: " + name);
    }
    std::unique_ptr<Shortcut> CreateShortcut(const std::wstring& linkPath) override {
        return std::make_unique<FileShortcut>(linkPath);
    }

private:
    class Program : public RunningProgram {
    public:
        Program(FakeShell& shell, std::wstring commandLine)
            : shell_(shell), commandLine_(std::move(commandLine)) {}
        bool Ended(unsigned) override {
            if (looks_++ < shell_.looksWhileRunning) return false;
            if (!ended_ && shell_.onWaitedRun) shell_.onWaitedRun(commandLine_);
            ended_ = true;
            return true;
        }
        unsigned long ExitCode() override { return shell_.waitedExitCode; }

    private:
        FakeShell& shell_;
        std::wstring commandLine_;
        int looks_ = 0;
        bool ended_ = false;
    };

    class FileShortcut : public Shortcut {
    public:
        explicit FileShortcut(std::wstring linkPath) : linkPath_(std::move(linkPath)) {}
        void Save() override {
            std::ofstream out(Native(linkPath_), std::ios::binary | std::ios::trunc);
            out << Text::ToUtf8(TargetPath) << '\n' << Text::ToUtf8(Arguments) << '\n';
            if (!out) throw PlatformError(3, L"Nicht gespeichert: " + linkPath_);
        }

    private:
        std::wstring linkPath_;
    };
};
