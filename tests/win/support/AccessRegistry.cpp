#include "support/AccessRegistry.h"

#include <stdexcept>

#include "platform/Text.h"
#include "support/TestSupport.h"

namespace wintest {
namespace {

const wchar_t kMutexName[] = L"ZelbarTests.AccessRegistration";
// Tests count older versions up to the first supported number; none goes beyond this.
constexpr int kHighestVersion = 40;

void DeleteClassesRootTree(const std::wstring& key) {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        ::RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
        return;
    }
    throw std::runtime_error("cannot delete HKCR\\" + Text::ToUtf8(key) + " (error " +
                             std::to_string(status) + ")");
}

}  // namespace

AccessRegistry::AccessRegistry() {
    mutex_ = ::CreateMutexW(nullptr, FALSE, kMutexName);
    if (!mutex_) throw std::runtime_error("CreateMutexW failed");
    const DWORD wait = ::WaitForSingleObject(mutex_, 10 * 60 * 1000);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        ::CloseHandle(mutex_);
        throw std::runtime_error("the Access registration stayed taken by another test");
    }
    Clean();
}

AccessRegistry::~AccessRegistry() {
    try {
        Clean();
    } catch (const std::exception&) {
        // The next test cleans up before it starts.
    }
    ::ReleaseMutex(mutex_);
    ::CloseHandle(mutex_);
}

void AccessRegistry::Clean() {
    for (const std::wstring& key : added_) DeleteClassesRootTree(key);
    added_.clear();
    DeleteClassesRootTree(L"Access.Application");
    for (int n = 1; n <= kHighestVersion; ++n) {
        DeleteClassesRootTree(L"Access.Application." + Text::FromInt(n));
    }
}

void AccessRegistry::AddProgId(const std::wstring& progId) {
    added_.push_back(progId);
    RegAdd(L"HKCR\\" + progId, L"", L"Microsoft Access-Datenbank");
}

void AccessRegistry::Register(const std::wstring& progId, const std::wstring& openCommand) {
    AddProgId(progId);
    RegAdd(L"HKCR\\" + progId + L"\\shell\\open\\command", L"", openCommand);
}

void AccessRegistry::SetCurVer(const std::wstring& progId) {
    RegAdd(L"HKCR\\Access.Application", L"", L"Microsoft Access-Anwendung");
    RegAdd(L"HKCR\\Access.Application\\CurVer", L"", progId);
}

std::wstring AccessRegistry::OpenCommandFor(const std::wstring& programFile) {
    return L"\"" + programFile + L"\" /NOSTARTUP \"%1\"";
}

}  // namespace wintest
