#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "ui/Window_win.h"
#include "wizard/WizardHost.h"
#include "wizard/WizardPage.h"

class MainForm;

// The three pages of the wizard, created by the caller into the window's page
// area (the window does not know the page classes, only their contract).
struct WizardPages {
    std::unique_ptr<WizardPage> startPage;
    std::unique_ptr<DownloadPage> downloadPage;
    std::unique_ptr<FinishPage> finishPage;
};
using PageFactory = std::function<WizardPages(MainForm& form)>;

// The wizard window: hosts the three pages, moves from page to page on
// "Weiter", keeps the values the pages share and runs the one closing
// procedure for every way of leaving the wizard.
class MainForm : public Window, public WizardHost {
public:
    static constexpr TwipsRect kStartPageRect{120, 1080, 6975, 3135};
    static constexpr TwipsRect kDownloadPageRect{120, 1080, 6975, 3135};
    static constexpr TwipsRect kFinishPageRect{120, 1080, 7095, 3255};

    MainForm(const Platform& platform, const PageFactory& makePages);
    ~MainForm() override;

    // Validates the settings file; closes the window when it is unusable.
    // Runs once, after the pages exist and before the window is shown.
    void Load();
    // Shows the window (when Load left it open).
    void Show();
    bool Closed() const { return closed_; }
    // Closing the window ends the program (tests that host several windows
    // in one process turn this off).
    void SetQuitOnClose(bool quit) { quitOnClose_ = quit; }

    const Platform& platform() const { return platform_; }

    // WizardHost
    std::wstring GetAccessPath() const override { return accessPath_; }
    void SetAccessPath(const std::wstring& path) override { accessPath_ = path; }
    std::wstring GetZelbarPath() const override { return zelbarPath_; }
    void SetZelbarPath(const std::wstring& path) override { zelbarPath_ = path; }
    std::wstring GetTempFolder() const override { return tempFolder_; }
    void SetTempFolder(const std::wstring& path) override { tempFolder_ = path; }
    void RecordTempFolder(const std::wstring& path) override { createdFolders_.push_back(path); }
    void KeepTempFolder(const std::wstring& path) override;
    void EnableButtonWeiter() override;
    void EnableButtonBeenden() override;
    void SetButtonCancelEnabled(bool enable) override;
    void CloseWithoutPrompt() override;
    void DeleteTempFolder() override;
    bool Visible() const override;
    void* OwnerWindow() const override { return hwnd(); }

    // Asks the window to close, through the closing procedure.
    void Close();

    WizardPage& startPage() { return *pages_.startPage; }
    DownloadPage& downloadPage() { return *pages_.downloadPage; }
    FinishPage& finishPage() { return *pages_.finishPage; }
    bool skipClosePrompt() const { return skipClosePrompt_; }

    Button& buttonWeiter;
    Button& buttonAbbrechen;
    Button& buttonBeenden;
    Picture& Shape1;
    Picture& Image2;
    Label& Label1;
    Picture& Image1;
    Picture& Line1;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCloseRequest() override;
    void OnDestroyed() override;

private:
    void buttonWeiter_Click();
    bool ConfirmClose();
    void ApplyHeaderColors();
    void FocusFirstControlOf(WizardPage* page);

    const Platform& platform_;

    WizardPages pages_;
    HWND lastPage_ = nullptr;  // the page lowest in the z-order
    std::wstring accessPath_;
    std::wstring zelbarPath_;
    std::wstring tempFolder_;
    // Full paths of the temporary folders the pages made; the only ones ever deleted.
    std::vector<std::wstring> createdFolders_;
    bool skipClosePrompt_ = false;
    bool closed_ = false;
    bool quitOnClose_ = true;
};
