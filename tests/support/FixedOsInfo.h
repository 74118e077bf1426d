#pragma once
#include <string>

#include "platform/OsInfo.h"
#include "platform/PlatformError.h"

// The Windows version that WMI would report, as the test sets it, or a failing query.
class FixedOsInfo : public OsInfo {
public:
    std::wstring version = L"10.0.19045";
    bool fails = false;
    std::wstring OperatingSystemVersion() override {
        if (fails) throw PlatformError(0x80041010, L"Die WMI-Abfrage ist fehlgeschlagen.");
        return version;
    }
};
