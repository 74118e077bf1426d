#include "syscheck/UserControlStartPage_win.h"

#include <stdexcept>
#include <vector>

#include "AssetIds.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"
#include "platform/TextMeasure_win.h"
#include "settings/NameList.h"
#include "settings/ini.h"
#include "syscheck/MeasuredLabel_win.h"
#include "syscheck/checkVersions.h"

namespace {

const wchar_t kNoAccessText[] = L"Sie haben auf Ihrem System kein MS-Access installiert. ";
const wchar_t kTooOldText[] =
    L"Ihre MS-Access Version ist zu alt und wird von Zelbar nicht unterstützt. ";
const wchar_t kCdOfferText[] =
    L"Sie können Zelbar jedoch auch kostenlos auf CD anfordern - E-Mail genügt: ";

const wchar_t kIniBroken[] = L"Die ini-Datei wurde verändert und kann nicht mehr gelesen werden.";
const wchar_t kIniUnreadable[] =
    L"Die ini-Datei kann nicht gelesen werden. Die Systemprüfung kann nicht abgeschlossen werden.";
const wchar_t kOsVersionFailed[] =
    L"Die Version des Betriebssystems konnte nicht ermittelt werden. Die Systemprüfung kann "
    L"nicht abgeschlossen werden.";
const wchar_t kAccessVersionFailed[] =
    L"Die Version von MS-Access konnte nicht ermittelt werden. Die Systemprüfung kann nicht "
    L"abgeschlossen werden.";
const wchar_t kCheckFailed[] = L"Bei der Systemprüfung ist ein Fehler aufgetreten.";

const wchar_t kWarning[] = L"Warning";
const wchar_t kOk[] = L"OK";

constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr int kLineIndent = 100;

const struct {
    ControlSpec Label3{ControlKind::Label, L"Versionsprüfung", {240, 0, 1455, 255}};
    ControlSpec Label1{ControlKind::Label,
                       L"Klicken Sie auf den Button \"System prüfen\" um zu prüfen, ob Ihr "
                       L"System von Zelbar unterstützt wird.",
                       {360, 360, 4635, 390}};
    ControlSpec Shape2{ControlKind::Frame, nullptr, {120, 120, 6855, 3015}};
    ControlSpec buttonPruefen{ControlKind::Button, L"System prüfen", {5160, 360, 1575, 375}, 1};
    ControlSpec ImageStatusOK{ControlKind::Image, nullptr, {360, 1080, 720, 720}, 0, false};
    ControlSpec ImageStatusWarning{ControlKind::Image, nullptr, {480, 1200, 465, 465}, 0, false};
    ControlSpec ImageStatusError{ControlKind::Image, nullptr, {480, 1200, 480, 480}, 0, false};
    ControlSpec LabelOSMeldung{ControlKind::Label, nullptr, {1200, 1080, 5205, 195}, 0, false};
    ControlSpec labelOSLinkInfo{ControlKind::Label, nullptr, {1200, 1320, 5175, 195}, 0, false};
    ControlSpec labelOSLinkSP{ControlKind::Label, nullptr, {1200, 1560, 5175, 255}, 0, false};
    ControlSpec LabelAccessMeldung{ControlKind::Label, nullptr, {1200, 1800, 5295, 195}, 0, false};
    ControlSpec labelAccessLinkSP{ControlKind::Label, nullptr, {1200, 2040, 5250, 255}, 0, false};
    ControlSpec labelAccessLinkInfo{
        ControlKind::Label, nullptr, {1200, 2280, 5235, 255}, 0, false};
    // Link labels are placed over their words when a message is shown.
    ControlSpec linkLabel{ControlKind::Label, nullptr, {}, 0, false};
} kLayout;

// A step of the check failed; the text says which, in German, for the user.
class CheckFailure : public std::runtime_error {
public:
    CheckFailure(std::wstring text, std::wstring detail)
        : std::runtime_error(Text::ToUtf8(text)),
          text(std::move(text)),
          detail(std::move(detail)) {}
    std::wstring text;
    std::wstring detail;
};

// Runs one step of the check and names it when a platform call inside fails.
template <typename Step>
auto Run(const wchar_t* whatFailed, Step step) -> decltype(step()) {
    try {
        return step();
    } catch (const PlatformError& e) {
        throw CheckFailure(whatFailed, e.message());
    }
}

bool Is(const std::wstring& iconValue, const wchar_t* state) {
    return Text::EqualsNoCase(Text::TrimBlanks(iconValue), state);
}

}  // namespace

const wchar_t* const UserControlStartPage::kOrderAddress = L"bestellung@zelbar.de";

UserControlStartPage::UserControlStartPage(HWND parent, const TwipsRect& rect, WizardHost& host,
                                           const Platform& platform)
    : Window(ChildFrame{parent, rect, true}),
      Label3(Add<Label>(kLayout.Label3)),
      Label1(Add<Label>(kLayout.Label1)),
      Shape2(Add<Picture>(kLayout.Shape2)),
      buttonPruefen(Add<Button>(kLayout.buttonPruefen)),
      ImageStatusOK(Add<Picture>(kLayout.ImageStatusOK)),
      ImageStatusWarning(Add<Picture>(kLayout.ImageStatusWarning)),
      ImageStatusError(Add<Picture>(kLayout.ImageStatusError)),
      LabelOSMeldung(Add<Label>(kLayout.LabelOSMeldung)),
      labelOSLinkInfo(Add<Label>(kLayout.labelOSLinkInfo)),
      labelOSLinkSP(Add<Label>(kLayout.labelOSLinkSP)),
      LabelAccessMeldung(Add<Label>(kLayout.LabelAccessMeldung)),
      labelAccessLinkSP(Add<Label>(kLayout.labelAccessLinkSP)),
      labelAccessLinkInfo(Add<Label>(kLayout.labelAccessLinkInfo)),
      LabelOSLinkInfoLink(Add<Label>(kLayout.linkLabel)),
      labelOSLinkSPLink(Add<Label>(kLayout.linkLabel)),
      labelAccessLinkInfoLink(Add<Label>(kLayout.linkLabel)),
      labelAccessLinkSPLink(Add<Label>(kLayout.linkLabel)),
      LabelMailLink(Add<Label>(kLayout.linkLabel)),
      host_(host),
      platform_(platform),
      osBlock_{LabelOSMeldung, labelOSLinkInfo, LabelOSLinkInfoLink, labelOSLinkSP,
               labelOSLinkSPLink},
      accessBlock_{LabelAccessMeldung, labelAccessLinkInfo, labelAccessLinkInfoLink,
                   labelAccessLinkSP, labelAccessLinkSPLink},
      messageLabels_{&LabelOSMeldung,      &labelOSLinkInfo,   &labelOSLinkSP,
                     &LabelAccessMeldung, &labelAccessLinkSP, &labelAccessLinkInfo},
      linkLabels_{&LabelOSLinkInfoLink, &labelOSLinkSPLink, &labelAccessLinkInfoLink,
                  &labelAccessLinkSPLink, &LabelMailLink} {
    ArrangeLayout();
    FontSpec bold = DefaultFont();
    bold.bold = true;
    Label3.SetFont(bold);
    ImageStatusOK.SetPicture(LoadPictureResource(IDB_STATUS_OK));
    ImageStatusWarning.SetPicture(LoadPictureResource(IDB_STATUS_WARNING));
    ImageStatusError.SetPicture(LoadPictureResource(IDB_STATUS_ERROR));

    // Links are laid over words by measuring them: these labels draw their
    // text exactly as measured.
    for (Label* label : messageLabels_) DrawAtMeasuredAdvances(label->hwnd());
    for (Label* label : linkLabels_) DrawAtMeasuredAdvances(label->hwnd());

    OnClick(buttonPruefen, [this] { buttonPruefen_Click(); });
    for (Label* linkLabel : linkLabels_) {
        OnClick(*linkLabel, [this, linkLabel] { LinkLabel_Click(*linkLabel); });
    }
}

std::wstring UserControlStartPage::LinkTarget(const Label& linkLabel) const {
    const auto it = linkTargets_.find(&linkLabel);
    return it == linkTargets_.end() ? std::wstring() : it->second;
}

void UserControlStartPage::buttonPruefen_Click() {
    // The check runs once per wizard run; the button never comes back.
    buttonPruefen.SetEnabled(false);
    try {
        RunCheck();
    } catch (const CheckFailure& e) {
        EndCheckWithFailure(e.text, e.detail);
    } catch (const NameListDuplicateError& e) {
        EndCheckWithFailure(kIniBroken, e.message());
    } catch (const SupportedVersionsError&) {
        EndCheckWithFailure(kIniBroken, L"");
    } catch (...) {
        EndCheckWithFailure(kCheckFailed, DescribeCurrentException());
    }
}

void UserControlStartPage::EndCheckWithFailure(const std::wstring& text,
                                               const std::wstring& detail) {
    // Without a finished check the installation must not go on: the user is
    // told why and can only leave the wizard.
    const std::wstring message = detail.empty() ? text : text + L"\r\n\r\n" + detail;
    platform_.ui.MsgBox(message, MsgCritical);
    host_.EnableButtonBeenden();
}

void UserControlStartPage::RunCheck() {
    checkVersions check(platform_);
    const AccessReport report = Run(kIniUnreadable, [&] { return check.CheckAccessVersion(); });
    switch (report.status) {
        case AccessReport::kNoAccess:
        case AccessReport::kTooOld:
            ShowAccessMissing(report.status);
            break;
        case AccessReport::kSupported:
            ShowSupportedAccess(check, report);
            break;
        default:
            break;
    }
}

void UserControlStartPage::ShowAccessMissing(short status) {
    ImageStatusError.SetVisible(true);
    Label& message = LabelAccessMeldung;
    message.SetTop(ImageStatusError.Top());

    const LinkMarkup offer = ExtractLink(std::wstring(kCdOfferText) + L"<a href=mailto:" +
                                         kOrderAddress + L">" + kOrderAddress + L"</a>");
    const wchar_t* reason = status == AccessReport::kNoAccess ? kNoAccessText : kTooOldText;
    SetMessageCaption(message, reason + offer.text);
    PlaceLinkLabel(message, LabelMailLink, offer.target, offer.linkText);
    message.SetVisible(true);
    host_.EnableButtonBeenden();
}

void UserControlStartPage::ShowSupportedAccess(checkVersions& check, const AccessReport& report) {
    iconState_.clear();
    const std::wstring osSection =
        L"osVer_" + Run(kOsVersionFailed, [&] { return check.GetOSVersion(); });
    const std::wstring accessSection = L"accessVer_" + Run(kAccessVersionFailed, [&] {
                                           return check.GetAccessVersionNr(report.commandLine);
                                       });

    const ini settings(platform_.fs, platform_.ui);
    const NameList sections = Run(kIniUnreadable, [&] { return settings.GetSections(); });
    for (const std::wstring& section : sections) {
        if (section == osSection) {
            ShowBlock(osBlock_, accessBlock_, section, settings);
        } else if (section == accessSection) {
            ShowBlock(accessBlock_, osBlock_, section, settings);
        }
    }
    ShowIcon();
    host_.SetAccessPath(report.commandLine);
    host_.EnableButtonWeiter();
}

void UserControlStartPage::ShowBlock(const Block& x, const Block& y, const std::wstring& section,
                                     const ini& settings) {
    Label& message = x.message;
    FontSpec bold = DefaultFont();
    bold.bold = true;
    message.SetFont(bold);
    SetMessageCaption(message,
                      Run(kIniUnreadable, [&] { return settings.GetValue(section, L"Meldung"); }));
    message.SetVisible(true);
    PlaceBlockMessage(x, y);
    UpdateIconState(section, settings);

    const LinkMarkup info =
        ExtractLink(Run(kIniUnreadable, [&] { return settings.GetValue(section, L"LinkInfo"); }));
    const LinkMarkup sp =
        ExtractLink(Run(kIniUnreadable, [&] { return settings.GetValue(section, L"LinkSP"); }));
    const int left = message.Left() + kLineIndent;
    ShowLine(x.info, x.infoLink, left, message.Top() + message.Height(), info);

    const Label& infoLine = x.info;
    const int spTop =
        infoLine.Visible() ? infoLine.Top() + infoLine.Height() : message.Top() + message.Height();
    ShowLine(x.sp, x.spLink, left, spTop, sp);
}

void UserControlStartPage::PlaceBlockMessage(const Block& x, const Block& y) {
    const Label& other = y.message;
    Label& message = x.message;
    if (!other.Visible()) {
        // The block named first in the settings file takes the upper slot.
        message.SetTop(LabelOSMeldung.Top());
        return;
    }
    int top = other.Top() + other.Height();
    for (const Label* line : {&y.info, &y.sp}) {
        if (line->Visible()) top += line->Height();
    }
    message.SetTop(top);
}

void UserControlStartPage::UpdateIconState(const std::wstring& section, const ini& settings) {
    // A warning wins over OK whatever the order of the sections.
    if (Is(iconState_, kWarning)) return;
    const std::wstring icon =
        Run(kIniUnreadable, [&] { return settings.GetValue(section, L"Icon"); });
    if (Is(icon, kWarning) || Is(icon, kOk)) iconState_ = icon;
}

void UserControlStartPage::ShowIcon() {
    if (Is(iconState_, kWarning)) {
        ImageStatusWarning.SetVisible(true);
    } else if (Is(iconState_, kOk)) {
        ImageStatusOK.SetVisible(true);
    }
}

void UserControlStartPage::ShowLine(Label& label, Label& linkLabel, int left, int top,
                                    const LinkMarkup& link) {
    if (Text::TrimBlanks(link.text).empty()) return;
    label.SetLeft(left);
    label.SetTop(top);
    SetMessageCaption(label, link.text);
    label.SetVisible(true);
    if (link.found) PlaceLinkLabel(label, linkLabel, link.target, link.linkText);
}

void UserControlStartPage::SetMessageCaption(Label& label, const std::wstring& caption) {
    // The label shows the lines of the same layout that places the link
    // labels, so every link lies over its word whatever the system's own
    // wrapping would do. It keeps its width and grows downward to fit.
    GdiTextMeasure measure(label.hwnd(), label.hfont());
    const WrappedText wrapped = WrapAtBlanks(caption, label.Width(), measure);
    label.SetCaption(caption, wrapped.text);
    label.SetHeight(wrapped.lines * measure.TextHeight());
}

void UserControlStartPage::PlaceLinkLabel(Label& messageLabel, Label& linkLabel,
                                          const std::wstring& target,
                                          const std::wstring& linkText) {
    GdiTextMeasure measure(messageLabel.hwnd(), messageLabel.hfont());
    const LinkBox message{messageLabel.Left(), messageLabel.Top(), messageLabel.Width(),
                          messageLabel.Height()};
    const auto box = ::PlaceLinkLabel(message, messageLabel.Caption(), linkText, measure);
    if (!box) {
        linkLabel.SetVisible(false);
        return;
    }
    linkLabel.SetCaption(linkText);
    linkLabel.Move(TwipsRect{box->left, box->top, box->width, box->height});
    linkTargets_[&linkLabel] = target;

    FontSpec font = messageLabel.Font();
    font.underline = true;
    linkLabel.SetFont(font);
    linkLabel.SetForeColor(kLinkColor);
    // Opaque in the page's colour, so the plain copy of the word beneath is covered.
    linkLabel.SetBackColor(::GetSysColor(COLOR_BTNFACE));
    linkLabel.BringToFront();
    linkLabel.SetVisible(true);
}

bool UserControlStartPage::IsLinkLabel(const Control& control) const {
    for (const Label* linkLabel : linkLabels_) {
        if (&control == linkLabel) return true;
    }
    return false;
}

void UserControlStartPage::LinkLabel_Click(const Label& linkLabel) {
    ::OpenLinkTarget(LinkTarget(linkLabel), platform_.ui, platform_.shell);
}

bool UserControlStartPage::HandleMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_SETCURSOR) return false;
    // A label passes the cursor question to its parent first; over a link
    // the page answers with the hand.
    const Control* control = Find(reinterpret_cast<HWND>(wParam));
    if (!control || !control->Visible() || !IsLinkLabel(*control)) return false;
    if (!platform_.ui.ShowHandCursor()) return false;
    result = TRUE;
    return true;
}
