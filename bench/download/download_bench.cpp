// Downloads a large file and then a slow one with Web::DownloadFile over the
// real WinINet transfer control, in a visible window whose progress picture
// and size line are updated on every StateChanged exactly as page 2 updates
// its own. Prints the throughput, the peak working set, the longest gap
// between the ticks of a 10 ms timer during the large download, and the CPU
// time our process and the wineserver spend while the slow one waits on the
// network (the median of three drips), and while a paced one arrives at a fixed rate (100 Mbit/s in
// bench/download/run). bench/download/run starts the server, times curl and
// runs this.
//
//   download_bench.exe <server address> <large path> <slow path> [<paced path>]
//
// The paths are the server's download paths (/file/<n>/<name>,
// /drip/<n>/<rate>/<name>); their sizes come from its size query, as page 2
// asks for them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "AssetIds.h"
#include "download/InstallNames.h"
#include "net/Datei.h"
#include "net/TransferControl_win.h"
#include "net/Web.h"
#include "platform/FileSystem_win.h"
#include "platform/PlatformError.h"
#include "ui/Ui_win.h"
#include "ui/Window_win.h"
#include "widgets/ImageProgressBar_win.h"

#include <psapi.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kMiB = 1024.0 * 1024.0;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerPeriodMs = 10;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The size line and the progress picture of page 2, at page 2's places.
const ControlSpec kLabelFilename{ControlKind::Label, L"big.bin", {360, 2280, 6375, 255}};
const ControlSpec kLabelFilesize{ControlKind::Label, nullptr, {360, 2580, 6375, 255}};
const ControlSpec kBgImage{ControlKind::Image, nullptr, {360, 1800, 3090, 360}, 0, false};

class BenchWindow : public Window {
public:
    explicit BenchWindow(Ui& ui)
        : Window(TopLevelFrame{L"Download-Messung", 7095, 3255,
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX}) {
        ArrangeLayout();
        bgImage_.SetPicture(LoadPictureResource(IDB_PROGRESS_BG));
        bar_ = std::make_unique<ImageProgressBar>(hwnd(), TwipsRect{360, 1800, 3090, 360}, ui);
        AddChildWindow(bar_.get());
        bar_->BgImage(bgImage_);
        ::ShowWindow(hwnd(), SW_SHOW);
        ::UpdateWindow(hwnd());
    }

    ImageProgressBar& bar() { return *bar_; }
    Label& sizeLabel() { return sizeLabel_; }

    void StartTimer() {
        longestGapMs_ = 0;
        ticks_ = 0;
        lastTick_ = Clock::now();
        ::SetTimer(hwnd(), kTimerId, kTimerPeriodMs, nullptr);
    }
    void StopTimer() { ::KillTimer(hwnd(), kTimerId); }
    double longestGapMs() const { return longestGapMs_; }
    unsigned ticks() const { return ticks_; }

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (msg != WM_TIMER || wParam != kTimerId) return false;
        const auto now = Clock::now();
        const double gap = std::chrono::duration<double, std::milli>(now - lastTick_).count();
        if (gap > longestGapMs_) longestGapMs_ = gap;
        lastTick_ = now;
        ++ticks_;
        result = 0;
        return true;
    }

private:
    Label& nameLabel_ = Add<Label>(kLabelFilename);
    Label& sizeLabel_ = Add<Label>(kLabelFilesize);
    Picture& bgImage_ = Add<Picture>(kBgImage);
    std::unique_ptr<ImageProgressBar> bar_;
    Clock::time_point lastTick_;
    double longestGapMs_ = 0;
    unsigned ticks_ = 0;
};

std::uint64_t FileTimeUnits(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// User and kernel time of our process, all threads, in seconds.
double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    return static_cast<double>(FileTimeUnits(kernel) + FileTimeUnits(user)) / 1e7;
}

double PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / kMiB;
}

// A Linux /proc file read through Wine's Z: drive; empty when it cannot be read.
std::string ReadProcFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    // /proc files announce no length; they end where a read returns nothing.
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    ::CloseHandle(file);
    return text;
}

// The Linux process id of the wineserver that serves our prefix: the one whose
// environment names the same WINEPREFIX. 0 when none is found.
unsigned long FindWineserver() {
    wchar_t prefix[1024] = {};
    if (::GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024) == 0) return 0;
    std::string wanted = "WINEPREFIX=";
    for (const wchar_t* p = prefix; *p != 0; ++p) wanted += static_cast<char>(*p);
    wanted += '\0';

    WIN32_FIND_DATAW entry;
    HANDLE search = ::FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    unsigned long found = 0;
    do {
        const std::wstring name = entry.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        const std::wstring folder = L"Z:\\proc\\" + name + L"\\";
        // Debian's is "wineserver64".
        if (ReadProcFile(folder + L"comm").rfind("wineserver", 0) != 0) continue;
        if (ReadProcFile(folder + L"environ").find(wanted) == std::string::npos) continue;
        found = std::wcstoul(name.c_str(), nullptr, 10);
    } while (found == 0 && ::FindNextFileW(search, &entry));
    ::FindClose(search);
    return found;
}

// utime + stime of a Linux process in seconds (fields 14 and 15 of its stat,
// counted after the command name, which may hold blanks), or -1.
double LinuxCpuSeconds(unsigned long pid) {
    if (pid == 0) return -1;
    const std::string stat = ReadProcFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    unsigned long long utime = 0, stime = 0;
    // Fields from the state (3rd) on: state ppid pgrp session tty tpgid flags
    // minflt cminflt majflt cmajflt utime stime.
    if (std::sscanf(stat.c_str() + close + 1,
                    " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime,
                    &stime) != 2) {
        return -1;
    }
    // USER_HZ is 100 on every Linux this runs on.
    return static_cast<double>(utime + stime) / 100.0;
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; *text != 0; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return wide;
}

struct Outcome {
    bool ok = false;
    std::int64_t bytes = 0;
    unsigned events = 0;
    double seconds = 0;
    // Of those, the time spent in the progress display and its yields.
    double displaySeconds = 0;
};

class Bench {
public:
    Bench(const std::wstring& server, const std::wstring& folder)
        : server_(server), folder_(folder), window_(ui_), web_(ui_, fs_) {
        web_.Inet(control_);
        web_.StateChanged = [this](Datei& oDatei) { StateChanged(oDatei); };
        decimalSeparator_ = ui_.DecimalSeparator();
    }

    BenchWindow& window() { return window_; }

    // Asks for the size as page 2 does, then downloads with the page's
    // progress display; the file is removed again afterwards.
    Outcome Download(const std::wstring& path) {
        Datei oDatei(fs_);
        oDatei.url(server_ + path);
        oDatei.FolderLokal(folder_);
        if (!web_.GetFilesize(server_ + L"/size", oDatei) || oDatei.GetFilesizeInBytes() <= 0) {
            throw std::runtime_error("the size query failed");
        }
        window_.sizeLabel().SetCaption(L"");
        window_.bar().value(0);
        events_ = 0;
        displaySeconds_ = 0;
        Outcome outcome;
        const auto start = Clock::now();
        outcome.ok = web_.DownloadFile(oDatei);
        outcome.seconds = SecondsSince(start);
        outcome.bytes = oDatei.GetAktFilesizeInBytes();
        outcome.events = events_;
        outcome.displaySeconds = displaySeconds_;
        if (fs_.FileExists(oDatei.PfadLokal())) fs_.DeleteFile(oDatei.PfadLokal(), true);
        return outcome;
    }

private:
    // What page 2 does on every StateChanged (DownloadProgram::oWeb_StateChanged).
    void StateChanged(Datei& oDatei) {
        const auto start = Clock::now();
        ++events_;
        window_.bar().value(InstallNames::ProgressValue(oDatei.GetProgress()));
        window_.sizeLabel().SetCaption(
            InstallNames::SizeLine(oDatei.GetFormattedAktFilesize(decimalSeparator_),
                                   oDatei.GetFormattedFilesize(decimalSeparator_)));
        displaySeconds_ += SecondsSince(start);
    }

    std::wstring server_;
    std::wstring folder_;
    WinUi ui_;
    WinFileSystem fs_;
    BenchWindow window_;
    WinInetTransferControl control_;
    Web web_;
    std::wstring decimalSeparator_;
    unsigned events_ = 0;
    double displaySeconds_ = 0;
};

std::wstring BenchFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, temp) == 0) throw std::runtime_error("no temporary folder");
    const std::wstring folder = std::wstring(temp) + L"zelbar-download-bench\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

struct CpuShare {
    bool ok = true;
    double percent = 0;
    double mibs = 0;
};

// Downloads the path and returns the CPU time our process and the wineserver
// spent on it, as a share of one core over the download's duration.
CpuShare MeasureCpu(Bench& bench, const std::wstring& path, unsigned long wineserver,
                    const char* name) {
    const double serverBefore = LinuxCpuSeconds(wineserver);
    const double oursBefore = ProcessCpuSeconds();
    const Outcome outcome = bench.Download(path);
    const double oursCpu = ProcessCpuSeconds() - oursBefore;
    const double serverAfter = LinuxCpuSeconds(wineserver);
    const double serverCpu = serverBefore >= 0 && serverAfter >= 0 ? serverAfter - serverBefore : 0;
    std::printf(
        "%s: %s, %lld bytes in %.2f s (progress display %.2f s), %u StateChanged, "
        "CPU ours %.3f s, wineserver %.3f s%s\n",
        name, outcome.ok ? "complete" : "FAILED", static_cast<long long>(outcome.bytes),
        outcome.seconds, outcome.displaySeconds, outcome.events, oursCpu, serverCpu,
        wineserver == 0 || serverBefore < 0 ? " (wineserver not found)" : "");
    CpuShare share;
    share.ok = outcome.ok;
    share.percent = (oursCpu + serverCpu) / outcome.seconds * 100.0;
    share.mibs = static_cast<double>(outcome.bytes) / kMiB / outcome.seconds;
    return share;
}

int Run(const std::wstring& server, const std::wstring& largePath, const std::wstring& slowPath,
        const std::wstring& pacedPath) {
    const std::wstring folder = BenchFolder();
    Bench bench(server, folder);

    bench.window().StartTimer();
    const Outcome large = bench.Download(largePath);
    bench.window().StopTimer();
    const double oursMibs = static_cast<double>(large.bytes) / kMiB / large.seconds;
    std::printf(
        "large: %s, %lld bytes in %.2f s (progress display %.2f s), %u StateChanged, "
        "%u timer ticks, longest gap %.1f ms\n",
        large.ok ? "complete" : "FAILED", static_cast<long long>(large.bytes), large.seconds,
        large.displaySeconds, large.events, bench.window().ticks(), bench.window().longestGapMs());

    const unsigned long wineserver = FindWineserver();
    // One drip's share varies by half between runs on a virtual machine; the
    // median of three is what a repeated run reproduces.
    std::vector<CpuShare> drips;
    for (int i = 0; i < 3; ++i) drips.push_back(MeasureCpu(bench, slowPath, wineserver, "slow"));
    std::sort(drips.begin(), drips.end(),
              [](const CpuShare& a, const CpuShare& b) { return a.percent < b.percent; });
    CpuShare slow = drips[1];
    for (const CpuShare& drip : drips) slow.ok = slow.ok && drip.ok;
    CpuShare paced;
    if (!pacedPath.empty()) paced = MeasureCpu(bench, pacedPath, wineserver, "paced");
    ::RemoveDirectoryW(folder.c_str());

    const double peak = PeakWorkingSetMiB();
    std::printf("ours: ours_mibs=%.1f peak_rss_mib=%.1f ui_gap_ms=%.1f idle_cpu_pct=%.1f", oursMibs,
                peak, bench.window().longestGapMs(), slow.percent);
    if (!pacedPath.empty()) {
        std::printf(" paced_mibs=%.1f paced_cpu_pct=%.1f", paced.mibs, paced.percent);
    }
    std::printf("\n");
    std::fflush(stdout);
    return large.ok && slow.ok && (pacedPath.empty() || paced.ok) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr,
                     "usage: download_bench <server address> <large path> <slow path> "
                     "[<paced path>]\n");
        return 2;
    }
    try {
        return Run(Widen(argv[1]), Widen(argv[2]), Widen(argv[3]),
                   argc == 5 ? Widen(argv[4]) : std::wstring());
    } catch (const PlatformError& error) {
        std::fwprintf(stderr, L"download_bench: %ls\n", error.message().c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "download_bench: %s\n", error.what());
    }
    return 1;
}
