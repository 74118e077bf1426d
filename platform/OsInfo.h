#pragma once
#include <string>

// The operating system's version as WMI reports it (Win32_OperatingSystem.Version).
class OsInfo {
public:
    virtual ~OsInfo() = default;
    // Three numbers separated by points, such as "10.0.19045". Throws
    // PlatformError when the WMI query fails.
    virtual std::wstring OperatingSystemVersion() = 0;
};
