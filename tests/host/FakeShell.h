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
    std::wstring SpecialFolders(const std::wstring& name) override {
        if (name == L"desktop") return desktop;
        if (name == L"Programs") return programs;
        throw PlatformError(87, L"Unbekannter Systemordner: " + name);
    }
    std::unique_ptr<Shortcut> CreateShortcut(const std::wstring& linkPath) override {
        return std::make_unique<FileShortcut>(linkPath);
    }

private:
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
