#pragma once
#include "platform/Window_win.h"
#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"

// Empty page slots: framed child windows with a page's contract and nothing
// on them. They stand in for a page whose content is not part of a build (the
// window tests use them), so the window's page sequence and closing procedure
// work on their own. Nothing ever runs on them, so leaving one only removes a
// temporary folder.
template <class Page>
class BlankPage : public Window, public Page {
public:
    BlankPage(HWND parent, const TwipsRect& rect, bool visible)
        : Window(ChildFrame{parent, rect, visible}) {
        Add<Picture>({ControlKind::Frame, nullptr, {120, 120, 6855, 3015}});
    }
    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }
};

using BlankStartPage = BlankPage<WizardPage>;

class BlankDownloadPage : public BlankPage<DownloadPage> {
public:
    BlankDownloadPage(HWND parent, const TwipsRect& rect, WizardHost& host)
        : BlankPage(parent, rect, false), host_(host) {}
    bool Cancel() override {
        host_.DeleteTempFolder();
        return false;
    }

private:
    WizardHost& host_;
};

class BlankFinishPage : public BlankPage<FinishPage> {
public:
    BlankFinishPage(HWND parent, const TwipsRect& rect, WizardHost& host)
        : BlankPage(parent, rect, false), host_(host) {}
    void Fertigstellen() override {}
    void Cancel() override { host_.DeleteTempFolder(); }

private:
    WizardHost& host_;
};
