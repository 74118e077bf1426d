#pragma once
#include <string>

// The controls of the download page as its work sees them: the folder label,
// the two buttons, the name and size lines and the progress bar. The window
// implements it with real controls; host tests record what was shown.
class DownloadPageView {
public:
    virtual ~DownloadPageView() = default;

    // LabelPfad: the page's record of the chosen installation folder.
    virtual std::wstring LabelPfad() const = 0;
    virtual void SetLabelPfad(const std::wstring& text) = 0;
    virtual void SetLabelFilename(const std::wstring& text) = 0;
    virtual void SetLabelFilesize(const std::wstring& text) = 0;
    // ProgressBar1's value, 0 to 100. Writing it yields to the event loop once.
    virtual void SetProgress(short value) = 0;
    virtual void EnableFolderButton(bool enable) = 0;
    virtual void EnableDownloadButton(bool enable) = 0;
    // Shows the folder chooser modally and returns its result (empty: none chosen).
    virtual std::wstring ChooseFolder() = 0;
};
