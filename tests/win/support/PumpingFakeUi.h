#pragma once
#include "FakeUi.h"
#include "ui/MessageLoop_win.h"

// The FakeUi of the window tests: a yield handles the real window messages
// first, so the windows under test behave as in the program; hand cursors are counted.
class PumpingFakeUi : public FakeUi {
public:
    using FakeUi::FakeUi;
    void DoEvents() override {
        PumpPendingMessages();
        FakeUi::DoEvents();
    }
    bool ShowHandCursor() override { return ++handCursorCalls > 0; }
    int handCursorCalls = 0;
};
