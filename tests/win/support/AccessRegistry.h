#pragma once
// The Access registration below HKEY_CLASSES_ROOT, set up for one test.
//
// The names the version detection reads are fixed ("Access.Application\CurVer",
// "Access.Application." + n), so tests cannot give them names of their own.
// Every test program runs in the same Wine prefix and ctest may start several
// at once; this object therefore holds a mutex of the prefix for its lifetime,
// so only one test at a time owns those names. It removes every
// Access.Application key before the test and again afterwards, together with
// any ProgID the test registered.
#include <string>
#include <vector>

#include "platform/WinApi.h"

namespace wintest {

class AccessRegistry {
public:
    AccessRegistry();
    ~AccessRegistry();
    AccessRegistry(const AccessRegistry&) = delete;
    AccessRegistry& operator=(const AccessRegistry&) = delete;

    // A ProgID with a description as its default value, through reg.exe.
    void AddProgId(const std::wstring& progId);
    // A ProgID and its "shell\open\command" default value.
    void Register(const std::wstring& progId, const std::wstring& openCommand);
    // Access.Application\CurVer naming the ProgID.
    void SetCurVer(const std::wstring& progId);

    // The open command of an Access program file, as Office registers it.
    static std::wstring OpenCommandFor(const std::wstring& programFile);

private:
    void Clean();

    HANDLE mutex_ = nullptr;
    std::vector<std::wstring> added_;
};

}  // namespace wintest
