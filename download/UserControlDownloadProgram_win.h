#pragma once
#include <memory>

#include "download/DownloadPageView.h"
#include "download/DownloadProgram.h"
#include "net/TransferControl.h"
#include "platform/Platform.h"
#include "ui/Window_win.h"
#include "widgets/ImageProgressBar_win.h"
#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"

// Page 2 of the wizard, "Programmdateien": the installation folder, the
// folder chooser, and the download with its progress picture, name and size
// lines. DownloadProgram does the work; this window only shows it.
class UserControlDownloadProgram : public Window, public DownloadPage, public DownloadPageView {
public:
    // oInet is the transfer control the page's downloads run on; it must
    // outlive the page.
    UserControlDownloadProgram(HWND parent, const TwipsRect& rect, WizardHost& host,
                               const Platform& platform, TransferControl& oInet);

    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }
    bool Cancel() override { return program_.Cancel(); }

    bool Downloading() const { return program_.Downloading(); }
    bool Working() const { return program_.Working(); }
    ImageProgressBar& ProgressBar1() { return *progressBar1_; }

    Label& Label3;
    Picture& ShapeProgress;
    Picture& Shape2;
    Label& LabelInfo;
    Label& labelPfad;
    Button& buttonOrdnerAuswaehlen;
    Button& buttonDownload;
    Label& LabelFilename;
    Label& LabelFilesize;
    Picture& BgImage;

    // DownloadPageView
    std::wstring LabelPfad() const override;
    void SetLabelPfad(const std::wstring& text) override;
    void SetLabelFilename(const std::wstring& text) override;
    void SetLabelFilesize(const std::wstring& text) override;
    void SetProgress(short value) override;
    void EnableFolderButton(bool enable) override;
    void EnableDownloadButton(bool enable) override;
    std::wstring ChooseFolder() override;

protected:
    void OnVisibleChanged(bool visible) override;
    std::wstring DescribeClick(const Control& control) const override;

private:
    WizardHost& host_;
    const Platform& platform_;
    std::unique_ptr<ImageProgressBar> progressBar1_;
    DownloadProgram program_;
};
