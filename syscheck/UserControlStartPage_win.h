#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "syscheck/Systempruefung.h"
#include "ui/Window_win.h"
#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"

// Page 1 of the wizard: "System prüfen" runs the system check (Systempruefung,
// which decides everything) and the page shows its outcome: the messages in
// labels that grow to their wrapped text, link labels laid over their words,
// and the status picture.
class UserControlStartPage : public Window, public WizardPage {
public:
    UserControlStartPage(HWND parent, const TwipsRect& rect, WizardHost& host,
                         const Platform& platform);

    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }

    Label& Label3;
    Label& Label1;
    Picture& Shape2;
    Button& buttonPruefen;
    Picture& ImageStatusOK;
    Picture& ImageStatusWarning;
    Picture& ImageStatusError;
    Label& LabelOSMeldung;
    Label& labelOSLinkInfo;
    Label& labelOSLinkSP;
    Label& LabelAccessMeldung;
    Label& labelAccessLinkSP;
    Label& labelAccessLinkInfo;
    Label& LabelOSLinkInfoLink;
    Label& labelOSLinkSPLink;
    Label& labelAccessLinkInfoLink;
    Label& labelAccessLinkSPLink;
    Label& LabelMailLink;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // The labels of one message block (operating system or Access).
    struct Block {
        Label& message;
        Label& info;
        Label& infoLink;
        Label& sp;
        Label& spLink;
    };

    void buttonPruefen_Click();
    void Show(const Pruefergebnis& result);
    void ShowAccessMissing(const LinkMarkup& message);
    // Shows the block from `top` down and returns the bottom of its last line.
    int ShowBlock(const Block& labels, const MessageBlock& block, int top);
    int ShowLine(Label& line, Label& linkLabel, int left, int top,
                 const std::optional<LinkMarkup>& link);
    void ShowIcon(StatusIcon icon);
    // The message label must already show link.text.
    void PlaceLinkLabel(Label& messageLabel, Label& linkLabel, const LinkMarkup& link);
    void SetMessageCaption(Label& label, const std::wstring& caption);

    bool IsLinkLabel(const Control& control) const;
    void LinkLabel_Click(const Label& linkLabel);

    WizardHost& host_;
    const Platform& platform_;
    const Block osBlock_;
    const Block accessBlock_;
    const std::vector<Label*> messageLabels_;
    const std::vector<Label*> linkLabels_;
    std::map<const Control*, std::wstring> linkTargets_;
    std::vector<Label*> placedLinks_;  // in the order they are read
};
