#include "support/AccessRegistry.h"

#include <stdexcept>

#include "platform/Text.h"
#include "support/TestSupport.h"

namespace wintest {
namespace {

// Tests count older versions up to the first supported number; none goes beyond this.
constexpr int kHighestVersion = 40;

// False when a key stayed.
bool Clean() {
    bool clean = true;
    for (int n = 0; n <= kHighestVersion; ++n) {
        const std::wstring key = L"Access.Application" + (n ? L"." + Text::FromInt(n) : L"");
        const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
        clean = clean && (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
    }
    return clean;
}

}  // namespace

AccessRegistry::AccessRegistry()
    : mutex_(::CreateMutexW(nullptr, FALSE, L"ZelbarTests.AccessRegistration")) {
    const DWORD wait = mutex_ ? ::WaitForSingleObject(mutex_.get(), 10 * 60 * 1000) : WAIT_FAILED;
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        throw std::runtime_error("the Access registration stayed taken by another test");
    }
    if (!Clean()) throw std::runtime_error("cannot delete the Access registration");
}

AccessRegistry::~AccessRegistry() {
    Clean();  // what stays, the next test removes before it starts
    ::ReleaseMutex(mutex_.get());
}

void AccessRegistry::Register(const std::wstring& progId, const std::wstring& openCommand) {
    RegAdd(L"HKCR\\" + progId, L"", L"Microsoft Access-Datenbank");
    RegAdd(L"HKCR\\" + progId + L"\\shell\\open\\command", L"", openCommand);
}

std::wstring AccessRegistry::OpenCommandFor(const std::wstring& programFile) {
    return L"\"" + programFile + L"\" /NOSTARTUP \"%1\"";
}

}  // namespace wintest
