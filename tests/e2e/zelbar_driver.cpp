// zelbar_driver: plays a user of the running wizard, from outside its process.
//
//   zelbar_driver ROAD SHOTS     runs the steps of the road file; screenshots go
//                                into the folder SHOTS (as .bmp)
//
// A road file is UTF-8 text, one step per line, fields separated by tabs;
// empty lines and lines starting with "#" are skipped. Steps:
//
//   window  TITLE [SECONDS]         wait for the visible window TITLE; it becomes
//                                   the window the following steps work in
//   click   CAPTION [SECONDS]       wait until the control CAPTION is visible and
//                                   enabled, then click it
//   text    PATTERN [SECONDS]       wait until a visible control shows PATTERN
//                                   ("*" at either end: any text there)
//   answer  TITLE ok|yes|no PATTERN [SECONDS]
//                                   wait for the message box TITLE, check that its
//                                   text matches PATTERN, and press the button
//   gone    TITLE [SECONDS]         wait until no window TITLE is left
//   shot    NAME                    screenshot of the window into SHOTS\NAME.bmp
//
// Only what a user sees and does is used: window titles, captions, the enabled
// state, clicks. The seconds only cap a wait that would otherwise hang. A
// failing step saves SHOTS\failure.bmp of the whole screen, prints what it
// waited for and ends the driver with exit code 1.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/Screenshot.h"

namespace {

using Step = std::vector<std::wstring>;

std::string Narrow(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    std::string bytes(static_cast<size_t>(size) * 3, '\0');
    bytes.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &bytes[0],
                                                           size * 3, nullptr, nullptr)));
    return bytes;
}

std::wstring Widen(const std::string& bytes) {
    const int size = static_cast<int>(bytes.size());
    std::wstring text(bytes.size(), L'\0');
    text.resize(
        static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, &text[0], size)));
    return text;
}

void Say(const std::wstring& text) {
    std::printf("driver: %s\n", Narrow(text).c_str());
    std::fflush(stdout);
}

struct StepFailed : std::runtime_error {
    explicit StepFailed(const std::wstring& what) : std::runtime_error(Narrow(what)) {}
};

std::vector<Step> ReadRoad(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) throw StepFailed(L"cannot read the road " + path);
    std::vector<Step> steps;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::wistringstream fields(Widen(line));
        Step step;
        for (std::wstring field; std::getline(fields, field, L'\t');) step.push_back(field);
        steps.push_back(step);
    }
    return steps;
}

std::wstring TextOf(HWND window) {
    // Read from the window manager's copy: no message is sent, so a wizard
    // that is busy (unpacking, waiting) cannot block the driver.
    wchar_t buffer[2048] = {};
    ::GetWindowTextW(window, buffer, 2048);
    return buffer;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

bool IsMessageBox(HWND window) {
    return ClassOf(window) == L"#32770";
}

// "*" at the start or end of the pattern stands for any text there.
bool Matches(const std::wstring& text, const std::wstring& pattern) {
    const bool anyBefore = !pattern.empty() && pattern.front() == L'*';
    const bool anyAfter = pattern.size() > 1 && pattern.back() == L'*';
    const std::wstring core = pattern.substr(anyBefore, pattern.size() - anyBefore - anyAfter);
    const size_t at = anyBefore ? text.rfind(core) : text.find(core);
    if (at == std::wstring::npos) return false;
    return (anyBefore || at == 0) && (anyAfter || at + core.size() == text.size());
}

// The visible top-level windows (or, with a parent, the descendants) that pass the test.
template <typename Test>
std::vector<HWND> Windows(HWND parent, Test test) {
    struct Search {
        Test* test;
        std::vector<HWND> found;
    } search{&test, {}};
    const WNDENUMPROC collect = [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (::IsWindowVisible(window) && (*s->test)(window)) s->found.push_back(window);
        return TRUE;
    };
    if (parent) {
        ::EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&search));
    } else {
        ::EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

template <typename Test>
HWND First(HWND parent, Test test) {
    const auto found = Windows(parent, test);
    return found.empty() ? nullptr : found.front();
}

unsigned Seconds(const Step& step, size_t index) {
    return step.size() > index && !step[index].empty() ? std::stoul(step[index]) : 60;
}

// Polls until the check returns a window (or true); after `seconds` the wait
// is taken for a hang and the empty result comes back.
template <typename Check>
auto Await(unsigned seconds, Check check) -> decltype(check()) {
    const ULONGLONG deadline = ::GetTickCount64() + seconds * 1000ull;
    for (;;) {
        if (auto result = check()) return result;
        if (::GetTickCount64() > deadline) return decltype(check())();
        ::Sleep(100);
    }
}

std::wstring Quoted(const std::wstring& text) {
    return L"\u201e" + text + L"\u201c";
}

class Driver {
public:
    explicit Driver(std::wstring shots) : shots_(std::move(shots)) {}

    void Run(const Step& step) {
        const std::wstring& command = step[0];
        if (command == L"window") return SelectWindow(Arg(step, 1), Seconds(step, 2));
        if (command == L"click") return Click(Arg(step, 1), Seconds(step, 2));
        if (command == L"text") return AwaitText(Arg(step, 1), Seconds(step, 2));
        if (command == L"answer") {
            return Answer(Arg(step, 1), Arg(step, 2), Arg(step, 3), Seconds(step, 4));
        }
        if (command == L"gone") return AwaitGone(Arg(step, 1), Seconds(step, 2));
        if (command == L"shot") return Shot(Arg(step, 1));
        throw StepFailed(L"unknown step " + command);
    }

    void SaveFailureShot() {
        const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        wintest::SaveScreenArea(screen, shots_ + L"\\failure.bmp");
    }

private:
    static const std::wstring& Arg(const Step& step, size_t index) {
        if (step.size() <= index) throw StepFailed(L"step " + step[0] + L" lacks an argument");
        return step[index];
    }

    HWND Current() const {
        if (!current_ || !::IsWindow(current_)) throw StepFailed(L"no window to work in");
        return current_;
    }

    void SelectWindow(const std::wstring& title, unsigned seconds) {
        current_ = Await(seconds, [&] {
            return First(nullptr, [&](HWND w) { return !IsMessageBox(w) && TextOf(w) == title; });
        });
        if (!current_) throw StepFailed(L"no window " + Quoted(title) + L" appeared");
    }

    void Click(const std::wstring& caption, unsigned seconds) {
        HWND control = Await(seconds, [&] {
            return First(Current(), [&](HWND w) {
                std::wstring text = TextOf(w);
                text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
                return text == caption && ::IsWindowEnabled(w);
            });
        });
        if (!control) throw StepFailed(L"no enabled control " + Quoted(caption));
        // Posted, as a real click arrives: the wizard handles it in its own time
        // and may meanwhile show message boxes that a later step answers.
        ::PostMessageW(control, BM_CLICK, 0, 0);
    }

    void AwaitText(const std::wstring& pattern, unsigned seconds) {
        const bool shown = Await(seconds, [&] {
            return First(Current(), [&](HWND w) { return Matches(TextOf(w), pattern); });
        });
        if (!shown) throw StepFailed(L"no control shows " + Quoted(pattern));
    }

    void Answer(const std::wstring& title, const std::wstring& button, const std::wstring& pattern,
                unsigned seconds) {
        HWND box = Await(seconds, [&] {
            return First(nullptr, [&](HWND w) { return IsMessageBox(w) && TextOf(w) == title; });
        });
        if (!box) throw StepFailed(L"no message box " + Quoted(title) + L" appeared");
        // The box's text is set a moment after its window appears; it is the longest static.
        std::wstring text;
        Await(5, [&] {
            for (HWND label : Windows(box, [](HWND w) { return ClassOf(w) == L"Static"; })) {
                if (TextOf(label).size() > text.size()) text = TextOf(label);
            }
            return !text.empty();
        });
        Say(L"message box " + Quoted(title) + L": " + text);
        if (!Matches(text, pattern)) {
            throw StepFailed(L"the message box says " + Quoted(text) + L", not " + Quoted(pattern));
        }
        HWND item = ::GetDlgItem(box, button == L"yes" ? IDYES : button == L"no" ? IDNO : IDOK);
        if (!item) throw StepFailed(L"the message box has no button " + button);
        ::PostMessageW(item, BM_CLICK, 0, 0);
        if (!Await(seconds, [&] { return !::IsWindow(box) || !::IsWindowVisible(box); })) {
            throw StepFailed(L"the message box " + Quoted(title) + L" stayed open");
        }
    }

    void AwaitGone(const std::wstring& title, unsigned seconds) {
        const bool gone = Await(seconds, [&] {
            return Windows(nullptr, [&](HWND w) { return TextOf(w) == title; }).empty();
        });
        if (!gone) throw StepFailed(L"the window " + Quoted(title) + L" is still open");
    }

    void Shot(const std::wstring& name) {
        // Let the wizard finish painting what the last step changed; only the
        // picture depends on it, no step does.
        ::Sleep(700);
        RECT frame;
        ::GetWindowRect(Current(), &frame);
        wintest::SaveScreenArea(frame, shots_ + L"\\" + name + L".bmp");
    }

    std::wstring shots_;
    HWND current_ = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelbar_driver ROAD SHOTS\n");
        return 2;
    }
    Driver driver(argv[2]);
    try {
        for (const Step& step : ReadRoad(argv[1])) {
            std::wstring line = step[0];
            for (size_t i = 1; i < step.size(); ++i) line += L" | " + step[i];
            Say(line);
            driver.Run(step);
        }
    } catch (const std::exception& e) {
        std::printf("driver: FAILED: %s\n", e.what());
        std::fflush(stdout);
        driver.SaveFailureShot();
        return 1;
    }
    Say(L"road complete");
    return 0;
}
