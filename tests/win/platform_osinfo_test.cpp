// WmiOsInfo against Wine's own WMI service.
#include <gtest/gtest.h>

#include "platform/OsInfo_win.h"
#include "platform/Text.h"
#include "platform/WinApi.h"

TEST(WmiOsInfoTest, VersionIsTheRunningKernelsThreeNumbersOnEveryQuery) {
    // The kernel's own version, untouched by compatibility shims.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info = {sizeof info, 0, 0, 0, 0, {}};
    ASSERT_EQ(rtlGetVersion(&info), 0);
    const std::wstring expected = Text::FromInt(info.dwMajorVersion) + L"." +
                                  Text::FromInt(info.dwMinorVersion) + L"." +
                                  Text::FromInt(info.dwBuildNumber);
    WmiOsInfo os;
    EXPECT_EQ(os.OperatingSystemVersion(), expected);
    // Each query sets up and releases COM on its own.
    EXPECT_EQ(os.OperatingSystemVersion(), expected);
}
