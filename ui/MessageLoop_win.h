#pragma once
#include "platform/WinApi.h"

// The program's one way of handling window messages, shared by the main loop
// and by every "yield to the event loop": dialog keys (Tab, Enter on the
// focused button) go through IsDialogMessage of the top-level window.
void DispatchOneMessage(MSG& msg);

// Handles every message that is already waiting, then returns at once.
// Returns false when WM_QUIT was seen (it is posted again for the main loop).
bool PumpPendingMessages();

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();
