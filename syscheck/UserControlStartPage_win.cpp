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

const wchar_t kLabelOSMeldung[] = L"LabelOSMeldung";
const wchar_t kLabelAccessMeldung[] = L"LabelAccessMeldung";
const wchar_t kLabelMailLink[] = L"LabelMailLink";
const wchar_t kImageStatusOK[] = L"ImageStatusOK";
const wchar_t kImageStatusWarning[] = L"ImageStatusWarning";
const wchar_t kImageStatusError[] = L"ImageStatusError";
const wchar_t kButtonPruefen[] = L"buttonPruefen";

const wchar_t* const kMessageLabels[] = {kLabelOSMeldung,      L"labelOSLinkInfo",
                                         L"labelOSLinkSP",     kLabelAccessMeldung,
                                         L"labelAccessLinkSP", L"labelAccessLinkInfo"};
const wchar_t* const kLinkLabels[] = {L"LabelOSLinkInfoLink", L"labelOSLinkSPLink",
                                      L"labelAccessLinkInfoLink", L"labelAccessLinkSPLink",
                                      kLabelMailLink};

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

const std::vector<ControlSpec>& Layout() {
    static const std::vector<ControlSpec> layout = {
        {L"Label3", ControlKind::Label, L"Versionsprüfung", {240, 0, 1455, 255}},
        {L"Label1",
         ControlKind::Label,
         L"Klicken Sie auf den Button \"System prüfen\" um zu prüfen, ob Ihr System von Zelbar "
         L"unterstützt wird.",
         {360, 360, 4635, 390}},
        {L"Shape2", ControlKind::Frame, nullptr, {120, 120, 6855, 3015}},
        {kButtonPruefen, ControlKind::Button, L"System prüfen", {5160, 360, 1575, 375}, 1},
        {kImageStatusOK, ControlKind::Image, nullptr, {360, 1080, 720, 720}, 0, false},
        {kImageStatusWarning, ControlKind::Image, nullptr, {480, 1200, 465, 465}, 0, false},
        {kImageStatusError, ControlKind::Image, nullptr, {480, 1200, 480, 480}, 0, false},
        {kLabelOSMeldung, ControlKind::Label, nullptr, {1200, 1080, 5205, 195}, 0, false},
        {L"labelOSLinkInfo", ControlKind::Label, nullptr, {1200, 1320, 5175, 195}, 0, false},
        {L"labelOSLinkSP", ControlKind::Label, nullptr, {1200, 1560, 5175, 255}, 0, false},
        {kLabelAccessMeldung, ControlKind::Label, nullptr, {1200, 1800, 5295, 195}, 0, false},
        {L"labelAccessLinkSP", ControlKind::Label, nullptr, {1200, 2040, 5250, 255}, 0, false},
        {L"labelAccessLinkInfo", ControlKind::Label, nullptr, {1200, 2280, 5235, 255}, 0, false},
        {L"LabelOSLinkInfoLink", ControlKind::Label, nullptr, {}, 0, false},
        {L"labelOSLinkSPLink", ControlKind::Label, nullptr, {}, 0, false},
        {L"labelAccessLinkInfoLink", ControlKind::Label, nullptr, {}, 0, false},
        {L"labelAccessLinkSPLink", ControlKind::Label, nullptr, {}, 0, false},
        {kLabelMailLink, ControlKind::Label, nullptr, {}, 0, false},
    };
    return layout;
}

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

const UserControlStartPage::Block UserControlStartPage::kOsBlock = {
    kLabelOSMeldung, L"labelOSLinkInfo", L"LabelOSLinkInfoLink", L"labelOSLinkSP",
    L"labelOSLinkSPLink"};
const UserControlStartPage::Block UserControlStartPage::kAccessBlock = {
    kLabelAccessMeldung, L"labelAccessLinkInfo", L"labelAccessLinkInfoLink", L"labelAccessLinkSP",
    L"labelAccessLinkSPLink"};

UserControlStartPage::UserControlStartPage(HWND parent, const TwipsRect& rect, WizardHost& host,
                                           const Platform& platform)
    : host_(host), platform_(platform) {
    CreateChild(parent, rect, true);
    AddLayout(Layout());

    FontSpec bold = DefaultFont();
    bold.bold = true;
    (*this)[L"Label3"].SetFont(bold);
    (*this)[kImageStatusOK].SetPicture(LoadPictureResource(IDB_STATUS_OK));
    (*this)[kImageStatusWarning].SetPicture(LoadPictureResource(IDB_STATUS_WARNING));
    (*this)[kImageStatusError].SetPicture(LoadPictureResource(IDB_STATUS_ERROR));

    // Links are laid over words by measuring them: these labels draw their
    // text exactly as measured.
    for (const wchar_t* label : kMessageLabels) DrawAtMeasuredAdvances((*this)[label].hwnd());
    for (const wchar_t* label : kLinkLabels) DrawAtMeasuredAdvances((*this)[label].hwnd());

    OnClick(kButtonPruefen, [this] { buttonPruefen_Click(); });
    for (const wchar_t* linkLabel : kLinkLabels) {
        OnClick(linkLabel, [this, linkLabel] { LinkLabel_Click(linkLabel); });
    }
}

std::wstring UserControlStartPage::LinkTarget(const std::wstring& linkLabel) const {
    const auto it = linkTargets_.find(linkLabel);
    return it == linkTargets_.end() ? std::wstring() : it->second;
}

void UserControlStartPage::buttonPruefen_Click() {
    // The check runs once per wizard run; the button never comes back.
    (*this)[kButtonPruefen].SetEnabled(false);
    try {
        RunCheck();
    } catch (const CheckFailure& e) {
        EndCheckWithFailure(e.text, e.detail);
    } catch (const NameListDuplicateError& e) {
        EndCheckWithFailure(kIniBroken, e.message());
    } catch (const SupportedVersionsError&) {
        EndCheckWithFailure(kIniBroken, L"");
    } catch (const PlatformError& e) {
        EndCheckWithFailure(kCheckFailed, e.message());
    } catch (const std::exception& e) {
        EndCheckWithFailure(kCheckFailed, Text::FromUtf8(e.what()));
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
    Control& image = (*this)[kImageStatusError];
    image.SetVisible(true);
    Control& message = (*this)[kLabelAccessMeldung];
    message.SetTop(image.Top());

    const LinkMarkup offer = ExtractLink(std::wstring(kCdOfferText) + L"<a href=mailto:" +
                                         kOrderAddress + L">" + kOrderAddress + L"</a>");
    const wchar_t* reason = status == AccessReport::kNoAccess ? kNoAccessText : kTooOldText;
    SetMessageCaption(message, reason + offer.text);
    PlaceLinkLabel(message, (*this)[kLabelMailLink], offer.target, offer.linkText);
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
            ShowBlock(kOsBlock, kAccessBlock, section, settings);
        } else if (section == accessSection) {
            ShowBlock(kAccessBlock, kOsBlock, section, settings);
        }
    }
    ShowIcon();
    host_.SetAccessPath(report.commandLine);
    host_.EnableButtonWeiter();
}

void UserControlStartPage::ShowBlock(const Block& x, const Block& y, const std::wstring& section,
                                     const ini& settings) {
    Control& message = (*this)[x.message];
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

    const Control& infoLine = (*this)[x.info];
    const int spTop =
        infoLine.Visible() ? infoLine.Top() + infoLine.Height() : message.Top() + message.Height();
    ShowLine(x.sp, x.spLink, left, spTop, sp);
}

void UserControlStartPage::PlaceBlockMessage(const Block& x, const Block& y) {
    const Control& other = (*this)[y.message];
    Control& message = (*this)[x.message];
    if (!other.Visible()) {
        // The block named first in the settings file takes the upper slot.
        message.SetTop((*this)[kLabelOSMeldung].Top());
        return;
    }
    int top = other.Top() + other.Height();
    for (const wchar_t* line : {y.info, y.sp}) {
        const Control& control = (*this)[line];
        if (control.Visible()) top += control.Height();
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
        (*this)[kImageStatusWarning].SetVisible(true);
    } else if (Is(iconState_, kOk)) {
        (*this)[kImageStatusOK].SetVisible(true);
    }
}

void UserControlStartPage::ShowLine(const wchar_t* line, const wchar_t* linkLabel, int left,
                                    int top, const LinkMarkup& link) {
    if (Text::TrimBlanks(link.text).empty()) return;
    Control& label = (*this)[line];
    label.SetLeft(left);
    label.SetTop(top);
    SetMessageCaption(label, link.text);
    label.SetVisible(true);
    if (link.found) PlaceLinkLabel(label, (*this)[linkLabel], link.target, link.linkText);
}

void UserControlStartPage::SetMessageCaption(Control& label, const std::wstring& caption) {
    // The label shows the lines of the same layout that places the link
    // labels, so every link lies over its word whatever the system's own
    // wrapping would do. It keeps its width and grows downward to fit.
    GdiTextMeasure measure(label.hwnd(), label.hfont());
    const WrappedText wrapped = WrapAtBlanks(caption, label.Width(), measure);
    label.SetCaption(caption, wrapped.text);
    label.SetHeight(wrapped.lines * measure.TextHeight());
}

void UserControlStartPage::PlaceLinkLabel(Control& messageLabel, Control& linkLabel,
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
    linkTargets_[linkLabel.name()] = target;

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
    for (const wchar_t* linkLabel : kLinkLabels) {
        if (control.name() == linkLabel) return true;
    }
    return false;
}

void UserControlStartPage::LinkLabel_Click(const std::wstring& linkLabel) {
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
