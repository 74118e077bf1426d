#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeUi.h"
#include "TempFolder.h"
#include "platform/PortableFileSystem.h"
#include "settings/ini.h"

// A settings.ini in a fresh start folder, read through the real file code.
class IniFileTest : public ::testing::Test {
protected:
    void WriteIni(const std::vector<std::wstring>& lines) { tmp.WriteLines("settings.ini", lines); }
    std::string IniBytes() const { return tmp.ReadBytes("settings.ini"); }

    TempFolder tmp;
    FakeUi ui{tmp.wpath()};
    PortableFileSystem fs;
    ini settings{fs, ui};
};
