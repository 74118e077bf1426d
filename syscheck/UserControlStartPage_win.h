#pragma once
#include <map>
#include <string>
#include <vector>

#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"
#include "platform/Platform.h"
#include "platform/Window_win.h"
#include "syscheck/MessageLinks.h"

class ini;
class checkVersions;
struct AccessReport;

// Page 1 of the wizard: "System prüfen" detects the installed Access and the
// operating-system version, shows the messages, links and status icon that
// settings.ini holds for exactly these versions, and then lets the wizard go
// on ("Weiter") or, without a supported Access, only leave ("Beenden").
class UserControlStartPage : public Window, public WizardPage {
public:
    // Where the CD offer of a failed check sends its e-mail.
    static const wchar_t* const kOrderAddress;

    UserControlStartPage(HWND parent, const TwipsRect& rect, WizardHost& host,
                         const Platform& platform);

    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }

    // The target a link label opens; empty while none is placed on it.
    std::wstring LinkTarget(const Label& linkLabel) const;

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
    void RunCheck();
    void ShowAccessMissing(short status);
    void ShowSupportedAccess(checkVersions& check, const AccessReport& report);
    void ShowBlock(const Block& x, const Block& y, const std::wstring& section,
                   const ini& settings);
    void PlaceBlockMessage(const Block& x, const Block& y);
    void UpdateIconState(const std::wstring& section, const ini& settings);
    void ShowIcon();
    // Shows a text line of a block at the left edge and top given, with its link.
    void ShowLine(Label& line, Label& linkLabel, int left, int top, const LinkMarkup& link);
    void PlaceLinkLabel(Label& messageLabel, Label& linkLabel, const std::wstring& target,
                        const std::wstring& linkText);
    void SetMessageCaption(Label& label, const std::wstring& caption);
    void EndCheckWithFailure(const std::wstring& text, const std::wstring& detail);

    bool IsLinkLabel(const Control& control) const;
    void LinkLabel_Click(const Label& linkLabel);

    WizardHost& host_;
    const Platform& platform_;
    const Block osBlock_;
    const Block accessBlock_;
    const std::vector<Label*> messageLabels_;
    const std::vector<Label*> linkLabels_;
    std::wstring iconState_;
    std::map<const Control*, std::wstring> linkTargets_;
};
