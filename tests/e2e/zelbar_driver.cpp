// zelbar_driver ROAD SHOTS plays a user of the running wizard from outside its
// process, by what a user sees and does. ROAD is UTF-8, a step a line, fields
// split by tabs: "window TITLE" (where the next steps work), "click CAPTION"
// (once enabled), "text TEXT" (wait until a control shows it), "answer TITLE
// TEXT [BUTTON]" (the message box must say TEXT; OK or BUTTON), "gone TITLE",
// "shot NAME" (the window as SHOTS\NAME.bmp), "responsive PROGRAM [TITLE]" (once
// the program PROGRAM runs, the window must answer within 500 ms until it ends;
// with TITLE it is also closed once, and its question TITLE must come, and is
// answered "Nein", while the program still runs). TEXT ending in "*"
// is a prefix,
// "*TEXT*" a part. A failing step leaves SHOTS\failure.bmp of the whole screen
// and exit code 1.
// By keys alone: "key KEY" presses a key as the keyboard does (Tab, Enter,
// Space, Escape, Down, a letter; "Alt+W" with Alt held), "box TITLE TEXT"
// waits for the message box (where the next steps work, as "window" does),
// "focus CAPTION" waits until the focus is on a control of the current window
// (CAPTION "*": any control) and fails if it never comes there.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cwctype>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Text.h"
#include "support/Screenshot.h"

namespace {

// Caps a wait that would otherwise hang; a download of the archive fits well inside.
constexpr ULONGLONG kHangMs = 300000;

void Say(const std::wstring& text) {
    std::printf("driver: %s\n", Text::ToUtf8(text).c_str());
    std::fflush(stdout);
}

std::wstring TextOf(HWND window) {
    // The window manager's copy: no message is sent, so a busy wizard cannot block us.
    wchar_t buffer[2048] = {};
    ::GetWindowTextW(window, buffer, 2048);
    return buffer;
}

// A button's text as the user reads it, without the mark of its access key.
std::wstring Caption(HWND window) {
    return Text::ReplaceAll(TextOf(window), L"&", L"");
}

bool IsText(HWND window) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return _wcsicmp(name, L"Static") == 0 && !TextOf(window).empty();
}

bool IsMessageBox(HWND window) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return std::wstring(name) == L"#32770";
}

bool Matches(const std::wstring& text, const std::wstring& pattern) {
    if (pattern.size() > 1 && Text::StartsWith(pattern, L"*") && Text::EndsWith(pattern, L"*"))
        return text.find(pattern.substr(1, pattern.size() - 2)) != std::wstring::npos;
    if (Text::EndsWith(pattern, L"*"))
        return Text::StartsWith(text, pattern.substr(0, pattern.size() - 1));
    return text == pattern;
}

// The first visible top-level window (or, with a parent, descendant) that passes the test.
template <typename Test>
HWND Find(HWND parent, Test test) {
    std::pair<Test*, HWND> search{&test, nullptr};
    const WNDENUMPROC look = [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<decltype(search)*>(param);
        if (::IsWindowVisible(window) && (*s->first)(window)) s->second = window;
        return !s->second;
    };
    if (parent)
        ::EnumChildWindows(parent, look, reinterpret_cast<LPARAM>(&search));
    else
        ::EnumWindows(look, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

bool ProgramRuns(const std::wstring& exe) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
         more = ::Process32NextW(snapshot, &entry)) {
        found = _wcsicmp(entry.szExeFile, exe.c_str()) == 0;
    }
    ::CloseHandle(snapshot);
    return found;
}

// Polls until the check comes true; false when the wait is taken for a hang.
template <typename Check>
bool Await(Check check) {
    for (const ULONGLONG deadline = ::GetTickCount64() + kHangMs; !check(); ::Sleep(100)) {
        if (::GetTickCount64() > deadline) return false;
    }
    return true;
}

void Need(bool ok, const std::wstring& what) {
    if (!ok) throw std::runtime_error(Text::ToUtf8(what));
}

WORD KeyCode(const std::wstring& name) {
    static const struct {
        const wchar_t* name;
        WORD code;
    } kKeys[] = {{L"Tab", VK_TAB},       {L"Enter", VK_RETURN}, {L"Space", VK_SPACE},
                 {L"Escape", VK_ESCAPE}, {L"Down", VK_DOWN},    {L"Up", VK_UP}};
    for (const auto& key : kKeys) {
        if (name == key.name) return key.code;
    }
    if (name.size() == 1 && std::iswalnum(name[0]))
        return static_cast<WORD>(std::towupper(name[0]));
    throw std::runtime_error("no key " + Text::ToUtf8(name));
}

// Presses (and lets go of) a key through the system's input, as a keyboard does.
void PressKey(const std::wstring& keys) {
    const bool alt = Text::StartsWith(keys, L"Alt+");
    const WORD code = KeyCode(alt ? keys.substr(4) : keys);
    std::vector<INPUT> inputs;
    const auto add = [&inputs](WORD key, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (alt) add(VK_MENU, false);
    add(code, false);
    add(code, true);
    if (alt) add(VK_MENU, true);
    Need(::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
             inputs.size(),
         L"the key " + keys + L" was not taken");
}

// The window with the focus in the thread of `window`, if any.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void Run(const std::vector<std::wstring>& step, HWND& current, const std::wstring& shots) {
    const std::wstring& command = step[0];
    const std::wstring arg = step.size() > 1 ? step[1] : L"";
    const auto titled = [&](bool box) {
        return [&arg, box](HWND w) { return IsMessageBox(w) == box && TextOf(w) == arg; };
    };
    HWND found = nullptr;
    if (command == L"window") {
        Need(Await([&] { return current = Find(nullptr, titled(false)); }), L"no window " + arg);
    } else if (command == L"click") {
        Need(Await([&] {
                 return found = Find(current, [&](HWND w) {
                            return Caption(w) == arg && ::IsWindowEnabled(w);
                        });
             }),
             L"no enabled control " + arg);
        // Posted, as a real click arrives: the wizard handles it in its own time and
        // may meanwhile show message boxes that a later step answers.
        ::PostMessageW(found, BM_CLICK, 0, 0);
    } else if (command == L"text") {
        Need(Await([&] { return Find(current, [&](HWND w) { return Matches(TextOf(w), arg); }); }),
             L"nothing shows " + arg);
    } else if (command == L"answer" && (step.size() == 3 || step.size() == 4)) {
        Need(Await([&] { return found = Find(nullptr, titled(true)); }), L"no message box " + arg);
        // The box's text arrives a moment after its window; then it stays as it is.
        HWND said = nullptr;
        Need(Await([&] { return said = Find(found, [](HWND w) { return IsText(w); }); }),
             L"the message box " + arg + L" shows no text");
        Need(Matches(TextOf(said), step[2]),
             L"the message box " + arg + L" says \"" + TextOf(said) + L"\", not " + step[2]);
        HWND button = ::GetDlgItem(found, IDOK);
        if (step.size() == 4) button = Find(found, [&](HWND w) { return Caption(w) == step[3]; });
        Need(button != nullptr, L"the message box " + arg + L" has no button " + step.back());
        ::PostMessageW(button, BM_CLICK, 0, 0);
        Need(Await([&] { return !::IsWindowVisible(found); }), L"the box stayed open: " + arg);
    } else if (command == L"responsive" && current) {
        Need(Await([&] { return ProgramRuns(arg); }), L"the program " + arg + L" never ran");
        const std::wstring question = step.size() > 2 ? step[2] : L"";
        bool asked = question.empty();
        if (!asked) ::PostMessageW(current, WM_CLOSE, 0, 0);
        int answered = 0;
        while (ProgramRuns(arg)) {
            DWORD_PTR result = 0;
            Need(::SendMessageTimeoutW(current, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result) != 0,
                 L"the window did not answer while " + arg + L" ran");
            if (HWND box = asked ? nullptr : Find(nullptr, [&](HWND w) {
                    return IsMessageBox(w) && TextOf(w) == question;
                })) {
                HWND no = Find(box, [](HWND w) { return Caption(w) == L"Nein"; });
                Need(no != nullptr, L"the question " + question + L" has no button Nein");
                ::PostMessageW(no, BM_CLICK, 0, 0);
                asked = true;
            }
            Need(++answered < 3000, L"the program " + arg + L" does not end");
            ::Sleep(100);
        }
        Need(asked, L"no question " + question + L" while " + arg + L" ran");
        Say(L"the window answered " + Text::FromInt(answered) + L" times while " + arg + L" ran");
    } else if (command == L"box" && step.size() == 3) {
        Need(Await([&] { return current = Find(nullptr, titled(true)); }),
             L"no message box " + arg);
        HWND said = nullptr;
        Need(Await([&] { return said = Find(current, [](HWND w) { return IsText(w); }); }),
             L"the message box " + arg + L" shows no text");
        Need(Matches(TextOf(said), step[2]),
             L"the message box " + arg + L" says \"" + TextOf(said) + L"\", not " + step[2]);
    } else if (command == L"key") {
        PressKey(arg);
    } else if (command == L"focus" && current) {
        HWND focus = nullptr;
        const bool found = Await([&] {
            focus = FocusOf(current);
            return focus && ::IsChild(current, focus) && ::IsWindowVisible(focus) &&
                   ::IsWindowEnabled(focus) && (arg == L"*" || Caption(focus) == arg);
        });
        Need(found, L"the focus is not on " + arg + L" but on \"" +
                        (focus ? Caption(focus) : L"nothing") + L"\"");
    } else if (command == L"gone") {
        Need(Await([&] { return !Find(nullptr, [&](HWND w) { return TextOf(w) == arg; }); }),
             L"still open: " + arg);
    } else if (command == L"shot" && current) {
        // Let the wizard paint what the last step changed; only the picture depends on it.
        ::Sleep(700);
        RECT frame;
        ::GetWindowRect(current, &frame);
        wintest::SaveScreenArea(frame, shots + L"\\" + arg + L".bmp");
    } else {
        throw std::runtime_error("cannot take the step " + Text::ToUtf8(command));
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream road;
    road << in.rdbuf();
    HWND current = nullptr;
    try {
        for (std::wstring line : Text::Split(Text::FromUtf8(road.str()), L'\n')) {
            line = Text::ReplaceAll(line, L"\r", L"");
            if (line.empty() || line[0] == L'#') continue;
            Say(Text::ReplaceAll(line, L"\t", L" | "));
            Run(Text::Split(line, L'\t'), current, argv[2]);
        }
    } catch (const std::exception& e) {
        std::printf("driver: FAILED: %s\n", e.what());
        std::fflush(stdout);
        const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        wintest::SaveScreenArea(screen, std::wstring(argv[2]) + L"\\failure.bmp");
        return 1;
    }
    Say(L"road complete");
    return 0;
}
