#pragma once
#include <string>

// The operations the wizard window offers to its pages and to the folder
// chooser. Pages never call one another; whatever one page leaves for the
// next passes through here. None of these throws.
class WizardHost {
public:
    virtual ~WizardHost() = default;

    virtual std::wstring GetAccessPath() const = 0;
    virtual void SetAccessPath(const std::wstring& path) = 0;
    virtual std::wstring GetZelbarPath() const = 0;
    virtual void SetZelbarPath(const std::wstring& path) = 0;
    virtual std::wstring GetTempFolder() const = 0;
    virtual void SetTempFolder(const std::wstring& path) = 0;
    // Records the full path of a temporary folder the wizard has created.
    // DeleteTempFolder removes these folders and nothing else: the
    // installation folder may change after a folder was made in it.
    virtual void RecordTempFolder(const std::wstring& path) = 0;
    // The user was told that files are still in this folder: leaving the
    // wizard must no longer remove it.
    virtual void KeepTempFolder(const std::wstring& path) = 0;

    virtual void EnableButtonWeiter() = 0;
    virtual void EnableButtonBeenden() = 0;
    virtual void SetButtonCancelEnabled(bool enable) = 0;
    virtual void CloseWithoutPrompt() = 0;
    virtual void DeleteTempFolder() = 0;

    // Whether the wizard window is still shown (the install step re-enables
    // "Abbrechen" only then).
    virtual bool Visible() const = 0;
    // The window that owns modal dialogs opened by a page (an HWND on Windows).
    virtual void* OwnerWindow() const = 0;
};
