#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "wizard/WizardHost.h"

// The wizard window for host tests of a page: DeleteTempFolder removes the
// folder as the window does, the button operations only count.
class FakeWizardHost : public WizardHost {
public:
    explicit FakeWizardHost(FileSystem& fs) : fs_(fs) {}

    std::wstring accessPath, zelbarPath, tempFolder;
    std::vector<std::wstring> recordedFolders;
    int deleteTempFolderCalls = 0;
    int weiterEnabled = 0, beendenEnabled = 0, closeWithoutPromptCalls = 0;
    bool cancelEnabled = true, visible = true;

    std::wstring GetAccessPath() const override { return accessPath; }
    void SetAccessPath(const std::wstring& path) override { accessPath = path; }
    std::wstring GetZelbarPath() const override { return zelbarPath; }
    void SetZelbarPath(const std::wstring& path) override { zelbarPath = path; }
    std::wstring GetTempFolder() const override { return tempFolder; }
    void SetTempFolder(const std::wstring& path) override { tempFolder = path; }
    void RecordTempFolder(const std::wstring& path) override { recordedFolders.push_back(path); }
    void KeepTempFolder(const std::wstring& path) override {
        recordedFolders.erase(std::remove(recordedFolders.begin(), recordedFolders.end(), path),
                              recordedFolders.end());
    }
    void EnableButtonWeiter() override { ++weiterEnabled; }
    void EnableButtonBeenden() override { ++beendenEnabled; }
    void SetButtonCancelEnabled(bool enable) override { cancelEnabled = enable; }
    void CloseWithoutPrompt() override { ++closeWithoutPromptCalls; }
    void DeleteTempFolder() override {
        ++deleteTempFolderCalls;
        for (const std::wstring& path : recordedFolders) {
            if (fs_.FolderExists(path)) fs_.DeleteFolder(path.substr(0, path.size() - 1), true);
        }
    }
    bool Visible() const override { return visible; }
    void* OwnerWindow() const override { return nullptr; }

private:
    FileSystem& fs_;
};
