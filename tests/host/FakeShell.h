#pragma once
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/PlatformError.h"
#include "platform/Shell.h"
#include "platform/Text.h"

// A Shell for host tests. Special folders are folders of the test; a shortcut
// is written on Save as a small text file at its link path (target on the
// first line, arguments on the second), so that a missing folder makes Save
// fail as it does on Windows and an existing file is replaced. Run only
// records the command line, or fails when told to.
class FakeShell : public Shell {
public:
    struct Link {
        std::wstring target;
        std::wstring arguments;
    };

    std::wstring desktop;
    std::wstring programs;
    std::vector<std::wstring> runCommands;
    bool runFails = false;
    // Run with waiting: the exit code it reports, or a start that fails.
    unsigned long waitedExitCode = 0;
    bool waitedRunFails = false;
    // Runs inside Run with waiting, as the started program would (an
    // extractor writing its files, say).
    std::function<void(const std::wstring&)> onWaitedRun;
    // How the last program started with a window style was run.
    WindowStyle waitedRunStyle = WindowStyle::Normal;
    bool waitedRunWaited = false;

    static std::filesystem::path Native(const std::wstring& path) {
        std::wstring mapped = path;
        for (wchar_t& c : mapped) {
            if (c == L'\\') c = L'/';
        }
        return std::filesystem::path(Text::ToUtf8(mapped));
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
    unsigned long Run(const std::wstring& commandLine, WindowStyle style, bool wait) override {
        runCommands.push_back(commandLine);
        waitedRunStyle = style;
        waitedRunWaited = wait;
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
            if (!out)
                throw PlatformError(
                    3, L"Die Verknüpfung konnte nicht gespeichert werden: " + linkPath_);
        }

    private:
        std::wstring linkPath_;
    };
};
