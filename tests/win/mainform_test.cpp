// The wizard window under Wine with scripted message boxes and pages that record what it asks of
// them, and what only real windows show: page 1's measured messages with their link labels,
// "Abbrechen" during a real transfer, the folder chooser on the prefix's drives and folders.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

#include "app/MainForm_win.h"
#include "download/UserControlDownloadProgram_win.h"
#include "finish/UserControlShortcuts_win.h"
#include "folderchooser/OrdnerAuswahlDialog_win.h"
#include "net/TransferControl_win.h"
#include "platform/ArchiveTrust_win.h"
#include "platform/FileSystem_win.h"
#include "platform/OsInfo_win.h"
#include "platform/Shell_win.h"
#include "support/HttpTestServer.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"
#include "syscheck/UserControlStartPage_win.h"
#include "ui/MessageLoop_win.h"
#include "widgets/ColorContrast.h"

// After the program's own headers, which tame the system headers' macros.
#include <commctrl.h>
#include <oleacc.h>

namespace {
using namespace wintest;

const wchar_t kQuestion[] = L"Möchten Sie Zelbar-Setup wirklich beenden?";
const wchar_t kNotice[] = L"Bitte starten Sie Zelbar beim 1. Mal unbedingt als Administrator:";
const char kUsableIni[] = "[GetFileSize]\r\nURL=http://127.0.0.1/size.php\r\n";

// Page slots with a page's contract and nothing on them; pages 2 and 3 count the cancels.
template <class Page>
struct BlankPage : Window, Page {
    BlankPage(HWND parent, const TwipsRect& rect, bool visible = false)
        : Window(ChildFrame{parent, rect, visible}) {}
    bool Visible() const override { return Window::Visible(); }
    void SetVisible(bool visible) override { Window::SetVisible(visible); }
};

struct RecordingDownloadPage : BlankPage<DownloadPage> {
    using BlankPage::BlankPage;
    bool Cancel() override {
        ++cancels;
        if (throws) throw PlatformError(5, L"Zugriff verweigert");
        return stillBusy;
    }
    int cancels = 0;
    bool stillBusy = false, throws = false;
};

struct RecordingFinishPage : BlankPage<FinishPage> {
    using BlankPage::BlankPage;
    void Fertigstellen() override {}
    void Cancel() override { ++cancels; }
    int cancels = 0;
};

// Access 2003 as Office registers it, or no Access at all. The version detection reads fixed
// names: every Access.Application key goes before and after, as the prefix outlives a failed run.
struct AccessRegistration {
    explicit AccessRegistration(bool access2003) {
        Clean();
        if (!access2003) return;
        RegAdd(L"Access.Application.11", L"", L"Microsoft Access-Datenbank");
        RegAdd(L"Access.Application.11\\shell\\open\\command", L"",
               L"\"" + FixtureExe(L"fixture_access") + L"\" /NOSTARTUP \"%1\"");
    }
    ~AccessRegistration() { Clean(); }
    static void Clean() {
        for (int n = 0; n <= 40; ++n) {
            const std::wstring key = L"Access.Application" + (n ? L"." + Text::FromInt(n) : L"");
            ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
        }
    }
};

// What the screen shows in a rectangle, once the window has painted.
std::vector<COLORREF> Pixels(HWND window, const RECT& r) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPendingMessages();
    HDC screen = ::GetDC(nullptr);
    std::vector<COLORREF> pixels;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) pixels.push_back(::GetPixel(screen, x, y));
    }
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// The link label lies over its word: it looks like a link, it is the window under its middle,
// and drawn plain it shows exactly what the message label shows beneath it.
void ExpectLinkOverWord(HWND page, const Label& message, Label& link) {
    SCOPED_TRACE(Narrow(link.Caption()));
    ASSERT_TRUE(link.Visible());
    EXPECT_TRUE(link.Font().underline);
    EXPECT_GE(ColorContrast::Ratio(link.ForeColor(), ::GetSysColor(COLOR_BTNFACE)), 4.5);
    RECT r;
    ::GetWindowRect(link.hwnd(), &r);
    POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ScreenToClient(page, &middle);
    EXPECT_EQ(::ChildWindowFromPointEx(page, middle, CWP_SKIPINVISIBLE), link.hwnd());

    const HWND window = ::GetAncestor(page, GA_ROOT);
    link.SetVisible(false);
    const std::vector<COLORREF> beneath = Pixels(window, r);
    link.SetFont(message.Font());
    link.SetForeColor(kDefaultColor);
    link.SetVisible(true);
    EXPECT_TRUE(Pixels(window, r) == beneath) << "the link label does not lie over its word";
}

// Where the keyboard's focus is, as the system reports it to other programs.
HWND Focus() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetCurrentThreadId(), &info);
    return info.hwndFocus;
}

// A key pressed and let go, queued to the focus as the keyboard queues it (Alt held: the
// system-key messages), then handled by the program's message loop.
void Key(WORD key, bool alt = false) {
    HWND target = ::GetFocus() ? ::GetFocus() : ::GetActiveWindow();
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM context = alt ? (1 << 29) : 0;
    ::PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1 | scan | context);
    ::PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, 1 | scan | context | 0xC0000000);
    PumpPendingMessages();
}

// A window as a screen reader reads it: its name and state.
struct Accessible {
    std::wstring name;
    long state = 0;
};
Accessible Read(HWND window) {
    Accessible read;
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                            IID_IAccessible, reinterpret_cast<void**>(&object)))) {
        return read;
    }
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) read.name = name;
    ::SysFreeString(name);
    VARIANT state;
    ::VariantInit(&state);
    if (object->get_accState(self, &state) == S_OK && state.vt == VT_I4) read.state = state.lVal;
    object->Release();
    return read;
}

bool Defaulted(const Control& button) {
    return (::GetWindowLongW(button.hwnd(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// The system colours of a test, put back as they were at its end.
class SystemColors {
public:
    SystemColors(std::vector<int> indexes, std::vector<COLORREF> colors) : indexes_(indexes) {
        for (int index : indexes) saved_.push_back(::GetSysColor(index));
        Set(colors);
    }
    ~SystemColors() { Set(saved_); }

private:
    void Set(const std::vector<COLORREF>& colors) {
        ::SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), colors.data());
        PumpPendingMessages();
    }
    std::vector<int> indexes_;
    std::vector<COLORREF> saved_;
};

struct Placement {
    RECT rect;        // in the parent's client area
    LONG fontHeight;  // 0: no font of its own
    bool comboBox;
};

std::map<HWND, Placement> Layout(HWND top) {
    std::map<HWND, Placement> layout;
    const WNDENUMPROC note = [](HWND child, LPARAM param) -> BOOL {
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        LOGFONTW font{};
        if (auto f = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)))
            ::GetObjectW(f, sizeof font, &font);
        wchar_t kind[16] = {};
        ::GetClassNameW(child, kind, 16);
        (*reinterpret_cast<std::map<HWND, Placement>*>(param))[child] = {
            r, std::abs(font.lfHeight), _wcsicmp(kind, L"ComboBox") == 0};
        return TRUE;
    };
    ::EnumChildWindows(top, note, reinterpret_cast<LPARAM>(&layout));
    return layout;
}

// Tells the window that it now stands on a screen of 144 dpi, as Windows does, and expects
// every control at one and a half times its place and font size, give or take the pixels
// two roundings may cost.
void ExpectRelaidAt144Dpi(HWND top) {
    const auto before = Layout(top);
    ASSERT_GE(before.size(), 5u);  // the chooser has five
    RECT r;
    ::GetWindowRect(top, &r);
    RECT suggested{r.left, r.top, r.left + (r.right - r.left) * 3 / 2,
                   r.top + (r.bottom - r.top) * 3 / 2};
    ::SendMessageW(top, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    const auto after = Layout(top);
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [hwnd, was] : before) {
        SCOPED_TRACE(Narrow(L"control \u201e" + WindowText(hwnd) + L"\u201c"));
        const Placement& now = after.at(hwnd);
        EXPECT_NEAR(now.rect.left, was.rect.left * 1.5, 1);
        EXPECT_NEAR(now.rect.top, was.rect.top * 1.5, 1);
        EXPECT_NEAR(now.rect.right, was.rect.right * 1.5, 2);
        // The system makes a combo box's field as high as its font, with margins that stay.
        EXPECT_NEAR(now.rect.bottom, was.rect.bottom * 1.5, was.comboBox ? 4 : 2);
        EXPECT_NEAR(now.fontHeight, was.fontHeight * 1.5, 1);
    }
}

// The real file system on a drive with as much room as a test orders.
struct OrderedRoom : WinFileSystem {
    std::optional<std::int64_t> freeSpace;
    std::int64_t FreeSpace(const std::wstring& folder) override {
        return freeSpace ? *freeSpace : WinFileSystem::FreeSpace(folder);
    }
};

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest() {
        ui_.startFolder = temp_.path();
        WriteBytes(temp_ / L"settings.ini", kUsableIni);
        Window::SetErrorReporter([this](HWND, const std::wstring& e) { errors_.push_back(e); });
    }
    ~MainFormTest() override {
        dialog_.reset();
        form_.reset();
        Window::SetErrorReporter(nullptr);
    }

    // A fresh window, loaded and walked on to `page` (0: as loading left it), each page leaving
    // "Weiter" disabled until done; earlier messages and errors are forgotten. `realPage` puts a
    // real page in its place; the others are blank or recording ones.
    MainForm& FormOnPage(int page, std::function<void(MainForm&, WizardPages&)> realPage = {}) {
        form_.reset();
        ui_.messages.clear();
        errors_.clear();
        form_ = std::make_unique<MainForm>(platform_, [&](MainForm& form) {
            download_ = new RecordingDownloadPage(form.hwnd(), MainForm::kDownloadPageRect);
            finish_ = new RecordingFinishPage(form.hwnd(), MainForm::kFinishPageRect);
            WizardPages pages{std::make_unique<BlankPage<WizardPage>>(
                                  form.hwnd(), MainForm::kStartPageRect, true),
                              std::unique_ptr<DownloadPage>(download_),
                              std::unique_ptr<FinishPage>(finish_)};
            if (realPage) realPage(form, pages);
            return pages;
        });
        form_->SetQuitOnClose(false);
        form_->Load();
        form_->Show();
        for (int i = 1; i < page; ++i) {
            EXPECT_FALSE(::IsWindowEnabled(form_->buttonWeiter.hwnd()));
            form_->EnableButtonWeiter();
            Press(form_->buttonWeiter);
        }
        return *form_;
    }
    void Press(const Control& control) {
        ::SendMessageW(control.hwnd(), BM_CLICK, 0, 0);
        PumpPendingMessages();
    }
    // `count` message boxes so far; box i began with `start`, with this style and title.
    void ExpectShown(std::size_t count, std::size_t i, const std::wstring& start, unsigned style,
                     const std::wstring& title = L"Setup beenden") {
        ASSERT_EQ(ui_.messages.size(), count);
        EXPECT_EQ(ui_.messages[i].text.rfind(start, 0), 0u) << Narrow(ui_.messages[i].text);
        EXPECT_EQ(ui_.messages[i].style, style);
        EXPECT_EQ(ui_.messages[i].title, title);
    }

    // The window on page 1 after "System prüfen", with an operating-system section for the
    // version WMI reports and one for the fixture Access; its long lines wrap.
    void WriteCheckSettings() {
        const std::wstring longText =
            L"Ihr System wird von Zelbar unterstützt, sofern alle aktuellen Updates installiert "
            L"sind und genügend freier Speicherplatz auf dem Systemlaufwerk vorhanden ist.";
        WriteBytes(temp_ / L"settings.ini",
                   Text::EncodeCp1252(
                       L"[GetFileSize]\r\nURL=http://127.0.0.1/size.php\r\n"
                       L"[SupportedAccessVersions]\r\nAccess.Application.11=Access 2003\r\n"
                       L"[osVer_" +
                       os_.OperatingSystemVersion() + L"]\r\nMeldung=" + longText +
                       L"\r\nIcon=OK\r\nLinkInfo=Hinweise finden Sie <a "
                       L"href#EQUAL#http://127.0.0.1/os>hier</a>.\r\nLinkSP=\r\n"
                       L"[accessVer_11.0.6566.0]\r\nMeldung=MS-Access 2003 wird von Zelbar "
                       L"unterstützt.\r\nIcon=Warning\r\nLinkInfo=\r\nLinkSP=" +
                       longText + L" Anleitung <a href#EQUAL#http://127.0.0.1/sp>hier</a> lesen."));
    }
    UserControlStartPage& CheckedStartPage() {
        WriteCheckSettings();
        auto& page = static_cast<UserControlStartPage&>(RealForm(1).startPage());
        Press(page.buttonPruefen);
        EXPECT_FALSE(::IsWindowEnabled(page.buttonPruefen.hwnd()));
        EXPECT_TRUE(ui_.messages.empty() && errors_.empty());
        return page;
    }
    // The folder chooser over the window, which holds `zelbarPath`.
    OrdnerAuswahlDialog& Chooser(const std::wstring& zelbarPath) {
        FormOnPage(0).SetZelbarPath(zelbarPath);
        dialog_ = std::make_unique<OrdnerAuswahlDialog>(*form_, platform_);
        return *dialog_;
    }
    // A user's action on a control of the chooser: at once, or queued for its modal loop.
    void Notify(const Control& control, WORD code, bool queued = false) {
        const WPARAM w = MAKEWPARAM(control.id(), code);
        const LPARAM l = reinterpret_cast<LPARAM>(control.hwnd());
        queued ? void(::PostMessageW(dialog_->hwnd(), WM_COMMAND, w, l))
               : void(::SendMessageW(dialog_->hwnd(), WM_COMMAND, w, l));
    }
    // Shows the chooser modally after queueing a click on `button` (if any).
    void ShowModal(Button* button) {
        if (button) Notify(*button, BN_CLICKED, true);
        HangGuard guard("the folder chooser's modal loop");
        dialog_->ShowModal(form_->hwnd());
        EXPECT_TRUE(::IsWindowEnabled(form_->hwnd()));
    }
    // The window with every page real, as the wizard makes them, walked on to `page`.
    MainForm& RealForm(int page) {
        return FormOnPage(page, [&](MainForm& f, WizardPages& pages) {
            pages.startPage = std::make_unique<UserControlStartPage>(
                f.hwnd(), MainForm::kStartPageRect, f, f.platform());
            pages.downloadPage = std::make_unique<UserControlDownloadProgram>(
                f.hwnd(), MainForm::kDownloadPageRect, f, f.platform(), oInet_);
            pages.finishPage = std::make_unique<UserControlShortcuts>(
                f.hwnd(), MainForm::kFinishPageRect, f, f.platform());
        });
    }
    // The captions Tab visits as the user presses it, from `from` until it comes back there.
    static std::vector<std::wstring> TabCycle(const Control& from) {
        std::vector<std::wstring> visited;
        HWND focus = from.hwnd();
        ::SetFocus(focus);
        do {
            visited.push_back(Text::ReplaceAll(WindowText(focus), L"&", L""));
            ::PostMessageW(focus, WM_KEYDOWN, VK_TAB, 0);
            PumpPendingMessages();
            focus = ::GetFocus();
        } while (focus != from.hwnd() && visited.size() < 10);
        return visited;
    }
    // Page 2 real, in `folder`, with the archive at `path` of the test server; the other pages
    // blank. The clock says when the temporary folder was made.
    UserControlDownloadProgram* RealDownloadPage(const std::wstring& path,
                                                 const std::wstring& folder) {
        server_.emplace();
        WriteBytes(temp_ / L"settings.ini",
                   Narrow(L"[SupportedAccessVersions]\r\nAccess.Application.11=Access 2003\r\n\r\n"
                          L"[GetFileSize]\r\nURL=" +
                          server_->Url(L"/size") + L"\r\n\r\n[ProgramFile]\r\nURL=" +
                          server_->Url(path) + L"/ZelbarSetup11.exe\r\n"));
        UserControlDownloadProgram* page = nullptr;
        FormOnPage(2, [&](MainForm& f, WizardPages& pages) {
            auto real = std::make_unique<UserControlDownloadProgram>(
                f.hwnd(), MainForm::kDownloadPageRect, f, f.platform(), oInet_);
            page = real.get();
            page->SetLabelPfad(folder);
            pages.downloadPage = std::move(real);
        });
        ui_.now = {2026, 12, 5, 10, 9, 20};
        return page;
    }
    // A click on a link label, as the mouse gives it.
    static void Click(const Label& link) {
        ::SendMessageW(link.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageW(link.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        PumpPendingMessages();
    }

    TempFolder temp_;
    std::optional<HttpTestServer> server_;
    PumpingFakeUi ui_;
    OrderedRoom files_;
    WinShell shell_;
    WmiOsInfo os_;
    WinArchiveTrust trust_{L""};
    Platform platform_{files_, shell_, os_, ui_, trust_};
    WinInetTransferControl oInet_;
    std::unique_ptr<MainForm> form_;
    std::unique_ptr<OrdnerAuswahlDialog> dialog_;
    RecordingDownloadPage* download_ = nullptr;
    RecordingFinishPage* finish_ = nullptr;
    std::vector<std::wstring> errors_;
};

TEST_F(MainFormTest, UnusableSettingsFileIsReportedThenTheNoticeAndTheWindowCloses) {
    const std::wstring path = temp_ / L"settings.ini";
    const std::pair<const char*, const wchar_t*> cases[] = {
        {nullptr, L"Die ini-Datei wurde nicht gefunden!"},
        {"[GetFileSize]\r\nURL=ftp://127.0.0.1/size.php\r\n",
         L"Die ini-Datei wurde verändert und kann nicht mehr gelesen werden."},
        {kUsableIni, L"Die ini-Datei kann nicht geöffnet werden."},
    };
    for (const auto& [ini, message] : cases) {
        SCOPED_TRACE(message);
        ::DeleteFileW(path.c_str());
        if (ini) WriteBytes(path, ini);
        const UniqueFileHandle lock(
            ini != kUsableIni
                ? INVALID_HANDLE_VALUE
                : ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(FormOnPage(0).Closed());
        ExpectShown(2, 0, message, 16, L"Zelbar Setup");
        ExpectShown(2, 1, kNotice, 64);
    }
}

TEST_F(MainFormTest, ClosingAsksFirstThenLetsTheVisiblePageCleanUp) {
    // "Ja" lets the visible page clean up; a download still stopping or a failed cleanup waits.
    const struct {
        int page;
        bool viaFrame, yes, downloadBusy, cancelThrows;
    } cases[] = {
        {1, true, true, false, false}, {2, true, false, false, false},
        {2, false, true, true, false}, {2, false, true, false, true},
        {3, true, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << (&c - cases));
        MainForm& form = FormOnPage(c.page);
        download_->stillBusy = c.downloadBusy;
        download_->throws = c.cancelThrows;
        ui_.msgBoxAnswers = {c.yes ? MsgBoxResult::Yes : MsgBoxResult::No};
        c.viaFrame ? void(::SendMessageW(form.hwnd(), WM_CLOSE, 0, 0))
                   : Press(form.buttonAbbrechen);
        EXPECT_EQ(form.Closed(), c.yes && !c.downloadBusy && !c.cancelThrows);
        EXPECT_EQ(download_->cancels, c.yes && c.page == 2 ? 1 : 0);
        EXPECT_EQ(finish_->cancels, c.yes && c.page == 3 ? 1 : 0);
        EXPECT_EQ(errors_.size(), c.cancelThrows ? 1u : 0u);
        ExpectShown(1, 0, kQuestion, 36);
        if (c.downloadBusy) {
            // The stopped transfer closes the window itself, without a second question.
            form.CloseWithoutPrompt();
            EXPECT_TRUE(form.Closed());
            ExpectShown(2, 1, kNotice, 64);
        }
    }
}

// The recorded folder going is the e2e road's; none recorded must not take the user's data.
TEST_F(MainFormTest, DeleteTempFolderWithoutARecordedFolderLeavesTheInstallationFolder) {
    const std::wstring zelbar = temp_ / L"Zelbar\\";
    std::filesystem::create_directories(zelbar + L"temp_1");
    MainForm& form = FormOnPage(0);
    form.SetZelbarPath(zelbar);
    form.DeleteTempFolder();
    EXPECT_TRUE(PathExists(zelbar + L"temp_1"));
}

TEST_F(MainFormTest, FolderChooserListsTheRealFoldersAndNewFolderAndOkTakeTheHighlightedOne) {
    for (const wchar_t* name : {L"Alpha", L"beta", L"beta\\Gamma"}) {
        ::CreateDirectoryW((temp_ / name).c_str(), nullptr);
    }
    FolderList& list = Chooser(temp_.path() + L"\\").Dir1();
    EXPECT_EQ(list.List(-3), L"C:\\");
    ASSERT_EQ(list.ListCount(), 2);
    EXPECT_EQ(list.List(0), temp_ / L"Alpha");
    list.SetListIndex(1);
    Notify(list.control(), LBN_DBLCLK);
    ui_.inputBoxAnswers = {L"fehlt\\tiefer", L"Neu"};
    Notify(dialog_->buttonNeuerOrdner, BN_CLICKED);  // cannot be made: its parent is missing
    list.SetListIndex(0);                            // Gamma, below beta
    Notify(dialog_->buttonNeuerOrdner, BN_CLICKED);  // made below Gamma, and opened
    Notify(dialog_->buttonNeuerOrdner, BN_CLICKED);  // cancelled
    ASSERT_EQ(ui_.inputRequests.size(), 3u);
    EXPECT_EQ(ui_.inputRequests[0].prompt, L"Neuen Ordner erstellen in: " + (temp_ / L"beta"));
    EXPECT_EQ(ui_.inputRequests[2].prompt,
              L"Neuen Ordner erstellen in: " + (temp_ / L"beta\\Gamma\\Neu"));
    EXPECT_FALSE(PathExists(temp_ / L"beta\\fehlt"));
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(dialog_->Tag(), temp_.path());  // navigation alone leaves Tag alone
    list.SetListIndex(-2);                    // Gamma, above Neu
    ShowModal(&dialog_->OKButton);
    EXPECT_EQ(dialog_->Tag(), temp_ / L"beta\\Gamma");
    EXPECT_TRUE(dialog_->hwnd() && !::IsWindowVisible(dialog_->hwnd()));  // hidden, not discarded
}

TEST_F(MainFormTest, FolderChooserOkRefusesLengthFirstThenTheRootAndClosingTheFrameDiscards) {
    Chooser(L"C:\\");
    form_->SetAccessPath(std::wstring(230, L'x'));
    Notify(dialog_->OKButton, BN_CLICKED);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, L"Bitte wählen Sie einen kürzeren Programmpfad!");
    EXPECT_EQ(ui_.messages[1].text,
              L"Bitte wählen Sie ein Verzeichnis in dem ausgewählten Laufwerk aus.");
    bool ownerDisabledMeanwhile = false;
    DialogAnswerer answer(OrdnerAuswahlDialog::kTitle, [&](HWND window) {
        ownerDisabledMeanwhile = !::IsWindowEnabled(form_->hwnd());
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    });
    ShowModal(nullptr);
    EXPECT_TRUE(answer.answered());
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_TRUE(dialog_->Discarded());
    EXPECT_EQ(dialog_->Tag(), L"C:\\");
}

TEST_F(MainFormTest, FolderChooserDriveNotReadyIsNamedAndAbbrechenHandsBackTheChosenDrivesFolder) {
    // Q: stands for a missing folder: listed, not ready, like a drive without its medium.
    struct NotReadyDrive {
        NotReadyDrive() { ::DefineDosDeviceW(0, L"Q:", L"C:\\ztest\\nicht-bereit"); }
        ~NotReadyDrive() { ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr); }
    } q;
    // The test runs in a folder of drive Z:, which is that drive's current folder.
    wchar_t current[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, current);
    Chooser(temp_.path() + L"\\");
    dialog_->Drive1().SetDrive(L"Q:");  // throws when the list lacks it
    Notify(dialog_->Drive1().control(), CBN_SELCHANGE);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, L"Legen Sie einen Datenträger in Laufwerk Q: ein.");
    EXPECT_EQ(dialog_->Drive1().Drive().substr(0, 2), L"c:");
    EXPECT_EQ(dialog_->Dir1().Path().substr(0, 3), L"C:\\");
    dialog_->Drive1().SetDrive(L"Z:");
    Notify(dialog_->Drive1().control(), CBN_SELCHANGE);
    ShowModal(&dialog_->CancelButton);
    EXPECT_EQ(dialog_->Drive1().Drive().substr(0, 2), L"z:");
    EXPECT_EQ(dialog_->Tag(), current);
    EXPECT_FALSE(dialog_->Discarded());
}

TEST_F(MainFormTest, StartPageShowsBothBlocksWrappedWithLinksOverTheirWordsAndTheWarning) {
    AccessRegistration access(true);
    UserControlStartPage& p = CheckedStartPage();
    EXPECT_TRUE(p.LabelOSMeldung.Font().bold);
    ExpectLinkOverWord(p.hwnd(), p.labelOSLinkInfo, p.LabelOSLinkInfoLink);
    // The SP line wraps, and its link lies on a later line.
    ExpectLinkOverWord(p.hwnd(), p.labelAccessLinkSP, p.labelAccessLinkSPLink);
    EXPECT_GT(p.labelAccessLinkSPLink.Top(), p.labelAccessLinkSP.Top());
    // A block's lines are indented, and the next block stands under its last line.
    EXPECT_EQ(p.labelOSLinkInfo.Left(), p.LabelOSMeldung.Left() + 100);
    EXPECT_EQ(p.labelOSLinkInfo.Top(), p.LabelOSMeldung.Top() + p.LabelOSMeldung.Height());
    EXPECT_EQ(p.LabelAccessMeldung.Top(), p.labelOSLinkInfo.Top() + p.labelOSLinkInfo.Height());
    EXPECT_EQ(p.labelAccessLinkSP.Top(),
              p.LabelAccessMeldung.Top() + p.LabelAccessMeldung.Height());
    EXPECT_TRUE(p.ImageStatusWarning.Visible() && !p.ImageStatusOK.Visible());
    Click(p.labelAccessLinkSPLink);
    EXPECT_EQ(ui_.openedUrls, std::vector<std::wstring>{L"http://127.0.0.1/sp"});
}

TEST_F(MainFormTest, StartPageWithoutAccessShowsTheErrorPictureAndTheMailLinkUnderTheHand) {
    AccessRegistration access(false);
    UserControlStartPage& p = CheckedStartPage();
    EXPECT_FALSE(p.LabelAccessMeldung.Font().bold);
    EXPECT_EQ(p.LabelAccessMeldung.Top(), p.ImageStatusError.Top());
    ExpectLinkOverWord(p.hwnd(), p.LabelAccessMeldung, p.LabelMailLink);
    EXPECT_TRUE(p.ImageStatusError.Visible() && !p.ImageStatusWarning.Visible());
    RECT picture;  // drawn at its own size
    ::GetWindowRect(p.ImageStatusError.hwnd(), &picture);
    EXPECT_EQ(picture.right - picture.left, p.ImageStatusError.PictureSize().cx);
    // A mouse move over a label asks its page for the cursor: the hand over the link only.
    for (const Label* label : {&p.LabelAccessMeldung, &p.LabelMailLink, &p.Label1}) {
        ::SendMessageW(label->hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label->hwnd()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
    EXPECT_EQ(ui_.handCursorCalls, 1);
    Click(p.LabelMailLink);
    EXPECT_EQ(ui_.openedUrls, std::vector<std::wstring>{L"mailto:bestellung@zelbar.de"});
}

TEST_F(MainFormTest, AbbrechenDuringARealTransferClosesOnceTheTransferHasStopped) {
    // 2 MB at 64 KB a second: the transfer is surely still running when we cancel.
    UserControlDownloadProgram* page = RealDownloadPage(L"/drip/2000000/65536", temp_.path());
    MainForm& form = *form_;
    bool asked = false;
    ui_.onDoEvents = [&] {
        if (asked || page->ProgressBar1().value() < 1) return;
        asked = true;
        ui_.msgBoxAnswers = {MsgBoxResult::Yes, MsgBoxResult::Ok};
        Press(form.buttonAbbrechen);
        EXPECT_FALSE(form.Closed());
    };
    Press(page->buttonDownload);
    ui_.onDoEvents = nullptr;

    EXPECT_TRUE(asked);
    EXPECT_TRUE(form.Closed());
    ExpectShown(2, 1, kNotice, 64);  // after the question
    EXPECT_FALSE(PathExists(temp_ / L"temp_2026_12_5-10920"));
    EXPECT_TRUE(errors_.empty());
}

// "Nicht genug Platz" sends the user to "Verzeichnis wechseln", which must work then. Leaving
// after another folder was chosen removes the folder the attempt made, not the folder of that
// name in the new place.
TEST_F(MainFormTest, NotEnoughSpaceLeavesTheFolderButtonAndLeavingTakesOnlyTheFolderMade) {
    files_.freeSpace = 1000000;
    const std::wstring small = temp_ / L"klein", other = temp_ / L"anders";
    ::CreateDirectoryW(small.c_str(), nullptr);
    UserControlDownloadProgram* page = RealDownloadPage(L"/file/2000000", small);
    MainForm& form = *form_;
    Press(page->buttonDownload);
    ExpectShown(1, 0, L"Auf dem Laufwerk des Installationsordners ist nicht genug Platz frei",
                MsgCritical, L"Zelbar Setup");
    EXPECT_TRUE(::IsWindowEnabled(page->buttonOrdnerAuswaehlen.hwnd()));
    EXPECT_TRUE(PathExists(small + L"\\temp_2026_12_5-10920"));

    // What the folder chooser hands back for another folder.
    page->SetLabelPfad(other);
    form.SetZelbarPath(other + L"\\");
    std::filesystem::create_directories(other + L"\\temp_2026_12_5-10920");
    WriteBytes(other + L"\\temp_2026_12_5-10920\\fremd.txt", "nicht unser");
    ui_.msgBoxAnswers = {MsgBoxResult::Yes};
    Press(form.buttonAbbrechen);
    EXPECT_TRUE(form.Closed());
    EXPECT_FALSE(PathExists(small + L"\\temp_2026_12_5-10920"));
    EXPECT_TRUE(PathExists(other + L"\\temp_2026_12_5-10920\\fremd.txt"));
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, AScaleChangeLaysOutEveryControlOfEveryPageAndOfTheFolderChooser) {
    ExpectRelaidAt144Dpi(RealForm(0).hwnd());
    dialog_ = std::make_unique<OrdnerAuswahlDialog>(*form_, platform_);
    ExpectRelaidAt144Dpi(dialog_->hwnd());
}

TEST_F(MainFormTest, BeendenTakesWeitersPlaceAndTheFocusAndIsTabbedToOnlyOnceShown) {
    using Captions = std::vector<std::wstring>;
    MainForm& form = RealForm(0);
    form.EnableButtonWeiter();
    // As after a failed check: "Beenden" covers "Weiter" and disables "Abbrechen", enabled
    // again here only to show where "Beenden" comes.
    form.buttonWeiter.SetEnabled(false);
    EXPECT_FALSE(::IsWindowVisible(form.buttonBeenden.hwnd()));
    form.EnableButtonBeenden();
    EXPECT_FALSE(::IsWindowEnabled(form.buttonAbbrechen.hwnd()));
    EXPECT_FALSE(::IsWindowVisible(form.buttonWeiter.hwnd()));
    EXPECT_TRUE(Defaulted(form.buttonBeenden));
    EXPECT_EQ(Focus(), form.buttonBeenden.hwnd());
    RECT r;
    ::GetWindowRect(form.buttonWeiter.hwnd(), &r);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ScreenToClient(form.hwnd(), &centre);
    EXPECT_EQ(::ChildWindowFromPointEx(form.hwnd(), centre, CWP_SKIPINVISIBLE),
              form.buttonBeenden.hwnd());
    form.buttonAbbrechen.SetEnabled(true);
    EXPECT_EQ(TabCycle(form.buttonAbbrechen),
              (Captions{L"Abbrechen", L"System prüfen", L"Beenden"}));
    Press(form.buttonBeenden);  // no question
    ExpectShown(1, 0, kNotice, 64);
    EXPECT_TRUE(form.Closed());
}

// The keys road walks the pages with keys alone; here what it cannot bring about.
TEST_F(MainFormTest, SpaceOpensALinkAndTheFocusPassesOnFromWhatIsDisabledAndComesBack) {
    AccessRegistration access(true);
    UserControlStartPage& start = CheckedStartPage();
    MainForm& form = *form_;
    ::SetFocus(start.labelAccessLinkSPLink.hwnd());
    Key(VK_SPACE);
    EXPECT_EQ(ui_.openedUrls, std::vector<std::wstring>{L"http://127.0.0.1/sp"});
    EXPECT_TRUE(start.Visible());

    Press(form.buttonWeiter);
    auto& download = static_cast<UserControlDownloadProgram&>(form.downloadPage());
    ASSERT_TRUE(download.Visible());
    // Disabled while it has the focus, as a download does: the next tab stop takes it.
    ::SetFocus(download.buttonDownload.hwnd());
    download.buttonDownload.SetEnabled(false);
    EXPECT_EQ(Focus(), form.buttonAbbrechen.hwnd());

    // Another window in front and back: the focus comes back, past what was disabled meanwhile.
    download.buttonDownload.SetEnabled(true);
    ::SetFocus(download.buttonOrdnerAuswaehlen.hwnd());
    HWND other = ::CreateWindowExW(0, L"STATIC", L"andere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                   nullptr, nullptr, nullptr, nullptr);
    for (bool disable : {false, true}) {
        ::SetActiveWindow(other);
        EXPECT_FALSE(HasFocusWithin(form.hwnd()));
        if (disable) download.buttonOrdnerAuswaehlen.SetEnabled(false);
        ::SetActiveWindow(form.hwnd());
        PumpPendingMessages();
        EXPECT_EQ(Focus(), disable ? download.buttonDownload.hwnd()
                                   : download.buttonOrdnerAuswaehlen.hwnd());
    }
    ::DestroyWindow(other);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, AccessKeysAreUnderlinedAndDifferOnEveryPage) {
    MainForm& form = RealForm(0);
    std::vector<Window*> pages{dynamic_cast<Window*>(&form.startPage()),
                               dynamic_cast<Window*>(&form.downloadPage()),
                               dynamic_cast<Window*>(&form.finishPage())};
    for (Window* page : pages) {
        std::vector<HWND> buttons{form.buttonWeiter.hwnd(), form.buttonAbbrechen.hwnd(),
                                  form.buttonBeenden.hwnd()};
        for (HWND child = ::GetWindow(page->hwnd(), GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t kind[16] = {};
            ::GetClassNameW(child, kind, 16);
            if (_wcsicmp(kind, L"Button") == 0) buttons.push_back(child);
        }
        std::wstring keys;
        for (HWND button : buttons) {
            const std::wstring caption = WindowText(button);
            SCOPED_TRACE(Narrow(caption));
            const auto mark = caption.find(L'&');
            ASSERT_NE(mark, std::wstring::npos);
            const wchar_t key = static_cast<wchar_t>(std::towupper(caption.at(mark + 1)));
            EXPECT_EQ(keys.find(key), std::wstring::npos) << "a second " << char(key);
            keys += key;
        }
    }
}

TEST_F(MainFormTest, FolderChooserByKeysAlone) {
    std::filesystem::create_directories(temp_ / L"Eins");
    std::filesystem::create_directories(temp_ / L"Zwei");
    OrdnerAuswahlDialog& chooser = Chooser(temp_.path());
    const HWND drives = chooser.Drive1().control().hwnd();
    const HWND folders = chooser.Dir1().control().hwnd();
    // Shown without its own loop, so that every key can be looked at.
    ::ShowWindow(chooser.hwnd(), SW_SHOW);
    ::SetActiveWindow(chooser.hwnd());
    Key('R', true);
    EXPECT_EQ(Focus(), folders);
    Key('L', true);
    EXPECT_EQ(Focus(), drives);
    for (HWND next : {folders, chooser.buttonNeuerOrdner.hwnd(), chooser.OKButton.hwnd(),
                      chooser.CancelButton.hwnd(), drives}) {
        Key(VK_TAB);
        EXPECT_EQ(Focus(), next);
    }

    // Enter in the folder list opens the highlighted folder; the chooser stays.
    ::SetFocus(folders);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(chooser.Dir1().Path(), temp_ / L"Eins");
    EXPECT_TRUE(::IsWindowVisible(chooser.hwnd()));
    // Escape is Abbrechen: hidden, the result as it was.
    Key(VK_ESCAPE);
    EXPECT_FALSE(::IsWindowVisible(chooser.hwnd()));
    EXPECT_EQ(chooser.Tag(), temp_.path());
    // Enter anywhere else is OK, which takes the open folder.
    ::ShowWindow(chooser.hwnd(), SW_SHOW);
    ::SetActiveWindow(chooser.hwnd());
    ::SetFocus(drives);
    Key(VK_RETURN);
    EXPECT_FALSE(::IsWindowVisible(chooser.hwnd()));
    EXPECT_EQ(chooser.Tag(), temp_ / L"Eins");
}

TEST_F(MainFormTest, AScreenReaderHearsNamesStatesTheProgressAndTheEnd) {
    AccessRegistration access(true);
    UserControlStartPage& start = CheckedStartPage();
    MainForm& form = *form_;
    EXPECT_EQ(Read(start.ImageStatusWarning.hwnd()).name, L"Warnung");
    EXPECT_EQ(Read(start.ImageStatusOK.hwnd()).name, L"OK");
    EXPECT_EQ(Read(start.ImageStatusError.hwnd()).name, L"Fehler");
    EXPECT_EQ(Read(start.hwnd()).name, L"Versionsprüfung");
    EXPECT_EQ(Read(start.Shape2.hwnd()).name, L"Versionsprüfung");
    EXPECT_EQ(Read(start.LabelOSLinkInfoLink.hwnd()).name, L"hier");
    EXPECT_EQ(Read(form.buttonWeiter.hwnd()).name, L"Weiter");
    EXPECT_TRUE(Read(start.buttonPruefen.hwnd()).state & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_TRUE(Read(form.buttonWeiter.hwnd()).state & STATE_SYSTEM_FOCUSED);
    EXPECT_TRUE(Read(form.buttonBeenden.hwnd()).state & STATE_SYSTEM_INVISIBLE);
    // Everything that can be seen has a name (a label shows none while it is empty).
    const WNDENUMPROC named = [](HWND child, LPARAM) -> BOOL {
        wchar_t kind[16] = {};
        ::GetClassNameW(child, kind, 16);
        if (!::IsWindowVisible(child)) return TRUE;
        if (_wcsicmp(kind, L"Static") == 0 && WindowText(child).empty()) return TRUE;
        EXPECT_FALSE(Read(child).name.empty()) << Narrow(kind) << " without a name";
        return TRUE;
    };
    ::EnumChildWindows(form.hwnd(), named, 0);

    form.EnableButtonWeiter();
    Press(form.buttonWeiter);
    auto& download = static_cast<UserControlDownloadProgram&>(form.downloadPage());
    ::EnumChildWindows(form.hwnd(), named, 0);
    EXPECT_EQ(Read(download.hwnd()).name, L"Programmdateien");
    const HWND position = download.ProgressBar1().PositionControl();
    download.SetProgress(100);
    EXPECT_EQ(::SendMessageW(position, PBM_GETPOS, 0, 0), 100);
    download.SetLabelFilesize(L"Fertig.");
    EXPECT_EQ(Read(download.hwnd()).name, L"Programmdateien: Fertig.");
    // After a failure the progress and the page's name start again.
    download.SetProgress(0);
    download.SetLabelFilesize(L"");
    EXPECT_EQ(::SendMessageW(position, PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(Read(download.hwnd()).name, L"Programmdateien");
}

TEST_F(MainFormTest, HighContrastColoursComeFromTheSystemAndFollowItsChange) {
    AccessRegistration access(true);
    UserControlStartPage& start = CheckedStartPage();
    MainForm& form = *form_;
    const auto corner = [](const Control& c) {  // a few pixels where no text stands
        RECT r;
        ::GetWindowRect(c.hwnd(), &r);
        return RECT{r.right - 6, r.top + 2, r.right - 2, r.top + 4};
    };
    // The header between the title picture and the logo, beneath both.
    POINT gap{form.Px(3700), form.Px(800)};
    ::ClientToScreen(form.hwnd(), &gap);
    const RECT headerGap{gap.x, gap.y, gap.x + 4, gap.y + 2};
    const auto area = [](const Control& c) {
        RECT r;
        ::GetWindowRect(c.hwnd(), &r);
        return r;
    };
    const auto shows = [](const std::vector<COLORREF>& pixels, COLORREF color) {
        return std::find(pixels.begin(), pixels.end(), color) != pixels.end();
    };
    const auto all = [](const std::vector<COLORREF>& pixels, COLORREF color) {
        return std::all_of(pixels.begin(), pixels.end(), [&](COLORREF p) { return p == color; });
    };
    const COLORREF yellow = RGB(255, 255, 0), navy = RGB(0, 0, 96);
    const COLORREF header = ::GetSysColor(COLOR_WINDOW);
    EXPECT_TRUE(all(Pixels(form.hwnd(), headerGap), header));
    EXPECT_GE(ColorContrast::Ratio(form.Label1.ForeColor(), header), 4.5);
    EXPECT_TRUE(shows(Pixels(form.hwnd(), area(form.Label1)), form.Label1.ForeColor()));
    EXPECT_FALSE(shows(Pixels(form.hwnd(), area(start.LabelOSLinkInfoLink)), yellow));
    {
        SystemColors dark(
            {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_HOTLIGHT},
            {RGB(0, 0, 0), RGB(255, 255, 255), navy, RGB(255, 255, 255), yellow});
        EXPECT_TRUE(all(Pixels(form.hwnd(), headerGap), RGB(0, 0, 0)));
        EXPECT_GE(ColorContrast::Ratio(form.Label1.ForeColor(), RGB(0, 0, 0)), 4.5);
        EXPECT_TRUE(shows(Pixels(form.hwnd(), area(form.Label1)), form.Label1.ForeColor()));
        EXPECT_TRUE(shows(Pixels(form.hwnd(), area(start.LabelOSLinkInfoLink)), yellow));
        form.EnableButtonWeiter();
        Press(form.buttonWeiter);
        auto& download = static_cast<UserControlDownloadProgram&>(form.downloadPage());
        EXPECT_TRUE(all(Pixels(form.hwnd(), corner(download.ProgressBar1().StatusBar())), navy));
    }
    EXPECT_TRUE(all(Pixels(form.hwnd(), headerGap), header));
}

}  // namespace
