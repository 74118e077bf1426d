#pragma once
#include "platform/Window_win.h"
#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"

// Empty page slots: framed child windows with a page's contract and nothing
// on them. They stand in for a page whose content is not part of a build (the
// window tests use them), so the window's page sequence and closing procedure
// work on their own.
class BlankPageWindow : public Window {
public:
    BlankPageWindow(HWND parent, const TwipsRect& rect, bool visible);
};

class BlankStartPage : public BlankPageWindow, public WizardPage {
public:
    using BlankPageWindow::BlankPageWindow;
    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }
};

class BlankDownloadPage : public BlankPageWindow, public DownloadPage {
public:
    BlankDownloadPage(HWND parent, const TwipsRect& rect, WizardHost& host);
    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }
    // Nothing ever runs here, so leaving only removes a temporary folder.
    bool Cancel() override;

private:
    WizardHost& host_;
};

class BlankFinishPage : public BlankPageWindow, public FinishPage {
public:
    BlankFinishPage(HWND parent, const TwipsRect& rect, WizardHost& host);
    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }
    void Fertigstellen() override {}
    void Cancel() override { host_.DeleteTempFolder(); }

private:
    WizardHost& host_;
};
