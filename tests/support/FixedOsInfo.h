#pragma once
#include <string>

#include "platform/OsInfo.h"

// The Windows version that WMI would report, as the test sets it.
class FixedOsInfo : public OsInfo {
public:
    std::wstring version = L"10.0.19045";
    std::wstring OperatingSystemVersion() override { return version; }
};
