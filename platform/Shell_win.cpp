#include "platform/Shell_win.h"

#include <vector>

#include "platform/Handles_win.h"
#include "platform/Path.h"
#include "platform/PlatformError.h"
#include "platform/Shortcut_win.h"
#include "platform/Text.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

struct RegistryName {
    std::wstring subKey;
    std::wstring valueName;
    bool defaultValue = false;
};

// "HKEY_CLASSES_ROOT\a\b\" (or "...\b\\") is the default value of key a\b;
// "HKEY_CLASSES_ROOT\a\b" is the value b of key a.
RegistryName ParseClassesRootName(const std::wstring& name) {
    static const wchar_t* const kRoots[] = {L"HKEY_CLASSES_ROOT\\", L"HKCR\\"};
    for (const wchar_t* root : kRoots) {
        const std::wstring prefix = root;
        if (name.size() < prefix.size() ||
            !Text::EqualsNoCase(name.substr(0, prefix.size()), prefix)) {
            continue;
        }
        std::wstring rest = name.substr(prefix.size());
        RegistryName parsed;
        if (!rest.empty() && rest.back() == L'\\') {
            parsed.subKey = Path::StripTrailingBackslashes(rest);
            parsed.defaultValue = true;
            return parsed;
        }
        const auto slash = rest.find_last_of(L'\\');
        if (slash == std::wstring::npos) {
            parsed.valueName = rest;
        } else {
            parsed.subKey = rest.substr(0, slash);
            parsed.valueName = rest.substr(slash + 1);
        }
        return parsed;
    }
    ThrowError(ERROR_INVALID_PARAMETER,
               L"Der Registrierungsname liegt nicht unter HKEY_CLASSES_ROOT: " + name);
}

std::wstring ReadClassesRootText(const RegistryName& parsed, const std::wstring& name) {
    const wchar_t* subKey = parsed.subKey.empty() ? nullptr : parsed.subKey.c_str();
    const wchar_t* value = parsed.defaultValue ? nullptr : parsed.valueName.c_str();
    // REG_SZ alone also admits REG_EXPAND_SZ values, which then come back expanded.
    const DWORD flags = RRF_RT_REG_SZ;
    DWORD bytes = 0;
    LSTATUS status =
        ::RegGetValueW(HKEY_CLASSES_ROOT, subKey, value, flags, nullptr, nullptr, &bytes);
    // An expanded value may outgrow the size reported a moment ago.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
        bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status =
            ::RegGetValueW(HKEY_CLASSES_ROOT, subKey, value, flags, nullptr, buffer.data(), &bytes);
        if (status == ERROR_SUCCESS) return std::wstring(buffer.data());
    }
    ThrowError(static_cast<unsigned long>(status),
               L"Der Registrierungswert konnte nicht gelesen werden: " + name);
}

struct CommandParts {
    std::wstring file;
    std::wstring parameters;
};

CommandParts SplitCommandLine(const std::wstring& commandLine) {
    const std::wstring line = Text::TrimBlanks(commandLine);
    if (!line.empty() && line[0] == L'"') {
        const auto close = line.find(L'"', 1);
        if (close == std::wstring::npos) return {line.substr(1), std::wstring()};
        return {line.substr(1, close - 1), Text::TrimBlanks(line.substr(close + 1))};
    }
    // A path with blanks that was not quoted still opens when it names a file.
    if (::GetFileAttributesW(line.c_str()) != INVALID_FILE_ATTRIBUTES) return {line, {}};
    const auto blank = line.find(L' ');
    if (blank == std::wstring::npos) return {line, std::wstring()};
    return {line.substr(0, blank), Text::TrimBlanks(line.substr(blank + 1))};
}

// ShellExecuteExW does not always set the last error; its old-style result
// code says what went wrong then.
unsigned long ShellExecuteError(const SHELLEXECUTEINFOW& info) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_SUCCESS) return error;
    const auto code = reinterpret_cast<INT_PTR>(info.hInstApp);
    if (code == SE_ERR_FNF) return ERROR_FILE_NOT_FOUND;
    if (code == SE_ERR_PNF) return ERROR_PATH_NOT_FOUND;
    if (code == SE_ERR_ACCESSDENIED) return ERROR_ACCESS_DENIED;
    if (code == SE_ERR_NOASSOC) return ERROR_NO_ASSOCIATION;
    return ERROR_GEN_FAILURE;
}

const KNOWNFOLDERID* KnownFolderFor(const std::wstring& name) {
    if (Text::EqualsNoCase(name, L"desktop")) return &FOLDERID_Desktop;
    if (Text::EqualsNoCase(name, L"StartMenu")) return &FOLDERID_StartMenu;
    if (Text::EqualsNoCase(name, L"Programs")) return &FOLDERID_Programs;
    return nullptr;
}

struct CoTaskMemDeleter {
    void operator()(wchar_t* p) const { ::CoTaskMemFree(p); }
};

}  // namespace

std::wstring WinShell::regRead(const std::wstring& name) {
    return ReadClassesRootText(ParseClassesRootName(name), name);
}

void WinShell::Run(const std::wstring& commandLine) {
    const CommandParts parts = SplitCommandLine(commandLine);
    // Associations may be served by COM objects.
    ComInit com;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = parts.file.c_str();
    info.lpParameters = parts.parameters.empty() ? nullptr : parts.parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    ::SetLastError(ERROR_SUCCESS);
    if (!::ShellExecuteExW(&info)) {
        ThrowError(ShellExecuteError(info),
                   L"Das Programm oder Dokument konnte nicht geöffnet werden: " + commandLine);
    }
}

namespace {

class WinRunningProgram : public RunningProgram {
public:
    WinRunningProgram(HANDLE process, std::wstring commandLine)
        : process_(process), commandLine_(std::move(commandLine)) {}

    bool Ended(unsigned milliseconds) override {
        // Input already waiting counts as an arrival, so that a caller who
        // handles messages between the calls never sleeps on top of them.
        HANDLE process = process_.get();
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &process, milliseconds, QS_ALLINPUT,
                                                         MWMO_INPUTAVAILABLE);
        if (woke == WAIT_FAILED) {
            ThrowLastError(L"Auf das Programm konnte nicht gewartet werden: " + commandLine_);
        }
        return woke == WAIT_OBJECT_0 || ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    }

    unsigned long ExitCode() override {
        DWORD exitCode = 0;
        if (!::GetExitCodeProcess(process_.get(), &exitCode)) {
            ThrowLastError(L"Das Ergebnis des Programms konnte nicht gelesen werden: " +
                           commandLine_);
        }
        return exitCode;
    }

private:
    UniqueKernelHandle process_;
    std::wstring commandLine_;
};

UniqueKernelHandle StartProcess(const std::wstring& commandLine, WindowStyle style) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = style == WindowStyle::Hidden ? SW_HIDE : SW_SHOWNORMAL;
    PROCESS_INFORMATION started = {};
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started)) {
        ThrowLastError(L"Das Programm konnte nicht gestartet werden: " + commandLine);
    }
    UniqueKernelHandle thread(started.hThread);
    return UniqueKernelHandle(started.hProcess);
}

}  // namespace

unsigned long WinShell::Run(const std::wstring& commandLine, WindowStyle style, bool wait) {
    UniqueKernelHandle process = StartProcess(commandLine, style);
    if (!wait) return 0;
    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) {
        ThrowLastError(L"Auf das Programm konnte nicht gewartet werden: " + commandLine);
    }
    return WinRunningProgram(process.release(), commandLine).ExitCode();
}

std::unique_ptr<RunningProgram> WinShell::Start(const std::wstring& commandLine,
                                                WindowStyle style) {
    return std::make_unique<WinRunningProgram>(StartProcess(commandLine, style).release(),
                                               commandLine);
}

std::wstring WinShell::SpecialFolders(const std::wstring& name) {
    const KNOWNFOLDERID* id = KnownFolderFor(name);
    if (id == nullptr) {
        ThrowError(ERROR_INVALID_PARAMETER, L"Unbekannter Systemordner: " + name);
    }
    wchar_t* raw = nullptr;
    const HRESULT hr = ::SHGetKnownFolderPath(*id, KF_FLAG_DEFAULT, nullptr, &raw);
    std::unique_ptr<wchar_t, CoTaskMemDeleter> owned(raw);
    if (FAILED(hr) || raw == nullptr) {
        ThrowError(static_cast<unsigned long>(hr),
                   L"Der Systemordner konnte nicht ermittelt werden: " + name);
    }
    return Path::WithoutTrailingBackslash(raw);
}

std::unique_ptr<Shortcut> WinShell::CreateShortcut(const std::wstring& linkPath) {
    if (linkPath.size() < 4 || !Text::EqualsNoCase(linkPath.substr(linkPath.size() - 4), L".lnk")) {
        ThrowError(ERROR_INVALID_NAME,
                   L"Der Name einer Verknüpfung muss auf .lnk enden: " + linkPath);
    }
    return std::make_unique<WinShortcut>(linkPath);
}
