#pragma once
#include "platform/ArchiveTrust.h"
#include "platform/FileSystem.h"
#include "platform/OsInfo.h"
#include "platform/Shell.h"
#include "platform/Ui.h"

// The services the program calls, created once by wWinMain (or by a test) and
// handed down by reference.
struct Platform {
    FileSystem& fs;
    Shell& shell;
    OsInfo& os;
    Ui& ui;
    ArchiveTrust& trust;
};
