#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/PortableFileSystem.h"
#include "ui/Ui.h"

// A Ui for tests: answers to message and input boxes come from queues, and
// every call is recorded so that a test can check what the user was shown.
// MkDir really creates the folder, so code that makes folders is checked on disk.
class FakeUi : public Ui {
public:
    struct Message {
        std::wstring text;
        unsigned style;
        std::wstring title;
    };
    struct InputRequest {
        std::wstring prompt, title;
    };

    explicit FakeUi(std::wstring startFolder = std::wstring())
        : startFolder(std::move(startFolder)) {}

    // Without a scripted answer an OK box answers Ok and a Yes/No question No,
    // the answer that changes nothing; an input box counts as cancelled.
    std::deque<MsgBoxResult> msgBoxAnswers;
    std::deque<std::wstring> inputBoxAnswers;
    std::wstring startFolder;
    LocalTime now{2024, 3, 9, 14, 5, 7};
    // Runs at every DoEvents, e.g. to press Cancel while the code under test waits.
    std::function<void()> onDoEvents;

    std::vector<Message> messages;
    std::vector<InputRequest> inputRequests;
    std::vector<std::wstring> openedUrls;
    unsigned sleptMilliseconds = 0;
    unsigned pausedMilliseconds = 0;

    MsgBoxResult MsgBox(const std::wstring& text, unsigned style,
                        const std::wstring& title = kAppTitle) override {
        messages.push_back({text, style, title});
        if (msgBoxAnswers.empty()) return (style & 0x0F) == 4 ? MsgBoxResult::No : MsgBoxResult::Ok;
        const MsgBoxResult answer = msgBoxAnswers.front();
        msgBoxAnswers.pop_front();
        return answer;
    }
    std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) override {
        inputRequests.push_back({prompt, title});
        if (inputBoxAnswers.empty()) return std::wstring();
        std::wstring answer = inputBoxAnswers.front();
        inputBoxAnswers.pop_front();
        return answer;
    }
    void MkDir(const std::wstring& path) override { PortableFileSystem().CreateFolder(path); }
    void DoEvents() override {
        if (const auto hook = onDoEvents) hook();  // a copy: the hook may replace itself
    }
    void Sleep(unsigned milliseconds) override { sleptMilliseconds += milliseconds; }
    // Time passes for the code under test, which may handle messages meanwhile.
    void Pause(unsigned milliseconds) override {
        pausedMilliseconds += milliseconds;
        DoEvents();
    }
    bool ShowHandCursor() override { return true; }
    void OpenUrl(const std::wstring& url) override { openedUrls.push_back(url); }
    void SaveSetting(const std::wstring&, const std::wstring&, const std::wstring&,
                     const std::wstring&) override {}
    std::wstring StartFolder() override { return startFolder; }
    LocalTime Now() override { return now; }
    std::wstring DecimalSeparator() override { return L","; }

    std::wstring LastMessage() const {
        return messages.empty() ? std::wstring() : messages.back().text;
    }
};
