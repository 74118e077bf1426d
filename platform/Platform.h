#pragma once
#include "platform/ArchiveTrust.h"
#include "platform/FileSystem.h"
#include "platform/OsInfo.h"
#include "platform/Shell.h"

// The window toolkit's service lives above the operating-system services;
// whoever calls it includes "ui/Ui.h".
class Ui;

// The services the program calls, created once by wWinMain (or by a test) and
// handed down by reference.
struct Platform {
    FileSystem& fs;
    Shell& shell;
    OsInfo& os;
    Ui& ui;
    ArchiveTrust& trust;
};
