// A second start of the real ZelbarSetup.exe while the first one runs.
#include <gtest/gtest.h>

#include "platform/Handles_win.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

struct Process {
    UniqueKernelHandle handle;
    DWORD id = 0;
};

Process Start(const std::wstring& exe) {
    std::wstring commandLine = QuoteArgument(exe);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info)) {
        return {};
    }
    ::CloseHandle(info.hThread);
    return {UniqueKernelHandle(info.hProcess), info.dwProcessId};
}

struct Search {
    DWORD process;
    std::vector<HWND> found;
};

// The visible top-level windows of the process without an owner: its wizards.
std::vector<HWND> WizardWindows(DWORD process) {
    Search search{process, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->process && ::IsWindowVisible(window) &&
                ::GetWindow(window, GW_OWNER) == nullptr) {
                s->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(SecondStartTest, BringsTheRunningWizardBackRestoredAndEndsWithZero) {
    TempFolder folder;
    const std::wstring exe = folder / L"ZelbarSetup.exe";
    ASSERT_TRUE(::CopyFileW((WinPath(ZELBAR_BINARY_DIR) + L"\\ZelbarSetup.exe").c_str(),
                            exe.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(WinPath(ZELBAR_SOURCE_DIR "/demo/settings.ini").c_str(),
                            (folder / L"settings.ini").c_str(), FALSE));
    Process first = Start(exe);
    ASSERT_TRUE(first.handle);
    HWND wizard = nullptr;
    ASSERT_TRUE(PollUntil([&] {
        const auto windows = WizardWindows(first.id);
        wizard = windows.empty() ? nullptr : windows.front();
        return wizard != nullptr;
    }));
    // Minimised, and another program in front.
    ::ShowWindow(wizard, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(wizard) != FALSE; }));
    UniqueWindow other(::CreateWindowExW(0, L"STATIC", L"Anderes Programm",
                                         WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                         nullptr, nullptr, nullptr));
    ::SetForegroundWindow(other.get());

    Process second = Start(exe);
    ASSERT_TRUE(second.handle);
    ASSERT_TRUE(
        PumpUntil([&] { return ::WaitForSingleObject(second.handle.get(), 0) == WAIT_OBJECT_0; }));
    DWORD code = 1;
    ::GetExitCodeProcess(second.handle.get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WizardWindows(second.id).empty());

    EXPECT_TRUE(PumpUntil([&] { return ::IsIconic(wizard) == FALSE; }));
    EXPECT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == wizard; }));
    EXPECT_EQ(::WaitForSingleObject(first.handle.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WizardWindows(first.id).size(), 1u);
    ::TerminateProcess(first.handle.get(), 0);
    ::WaitForSingleObject(first.handle.get(), kHangCapMs);
}

}  // namespace
