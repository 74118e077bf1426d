#include "support/ScriptedUi.h"

#include "platform/MessageLoop_win.h"
#include "platform/PlatformError.h"
#include "platform/WinApi.h"

MsgBoxResult ScriptedUi::MsgBox(const std::wstring& text, unsigned style,
                                const std::wstring& title) {
    shown.push_back(Shown{text, style, title});
    if (!answers.empty()) {
        const MsgBoxResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (style & 0x0F) == MB_YESNO ? MsgBoxResult::No : MsgBoxResult::Ok;
}

std::wstring ScriptedUi::InputBox(const std::wstring& prompt, const std::wstring& title) {
    inputPrompts.push_back(title + L"|" + prompt);
    if (inputAnswers.empty()) return std::wstring();
    std::wstring answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

void ScriptedUi::MkDir(const std::wstring& path) {
    if (!::CreateDirectoryW(path.c_str(), nullptr)) {
        throw PlatformError(::GetLastError(), L"Der Ordner konnte nicht angelegt werden: " + path);
    }
}

void ScriptedUi::DoEvents() { PumpPendingMessages(); }

void ScriptedUi::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

void ScriptedUi::SaveSetting(const std::wstring& app, const std::wstring& section,
                             const std::wstring& key, const std::wstring& value) {
    savedSettings.push_back(app + L"|" + section + L"|" + key + L"|" + value);
}
