#pragma once
// The Access registration below HKEY_CLASSES_ROOT, set up for one test. The version detection reads
// fixed names, and ctest may run several test programs in the one prefix at once: this object holds
// a mutex of the prefix and removes every Access.Application key before the test and afterwards.
#include <string>

#include "platform/Handles_win.h"

namespace wintest {

class AccessRegistry {
public:
    AccessRegistry();
    ~AccessRegistry();

    // A ProgID (Access.Application.<n>) with a description and its "shell\open\command".
    void Register(const std::wstring& progId, const std::wstring& openCommand);

    // The open command of an Access program file, as Office registers it.
    static std::wstring OpenCommandFor(const std::wstring& programFile);

private:
    UniqueKernelHandle mutex_;
};

}  // namespace wintest
