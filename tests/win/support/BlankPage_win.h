#pragma once
#include "platform/Window_win.h"
#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"

// Empty page slots for the window tests: framed child windows with a page's
// contract and nothing on them, so leaving one only removes a temporary folder.
template <class Page>
class BlankPage : public Window, public Page {
public:
    BlankPage(HWND parent, const TwipsRect& rect, bool visible, WizardHost* host = nullptr)
        : Window(ChildFrame{parent, rect, visible}), host_(host) {
        Add<Picture>({ControlKind::Frame, nullptr, {120, 120, 6855, 3015}});
    }
    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }

protected:
    WizardHost* host_;
};

using BlankStartPage = BlankPage<WizardPage>;

class BlankDownloadPage : public BlankPage<DownloadPage> {
public:
    BlankDownloadPage(HWND parent, const TwipsRect& rect, WizardHost& host)
        : BlankPage(parent, rect, false, &host) {}
    bool Cancel() override {
        host_->DeleteTempFolder();
        return false;
    }
};

class BlankFinishPage : public BlankPage<FinishPage> {
public:
    BlankFinishPage(HWND parent, const TwipsRect& rect, WizardHost& host)
        : BlankPage(parent, rect, false, &host) {}
    void Fertigstellen() override {}
    void Cancel() override { host_->DeleteTempFolder(); }
};
