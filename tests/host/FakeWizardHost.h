#pragma once
#include <string>

#include "platform/FileSystem.h"
#include "platform/PlatformError.h"
#include "wizard/WizardHost.h"

// The wizard window for host tests of a page: DeleteTempFolder removes the
// folder as the window does, the button operations only count.
class FakeWizardHost : public WizardHost {
public:
    explicit FakeWizardHost(FileSystem& fs) : fs_(fs) {}

    std::wstring accessPath, zelbarPath, tempFolder;
    int deleteTempFolderCalls = 0;
    int weiterEnabled = 0, beendenEnabled = 0, closeWithoutPromptCalls = 0;
    bool cancelEnabled = true;

    std::wstring GetAccessPath() const override { return accessPath; }
    void SetAccessPath(const std::wstring& path) override { accessPath = path; }
    std::wstring GetZelbarPath() const override { return zelbarPath; }
    void SetZelbarPath(const std::wstring& path) override { zelbarPath = path; }
    std::wstring GetTempFolder() const override { return tempFolder; }
    void SetTempFolder(const std::wstring& path) override { tempFolder = path; }
    void EnableButtonWeiter() override { ++weiterEnabled; }
    void EnableButtonBeenden() override { ++beendenEnabled; }
    void SetButtonCancelEnabled(bool enable) override { cancelEnabled = enable; }
    void CloseWithoutPrompt() override { ++closeWithoutPromptCalls; }
    void DeleteTempFolder() override {
        ++deleteTempFolderCalls;
        if (zelbarPath.empty() || tempFolder.empty()) return;
        const std::wstring path = zelbarPath + tempFolder;
        try {
            if (fs_.FolderExists(path)) fs_.DeleteFolder(path.substr(0, path.size() - 1), true);
        } catch (const PlatformError&) {
        }
    }
    bool visible = true;
    bool Visible() const override { return visible; }
    void* OwnerWindow() const override { return nullptr; }

private:
    FileSystem& fs_;
};
