#include "download/UserControlDownloadProgram_win.h"

#include "AssetIds.h"
#include "download/DownloadTexts.h"
#include "folderchooser/OrdnerAuswahlDialog_win.h"

namespace {

// The progress picture is 206 x 24 pixels, placed at its own size at 96 DPI.
constexpr TwipsRect kProgressBarRect{360, 1800, 3090, 360};

const struct {
    ControlSpec Label3{ControlKind::Label, L"Programmdateien", {240, 0, 1455, 255}};
    // Marks out where the picture appears while it is still covered; above
    // the page's frame, which would hide it.
    ControlSpec ShapeProgress{ControlKind::Frame, nullptr, {345, 1785, 3120, 390}};
    ControlSpec Shape2{ControlKind::Frame, nullptr, {120, 120, 6855, 3015}};
    ControlSpec LabelInfo{
        ControlKind::Label,
        L"Im Anschluss werden die Programmdateien von Zelbar aus dem Internet heruntergeladen. "
        L"Bitte wählen Sie einen Ordner auf ihrem Computer aus in dem Zelbar installiert werden "
        L"soll.",
        {360, 360, 6375, 615}};
    ControlSpec LabelPfad{ControlKind::Label, nullptr, {360, 1245, 4215, 255}};
    ControlSpec buttonOrdnerAuswaehlen{
        ControlKind::Button, L"&Verzeichnis wechseln", {4800, 1170, 1935, 375}, 1};
    ControlSpec buttonDownload{
        ControlKind::Button, L"&Dateien herunterladen", {4800, 1800, 1935, 375}, 2};
    ControlSpec LabelFilename{ControlKind::Label, nullptr, {360, 2280, 6375, 255}};
    ControlSpec LabelFilesize{ControlKind::Label, nullptr, {360, 2580, 6375, 255}};
    // Only the source of the progress bar's picture; never shown itself.
    ControlSpec BgImage{ControlKind::Image, nullptr, kProgressBarRect, 0, false};
} kLayout;

}  // namespace

UserControlDownloadProgram::UserControlDownloadProgram(HWND parent, const TwipsRect& rect,
                                                       WizardHost& host, const Platform& platform,
                                                       TransferControl& oInet)
    : Window(ChildFrame{parent, rect, false}),
      Label3(Add<Label>(kLayout.Label3)),
      ShapeProgress(Add<Picture>(kLayout.ShapeProgress)),
      Shape2(Add<Picture>(kLayout.Shape2)),
      LabelInfo(Add<Label>(kLayout.LabelInfo)),
      labelPfad(Add<Label>(kLayout.LabelPfad)),
      buttonOrdnerAuswaehlen(Add<Button>(kLayout.buttonOrdnerAuswaehlen)),
      buttonDownload(Add<Button>(kLayout.buttonDownload)),
      LabelFilename(Add<Label>(kLayout.LabelFilename)),
      LabelFilesize(Add<Label>(kLayout.LabelFilesize)),
      BgImage(Add<Picture>(kLayout.BgImage)),
      host_(host),
      platform_(platform),
      program_(host, platform, *this, oInet) {
    ArrangeLayout();
    FontSpec bold = DefaultFont();
    bold.bold = true;
    Label3.SetFont(bold);
    BgImage.SetPicture(LoadPictureResource(IDB_PROGRESS_BG));
    // The page and its frame are named by the heading.
    ::SetWindowTextW(hwnd(), Label3.Caption().c_str());
    Shape2.SetAccessibleName(Label3.Caption());
    ShapeProgress.SetAccessibleName(L"Rahmen des Fortschritts");

    progressBar1_ = std::make_unique<ImageProgressBar>(hwnd(), kProgressBarRect, platform.ui);
    AddChildWindow(progressBar1_.get());
    // Made after the page's frame, it would lie beneath it.
    ::SetWindowPos(progressBar1_->hwnd(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    progressBar1_->BgImage(BgImage);

    OnClick(buttonOrdnerAuswaehlen, [this] { program_.buttonOrdnerAuswaehlen_Click(); });
    OnClick(buttonDownload, [this] { program_.buttonDownload_Click(); });
    program_.Initialize();
}

std::wstring UserControlDownloadProgram::LabelPfad() const {
    return labelPfad.Caption();
}

void UserControlDownloadProgram::SetLabelPfad(const std::wstring& text) {
    labelPfad.SetCaption(text);
}

void UserControlDownloadProgram::SetLabelFilename(const std::wstring& text) {
    LabelFilename.SetCaption(text);
}

void UserControlDownloadProgram::SetLabelFilesize(const std::wstring& text) {
    LabelFilesize.SetCaption(text);
    // A screen reader hears the end through the page's name, which changes with it.
    const std::wstring name =
        text == DownloadTexts::kDone ? Label3.Caption() + L": " + text : Label3.Caption();
    ::SetWindowTextW(hwnd(), name.c_str());
}

void UserControlDownloadProgram::SetProgress(short value) {
    progressBar1_->value(value);
}

void UserControlDownloadProgram::EnableFolderButton(bool enable) {
    buttonOrdnerAuswaehlen.SetEnabled(enable);
}

void UserControlDownloadProgram::EnableDownloadButton(bool enable) {
    buttonDownload.SetEnabled(enable);
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
    if (&control == &buttonOrdnerAuswaehlen) {
        return L"Der Installationsordner konnte nicht gewählt werden.";
    }
    if (&control == &buttonDownload) {
        return L"Die Programmdateien konnten nicht heruntergeladen und entpackt werden.";
    }
    return Window::DescribeClick(control);
}
