#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/Ui.h"

// A Ui for window tests: message boxes are answered from a script and
// recorded instead of shown; the start folder is the test's own. Yielding
// handles the real window messages, so the windows under test behave as in
// the program.
class ScriptedUi : public Ui {
public:
    struct Shown {
        std::wstring text;
        unsigned style;
        std::wstring title;
    };

    std::wstring startFolder;
    std::deque<MsgBoxResult> answers;  // taken in order; Ok/No when empty
    std::vector<Shown> shown;
    std::deque<std::wstring> inputAnswers;
    LocalTime now{2026, 12, 5, 10, 9, 20};

    MsgBoxResult MsgBox(const std::wstring& text, unsigned style,
                        const std::wstring& title = kAppTitle) override;
    std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) override;
    void MkDir(const std::wstring& path) override;
    void DoEvents() override;
    void Sleep(unsigned milliseconds) override;
    bool ShowHandCursor() override { return true; }
    void OpenUrl(const std::wstring& url) override { openedUrls.push_back(url); }
    void SaveSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override;
    std::wstring StartFolder() override { return startFolder; }
    LocalTime Now() override { return now; }
    std::wstring DecimalSeparator() override { return L","; }

    std::vector<std::wstring> openedUrls;
    std::vector<std::wstring> savedSettings;  // "app|section|key|value"
    std::vector<std::wstring> inputPrompts;
};
