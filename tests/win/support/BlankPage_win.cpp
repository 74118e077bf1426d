#include "support/BlankPage_win.h"

BlankPageWindow::BlankPageWindow(HWND parent, const TwipsRect& rect, bool visible)
    : Window(ChildFrame{parent, rect, visible}) {
    Add<Picture>({ControlKind::Frame, nullptr, {120, 120, 6855, 3015}});
}

BlankDownloadPage::BlankDownloadPage(HWND parent, const TwipsRect& rect, WizardHost& host)
    : BlankPageWindow(parent, rect, false), host_(host) {}

bool BlankDownloadPage::Cancel() {
    host_.DeleteTempFolder();
    return false;
}

BlankFinishPage::BlankFinishPage(HWND parent, const TwipsRect& rect, WizardHost& host)
    : BlankPageWindow(parent, rect, false), host_(host) {}
