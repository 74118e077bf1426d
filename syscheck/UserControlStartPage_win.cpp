#include "syscheck/UserControlStartPage_win.h"

#include <vector>

#include "AssetIds.h"
#include "syscheck/MeasuredLabel_win.h"
#include "ui/TextMeasure_win.h"
#include "widgets/ColorContrast.h"

namespace {

constexpr int kLineIndent = 100;

// The system's link colour, unless it cannot be read on the page.
COLORREF LinkColor() {
    return ColorContrast::ReadableOr(::GetSysColor(COLOR_HOTLIGHT), ::GetSysColor(COLOR_BTNTEXT),
                                     ::GetSysColor(COLOR_BTNFACE));
}

const struct {
    ControlSpec Label3{ControlKind::Label, L"Versionsprüfung", {240, 0, 1455, 255}};
    ControlSpec Label1{ControlKind::Label,
                       L"Klicken Sie auf den Button \"System prüfen\" um zu prüfen, ob Ihr "
                       L"System von Zelbar unterstützt wird.",
                       {360, 360, 4635, 390}};
    ControlSpec Shape2{ControlKind::Frame, nullptr, {120, 120, 6855, 3015}};
    ControlSpec buttonPruefen{ControlKind::Button, L"&System prüfen", {5160, 360, 1575, 375}, 1};
    ControlSpec ImageStatusOK{ControlKind::Image, nullptr, {360, 1080, 720, 720}, 0, false};
    ControlSpec ImageStatusWarning{ControlKind::Image, nullptr, {480, 1200, 465, 465}, 0, false};
    ControlSpec ImageStatusError{ControlKind::Image, nullptr, {480, 1200, 480, 480}, 0, false};
    ControlSpec LabelOSMeldung{ControlKind::Label, nullptr, {1200, 1080, 5205, 195}, 0, false};
    ControlSpec labelOSLinkInfo{ControlKind::Label, nullptr, {1200, 1320, 5175, 195}, 0, false};
    ControlSpec labelOSLinkSP{ControlKind::Label, nullptr, {1200, 1560, 5175, 255}, 0, false};
    ControlSpec LabelAccessMeldung{ControlKind::Label, nullptr, {1200, 1800, 5295, 195}, 0, false};
    ControlSpec labelAccessLinkSP{ControlKind::Label, nullptr, {1200, 2040, 5250, 255}, 0, false};
    ControlSpec labelAccessLinkInfo{ControlKind::Label, nullptr, {1200, 2280, 5235, 255}, 0, false};
    // Link labels are placed over their words when a message is shown.
    ControlSpec linkLabel{ControlKind::Label, nullptr, {}, 0, false};
} kLayout;

}  // namespace

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
      messageLabels_{&LabelOSMeldung,     &labelOSLinkInfo,   &labelOSLinkSP,
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
    ImageStatusOK.SetAccessibleName(L"OK");
    ImageStatusWarning.SetAccessibleName(L"Warnung");
    ImageStatusError.SetAccessibleName(L"Fehler");
    // The page and its frame are named by the heading.
    ::SetWindowTextW(hwnd(), Label3.Caption().c_str());
    Shape2.SetAccessibleName(Label3.Caption());

    // Links are laid over words by measuring them: these labels draw their
    // text exactly as measured.
    for (Label* label : messageLabels_) DrawAtMeasuredAdvances(label->hwnd());
    for (Label* label : linkLabels_) {
        DrawAtMeasuredAdvances(label->hwnd());
        ActAsLink(label->hwnd());
    }

    OnClick(buttonPruefen, [this] { buttonPruefen_Click(); });
    for (Label* linkLabel : linkLabels_) {
        OnClick(*linkLabel, [this, linkLabel] { LinkLabel_Click(*linkLabel); });
    }
}

void UserControlStartPage::buttonPruefen_Click() {
    // The check runs once per wizard run; the button never comes back.
    buttonPruefen.SetEnabled(false);
    Systempruefung(host_, platform_).Run([this](const Pruefergebnis& result) { Show(result); });
}

void UserControlStartPage::Show(const Pruefergebnis& result) {
    if (result.accessMissing) ShowAccessMissing(*result.accessMissing);
    // The block named first in the settings file takes the upper slot, the
    // other stands directly under its last line.
    int top = kLayout.LabelOSMeldung.rect.top;
    for (const MessageBlock& block : result.blocks) {
        const bool os = block.kind == MessageBlock::Kind::OperatingSystem;
        top = ShowBlock(os ? osBlock_ : accessBlock_, block, top);
    }
    ShowIcon(result.icon);
    // Over everything else, and Tab reaches the links in the order they are read.
    for (auto link = placedLinks_.rbegin(); link != placedLinks_.rend(); ++link) {
        (*link)->BringToFront();
    }
}

void UserControlStartPage::ShowAccessMissing(const LinkMarkup& text) {
    Label& message = LabelAccessMeldung;
    message.SetTop(ImageStatusError.Top());
    SetMessageCaption(message, text.text);
    PlaceLinkLabel(message, LabelMailLink, text);
    message.SetVisible(true);
}

int UserControlStartPage::ShowBlock(const Block& labels, const MessageBlock& block, int top) {
    Label& message = labels.message;
    FontSpec bold = DefaultFont();
    bold.bold = true;
    message.SetFont(bold);
    message.SetTop(top);
    SetMessageCaption(message, block.message);
    message.SetVisible(true);

    const int left = message.Left() + kLineIndent;
    const int infoTop = message.Top() + message.Height();
    const int spTop = ShowLine(labels.info, labels.infoLink, left, infoTop, block.info);
    return ShowLine(labels.sp, labels.spLink, left, spTop, block.sp);
}

int UserControlStartPage::ShowLine(Label& label, Label& linkLabel, int left, int top,
                                   const std::optional<LinkMarkup>& link) {
    if (!link) return top;
    label.SetLeft(left);
    label.SetTop(top);
    SetMessageCaption(label, link->text);
    label.SetVisible(true);
    if (link->found) PlaceLinkLabel(label, linkLabel, *link);
    return top + label.Height();
}

void UserControlStartPage::ShowIcon(StatusIcon icon) {
    switch (icon) {
        case StatusIcon::OK:
            ImageStatusOK.SetVisible(true);
            break;
        case StatusIcon::Warning:
            ImageStatusWarning.SetVisible(true);
            break;
        case StatusIcon::Error:
            ImageStatusError.SetVisible(true);
            break;
        case StatusIcon::None:
            break;
    }
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
                                          const LinkMarkup& link) {
    GdiTextMeasure measure(messageLabel.hwnd(), messageLabel.hfont());
    const LinkBox message{messageLabel.Left(), messageLabel.Top(), messageLabel.Width(),
                          messageLabel.Height()};
    const auto box = ::PlaceLinkLabel(message, link, measure);
    if (!box) {
        linkLabel.SetVisible(false);
        return;
    }
    linkLabel.SetCaption(link.linkText);
    linkLabel.Move(TwipsRect{box->left, box->top, box->width, box->height});
    linkTargets_[&linkLabel] = link.target;

    FontSpec font = messageLabel.Font();
    font.underline = true;
    linkLabel.SetFont(font);
    linkLabel.SetForeColor(LinkColor());
    // Opaque in the page's colour, so the plain copy of the word beneath is covered.
    linkLabel.SetBackColor(SystemColor(COLOR_BTNFACE));
    linkLabel.BringToFront();
    linkLabel.SetVisible(true);
    placedLinks_.push_back(&linkLabel);
}

bool UserControlStartPage::IsLinkLabel(const Control& control) const {
    for (const Label* linkLabel : linkLabels_) {
        if (&control == linkLabel) return true;
    }
    return false;
}

void UserControlStartPage::LinkLabel_Click(const Label& linkLabel) {
    const auto placed = linkTargets_.find(&linkLabel);
    if (placed == linkTargets_.end()) return;
    ::OpenLinkTarget(placed->second, platform_.ui, platform_.shell);
}

bool UserControlStartPage::HandleMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_SYSCOLORCHANGE) {
        for (Label* linkLabel : linkLabels_) linkLabel->SetForeColor(LinkColor());
        return false;  // the base repaints
    }
    if (msg != WM_SETCURSOR) return false;
    // A label passes the cursor question to its parent first; over a link
    // the page answers with the hand.
    const Control* control = Find(reinterpret_cast<HWND>(wParam));
    if (!control || !control->Visible() || !IsLinkLabel(*control)) return false;
    if (!platform_.ui.ShowHandCursor()) return false;
    result = TRUE;
    return true;
}
