// zelbar_driver: plays a user of the running wizard, from outside its process.
//
//   zelbar_driver ROAD SHOTS     runs the steps of the road file; screenshots go
//                                into the folder SHOTS (as .bmp)
//   zelbar_driver --link LNK     prints the target and the arguments of a shortcut
//                                file (one line each, UTF-8), read with IShellLinkW
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
//   changes PATTERN [SECONDS]       the control showing PATTERN shows another text
//                                   within SECONDS (a progress display moving on)
//   enabled CAPTION 0|1             the control CAPTION is disabled (0) or enabled (1)
//   answer  TITLE ok|yes|no PATTERN [SECONDS]
//                                   wait for the message box TITLE, check that its
//                                   text matches PATTERN, and press the button
//   close                           the window's own close command (its X)
//   gone    TITLE [SECONDS]         wait until no window TITLE is left
//   shot    NAME                    screenshot of the window into SHOTS\NAME.bmp
//   sleep   MILLISECONDS
//
// Only what a user sees and does is used: window titles, captions, the enabled
// state, clicks. A failing step saves SHOTS\failure.bmp of the whole screen,
// prints what it waited for and ends the driver with exit code 1.
#include <windows.h>

#include <objbase.h>
#include <shobjidl.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr unsigned kDefaultSeconds = 60;

std::wstring Widen(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                          length);
    return text;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                          length, nullptr, nullptr);
    return bytes;
}

void Say(const std::wstring& text) {
    std::printf("driver: %s\n", Narrow(text).c_str());
    std::fflush(stdout);
}

struct StepFailed : std::runtime_error {
    explicit StepFailed(const std::wstring& what) : std::runtime_error(Narrow(what)) {}
};

std::vector<std::wstring> SplitTabs(const std::wstring& line) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(L'\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::wstring::npos) return fields;
        start = tab + 1;
    }
}

std::vector<std::vector<std::wstring>> ReadRoad(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) throw StepFailed(L"cannot read the road " + path);
    const std::wstring text =
        Widen(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    std::vector<std::vector<std::wstring>> steps;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty() && line[0] != L'#') steps.push_back(SplitTabs(line));
        start = end + 1;
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

std::wstring WithoutAccelerator(const std::wstring& caption) {
    std::wstring plain;
    for (wchar_t c : caption) {
        if (c != L'&') plain += c;
    }
    return plain;
}

// "*" at the start or end of the pattern stands for any text there.
bool Matches(const std::wstring& text, const std::wstring& pattern) {
    const bool anyBefore = !pattern.empty() && pattern.front() == L'*';
    const bool anyAfter = pattern.size() > 1 && pattern.back() == L'*';
    const std::wstring core =
        pattern.substr(anyBefore ? 1 : 0, pattern.size() - (anyBefore ? 1 : 0) - (anyAfter ? 1 : 0));
    if (anyBefore && anyAfter) return text.find(core) != std::wstring::npos;
    if (anyBefore) return text.size() >= core.size() && text.compare(text.size() - core.size(), core.size(), core) == 0;
    if (anyAfter) return text.compare(0, core.size(), core) == 0;
    return text == core;
}

template <typename Predicate>
std::vector<HWND> TopLevelWindows(Predicate predicate) {
    struct Search {
        Predicate* predicate;
        std::vector<HWND> found;
    } search{&predicate, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (::IsWindowVisible(window) && (*s->predicate)(window)) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> found;
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

bool IsMessageBox(HWND window) { return ClassOf(window) == L"#32770"; }

unsigned SecondsArg(const std::vector<std::wstring>& step, size_t index) {
    return step.size() > index && !step[index].empty()
               ? static_cast<unsigned>(std::stoul(step[index]))
               : kDefaultSeconds;
}

// Polls until the check returns a window (or true), at most `seconds`.
template <typename Check>
auto Await(unsigned seconds, Check check) -> decltype(check()) {
    const ULONGLONG deadline = ::GetTickCount64() + seconds * 1000ull;
    for (;;) {
        if (auto result = check()) return result;
        if (::GetTickCount64() > deadline) return decltype(check())();
        ::Sleep(100);
    }
}

void WriteBmp(const std::wstring& path, const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::SelectObject(memory, previous);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD rowBytes = static_cast<DWORD>((width * 3 + 3) & ~3);
    std::string pixels(static_cast<size_t>(rowBytes) * static_cast<size_t>(height), '\0');
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &pixels[0],
                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    if (!out) throw StepFailed(L"cannot write " + path);
}

class Driver {
public:
    explicit Driver(std::wstring shots) : shots_(std::move(shots)) {}

    void Run(const std::vector<std::wstring>& step) {
        const std::wstring& command = step[0];
        if (command == L"window") return SelectWindow(Arg(step, 1), SecondsArg(step, 2));
        if (command == L"click") return Click(Arg(step, 1), SecondsArg(step, 2));
        if (command == L"text") return AwaitText(Arg(step, 1), SecondsArg(step, 2));
        if (command == L"changes") return AwaitChange(Arg(step, 1), SecondsArg(step, 2));
        if (command == L"enabled") return CheckEnabled(Arg(step, 1), Arg(step, 2) == L"1");
        if (command == L"answer") {
            return Answer(Arg(step, 1), Arg(step, 2), Arg(step, 3), SecondsArg(step, 4));
        }
        if (command == L"close") return CloseWindow();
        if (command == L"gone") return AwaitGone(Arg(step, 1), SecondsArg(step, 2));
        if (command == L"shot") return Shot(Arg(step, 1));
        if (command == L"sleep") return ::Sleep(static_cast<DWORD>(std::stoul(Arg(step, 1))));
        throw StepFailed(L"unknown step " + command);
    }

    void SaveFailureShot() {
        const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        WriteBmp(shots_ + L"\\failure.bmp", screen);
    }

private:
    static const std::wstring& Arg(const std::vector<std::wstring>& step, size_t index) {
        if (step.size() <= index) throw StepFailed(L"step " + step[0] + L" lacks an argument");
        return step[index];
    }

    HWND Current() const {
        if (!current_ || !::IsWindow(current_)) throw StepFailed(L"no window to work in");
        return current_;
    }

    void SelectWindow(const std::wstring& title, unsigned seconds) {
        current_ = Await(seconds, [&]() -> HWND {
            const auto found = TopLevelWindows(
                [&](HWND w) { return !IsMessageBox(w) && TextOf(w) == title; });
            return found.empty() ? nullptr : found.front();
        });
        if (!current_) throw StepFailed(L"no window \u201e" + title + L"\u201c appeared");
    }

    HWND FindControl(const std::wstring& caption) const {
        for (HWND control : Descendants(Current())) {
            if (::IsWindowVisible(control) && WithoutAccelerator(TextOf(control)) == caption) {
                return control;
            }
        }
        return nullptr;
    }

    void Click(const std::wstring& caption, unsigned seconds) {
        HWND control = Await(seconds, [&]() -> HWND {
            HWND found = FindControl(caption);
            return found && ::IsWindowEnabled(found) ? found : nullptr;
        });
        if (!control) throw StepFailed(L"no enabled control \u201e" + caption + L"\u201c");
        // Posted, as a real click arrives: the wizard handles it in its own time
        // and may meanwhile show message boxes that a later step answers.
        ::PostMessageW(control, BM_CLICK, 0, 0);
    }

    void AwaitText(const std::wstring& pattern, unsigned seconds) {
        const bool shown = Await(seconds, [&] { return ShowingText(pattern) != nullptr; });
        if (!shown) throw StepFailed(L"no control shows \u201e" + pattern + L"\u201c");
    }

    HWND ShowingText(const std::wstring& pattern) const {
        for (HWND control : Descendants(Current())) {
            if (::IsWindowVisible(control) && Matches(TextOf(control), pattern)) return control;
        }
        return nullptr;
    }

    void AwaitChange(const std::wstring& pattern, unsigned seconds) {
        HWND control = ShowingText(pattern);
        if (!control) throw StepFailed(L"no control shows \u201e" + pattern + L"\u201c");
        const std::wstring before = TextOf(control);
        const bool changed = Await(seconds, [&] { return TextOf(control) != before; });
        if (!changed) throw StepFailed(L"\u201e" + before + L"\u201c did not change");
    }

    void CheckEnabled(const std::wstring& caption, bool enabled) {
        HWND control = Await(10, [&] { return FindControl(caption); });
        if (!control) throw StepFailed(L"no control \u201e" + caption + L"\u201c");
        if ((::IsWindowEnabled(control) != FALSE) != enabled) {
            throw StepFailed(L"\u201e" + caption + (enabled ? L"\u201c is disabled"
                                                            : L"\u201c is enabled"));
        }
    }

    static std::wstring MessageText(HWND box) {
        std::wstring longest;
        for (HWND control : Descendants(box)) {
            if (ClassOf(control) != L"Static") continue;
            const std::wstring text = TextOf(control);
            if (text.size() > longest.size()) longest = text;
        }
        return longest;
    }

    void Answer(const std::wstring& title, const std::wstring& button, const std::wstring& pattern,
                unsigned seconds) {
        HWND box = Await(seconds, [&]() -> HWND {
            const auto found =
                TopLevelWindows([&](HWND w) { return IsMessageBox(w) && TextOf(w) == title; });
            return found.empty() ? nullptr : found.front();
        });
        if (!box) throw StepFailed(L"no message box \u201e" + title + L"\u201c appeared");
        // The box's text is set a moment after its window appears.
        std::wstring text;
        Await(5, [&] {
            text = MessageText(box);
            return !text.empty();
        });
        Say(L"message box \u201e" + title + L"\u201c: " + text);
        if (!Matches(text, pattern)) {
            throw StepFailed(L"the message box says \u201e" + text + L"\u201c, not \u201e" +
                             pattern + L"\u201c");
        }
        const int id = button == L"yes" ? IDYES : button == L"no" ? IDNO : IDOK;
        HWND item = ::GetDlgItem(box, id);
        if (!item) throw StepFailed(L"the message box has no button " + button);
        ::PostMessageW(item, BM_CLICK, 0, 0);
        const bool closed = Await(seconds, [&] { return !::IsWindow(box) || !::IsWindowVisible(box); });
        if (!closed) throw StepFailed(L"the message box \u201e" + title + L"\u201c stayed open");
    }

    void CloseWindow() { ::PostMessageW(Current(), WM_SYSCOMMAND, SC_CLOSE, 0); }

    void AwaitGone(const std::wstring& title, unsigned seconds) {
        const bool gone = Await(seconds, [&] {
            return TopLevelWindows([&](HWND w) { return TextOf(w) == title; }).empty();
        });
        if (!gone) throw StepFailed(L"the window \u201e" + title + L"\u201c is still open");
    }

    void Shot(const std::wstring& name) {
        // Let the wizard finish painting what the last step changed.
        ::Sleep(700);
        RECT frame;
        ::GetWindowRect(Current(), &frame);
        WriteBmp(shots_ + L"\\" + name + L".bmp", frame);
    }

    std::wstring shots_;
    HWND current_ = nullptr;
};

int PrintLink(const std::wstring& path) {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    int status = 1;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = {};
        wchar_t arguments[2048] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetArguments(arguments, 2048);
        std::printf("%s\n%s\n", Narrow(target).c_str(), Narrow(arguments).c_str());
        status = 0;
    }
    if (file) file->Release();
    if (link) link->Release();
    ::CoUninitialize();
    return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"--link") return PrintLink(argv[2]);
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelbar_driver ROAD SHOTS | zelbar_driver --link LNK\n");
        return 2;
    }
    Driver driver(argv[2]);
    try {
        for (const auto& step : ReadRoad(argv[1])) {
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
