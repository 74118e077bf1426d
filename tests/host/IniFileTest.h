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
    // The file's lines joined by "|", so that a whole file fits on one line; "||" holds a
    // blank line, and empty text makes an empty file.
    void WriteIni(const std::wstring& text) {
        std::vector<std::wstring> lines(text.empty() ? 0 : 1);
        for (const wchar_t c : text) {
            if (c == L'|') {
                lines.emplace_back();
            } else {
                lines.back() += c;
            }
        }
        tmp.WriteLines("settings.ini", lines);
    }
    std::string IniBytes() const { return tmp.ReadBytes("settings.ini"); }

    TempFolder tmp;
    FakeUi ui{tmp.wpath()};
    PortableFileSystem fs;
    ini settings{fs, ui};
};
