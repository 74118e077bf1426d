#include "download/UserControlDownloadProgram_win.h"

#include <vector>

#include "AssetIds.h"
#include "folderchooser/OrdnerAuswahlDialog_win.h"

namespace {

const wchar_t kLabelPfad[] = L"LabelPfad";
const wchar_t kLabelFilename[] = L"LabelFilename";
const wchar_t kLabelFilesize[] = L"LabelFilesize";
const wchar_t kButtonOrdner[] = L"buttonOrdnerAuswaehlen";
const wchar_t kButtonDownload[] = L"buttonDownload";
const wchar_t kBgImage[] = L"BgImage";

// The progress picture is 206 x 24 pixels, placed at its own size at 96 DPI.
constexpr TwipsRect kProgressBarRect{360, 1800, 3090, 360};

const std::vector<ControlSpec>& Layout() {
    static const std::vector<ControlSpec> layout = {
        {L"Label3", ControlKind::Label, L"Programmdateien", {240, 0, 1455, 255}},
        // Marks out where the picture appears while it is still covered;
        // above the page's frame, which would hide it.
        {L"ShapeProgress", ControlKind::Frame, nullptr, {345, 1785, 3120, 390}},
        {L"Shape2", ControlKind::Frame, nullptr, {120, 120, 6855, 3015}},
        {L"LabelInfo",
         ControlKind::Label,
         L"Im Anschluss werden die Programmdateien von Zelbar aus dem Internet heruntergeladen. "
         L"Bitte wählen Sie einen Ordner auf ihrem Computer aus in dem Zelbar installiert werden "
         L"soll.",
         {360, 360, 6375, 615}},
        {kLabelPfad, ControlKind::Label, nullptr, {360, 1245, 4215, 255}},
        {kButtonOrdner, ControlKind::Button, L"Verzeichnis wechseln", {4800, 1170, 1935, 375}, 1},
        {kButtonDownload,
         ControlKind::Button,
         L"Dateien herunterladen",
         {4800, 1800, 1935, 375},
         2},
        {kLabelFilename, ControlKind::Label, nullptr, {360, 2280, 6375, 255}},
        {kLabelFilesize, ControlKind::Label, nullptr, {360, 2580, 6375, 255}},
        // Only the source of the progress bar's picture; never shown itself.
        {kBgImage, ControlKind::Image, nullptr, kProgressBarRect, 0, false},
    };
    return layout;
}

}  // namespace

UserControlDownloadProgram::UserControlDownloadProgram(HWND parent, const TwipsRect& rect,
                                                       WizardHost& host, const Platform& platform,
                                                       TransferControl& oInet)
    : host_(host), platform_(platform), program_(host, platform, *this, oInet) {
    CreateChild(parent, rect, false);
    AddLayout(Layout());
    FontSpec bold = DefaultFont();
    bold.bold = true;
    (*this)[L"Label3"].SetFont(bold);
    (*this)[kBgImage].SetPicture(LoadPictureResource(IDB_PROGRESS_BG));

    progressBar1_ = std::make_unique<ImageProgressBar>(hwnd(), kProgressBarRect, platform.ui);
    AddChildWindow(progressBar1_.get());
    // Made after the page's frame, it would lie beneath it.
    ::SetWindowPos(progressBar1_->hwnd(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    progressBar1_->BgImage((*this)[kBgImage]);

    OnClick(kButtonOrdner, [this] { program_.buttonOrdnerAuswaehlen_Click(); });
    OnClick(kButtonDownload, [this] { program_.buttonDownload_Click(); });
    program_.Initialize();
}

std::wstring UserControlDownloadProgram::LabelPfad() const { return (*this)[kLabelPfad].Caption(); }

void UserControlDownloadProgram::SetLabelPfad(const std::wstring& text) {
    (*this)[kLabelPfad].SetCaption(text);
}

void UserControlDownloadProgram::SetLabelFilename(const std::wstring& text) {
    (*this)[kLabelFilename].SetCaption(text);
}

void UserControlDownloadProgram::SetLabelFilesize(const std::wstring& text) {
    (*this)[kLabelFilesize].SetCaption(text);
}

void UserControlDownloadProgram::SetProgress(short value) { progressBar1_->value(value); }

void UserControlDownloadProgram::EnableFolderButton(bool enable) {
    (*this)[kButtonOrdner].SetEnabled(enable);
}

void UserControlDownloadProgram::EnableDownloadButton(bool enable) {
    (*this)[kButtonDownload].SetEnabled(enable);
}

std::wstring UserControlDownloadProgram::ChooseFolder() {
    auto dialog = std::make_unique<OrdnerAuswahlDialog>(host_, platform_);
    dialog->ShowModal(static_cast<HWND>(host_.OwnerWindow()));
    // Closed through its frame, the dialog is gone; its result is then what
    // a freshly opened one holds.
    if (dialog->Discarded()) dialog = std::make_unique<OrdnerAuswahlDialog>(host_, platform_);
    return dialog->Tag();
}

void UserControlDownloadProgram::OnVisibleChanged(bool visible) {
    if (visible) program_.Show();
}

std::wstring UserControlDownloadProgram::DescribeClick(const Control& control) const {
    if (control.name() == kButtonOrdner) {
        return L"Der Installationsordner konnte nicht gewählt werden.";
    }
    if (control.name() == kButtonDownload) {
        return L"Die Programmdateien konnten nicht heruntergeladen und entpackt werden.";
    }
    return Window::DescribeClick(control);
}
