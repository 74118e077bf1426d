#pragma once
#include "platform/OsInfo.h"

// The operating-system version from WMI: the Version of the last
// Win32_OperatingSystem instance in ROOT\CIMV2 of the local computer.
// Failures throw PlatformError carrying the HRESULT.
class WmiOsInfo : public OsInfo {
public:
    std::wstring OperatingSystemVersion() override;
};
