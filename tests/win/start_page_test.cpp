// Page 1 under Wine: a real settings.ini, the prefix's registry with the
// fixture Access program registered, Wine's WMI, and "System prüfen" pressed
// as a click would. Most tests host the page in a plain window with a wizard
// host that records its calls; the wizard-state and screenshot tests use the
// real MainForm.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/BlankPage_win.h"
#include "app/MainForm_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/OsInfo_win.h"
#include "platform/PlatformError.h"
#include "platform/Shell_win.h"
#include "platform/Text.h"
#include "platform/TextMeasure_win.h"
#include "platform/Ui_win.h"
#include "support/AccessRegistry.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"
#include "syscheck/MeasuredLabel_win.h"
#include "syscheck/MessageLinks.h"
#include "syscheck/UserControlStartPage_win.h"

using namespace wintest;

namespace {

const wchar_t kAccessVersion[] = L"11.0.6566.0";
const wchar_t kMailAddress[] = L"bestellung@zelbar.de";
const wchar_t kIniBroken[] = L"Die ini-Datei wurde verändert und kann nicht mehr gelesen werden.";

const wchar_t* const kMessageLabels[] = {L"LabelOSMeldung",    L"labelOSLinkInfo",
                                         L"labelOSLinkSP",     L"LabelAccessMeldung",
                                         L"labelAccessLinkSP", L"labelAccessLinkInfo"};
const wchar_t* const kLinkLabels[] = {L"LabelOSLinkInfoLink", L"labelOSLinkSPLink",
                                      L"labelAccessLinkInfoLink", L"labelAccessLinkSPLink",
                                      L"LabelMailLink"};
const wchar_t* const kImages[] = {L"ImageStatusOK", L"ImageStatusWarning", L"ImageStatusError"};

// Window messages go through the real UI services for the hand cursor, so
// the test sees the cursor that the system shows.
class PageUi : public PumpingFakeUi {
public:
    bool ShowHandCursor() override {
        ++handCursorCalls;
        return real.ShowHandCursor();
    }
    WinUi real;
};

class FailingOsInfo : public OsInfo {
public:
    std::wstring OperatingSystemVersion() override {
        throw PlatformError(0x80041010,
                            L"Die WMI-Abfrage Win32_OperatingSystem ist fehlgeschlagen.");
    }
};

// A wizard host that only records what the page asks of it.
class RecordingHost : public WizardHost {
public:
    std::vector<std::wstring> calls;
    std::wstring GetAccessPath() const override { return accessPath; }
    void SetAccessPath(const std::wstring& path) override {
        accessPath = path;
        calls.push_back(L"SetAccessPath");
    }
    std::wstring GetZelbarPath() const override { return L""; }
    void SetZelbarPath(const std::wstring&) override {}
    std::wstring GetTempFolder() const override { return L""; }
    void SetTempFolder(const std::wstring&) override {}
    void EnableButtonWeiter() override { calls.push_back(L"EnableButtonWeiter"); }
    void EnableButtonBeenden() override { calls.push_back(L"EnableButtonBeenden"); }
    void SetButtonCancelEnabled(bool) override {}
    void CloseWithoutPrompt() override {}
    void DeleteTempFolder() override {}
    bool Visible() const override { return true; }
    void* OwnerWindow() const override { return nullptr; }
    std::wstring accessPath;
};

// The wizard window's size, nothing on it but the page.
class PlainParent : public Window {
public:
    PlainParent() {
        CreateTopLevel(L"Seite 1", 7290, 5085, WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN);
        ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    }
};

// Pixel rectangle of a control in its window's client area.
RECT PixelRect(const Window& owner, const Control& control) {
    RECT r;
    ::GetWindowRect(control.hwnd(), &r);
    ::MapWindowPoints(nullptr, owner.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct MessageSection {
    std::wstring name, meldung, linkInfo, linkSP, icon;
};

using Sections = std::vector<MessageSection>;
using Calls = std::vector<std::wstring>;

class StartPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui.startFolder = folder.path();
        osVersion = WmiOsInfo().OperatingSystemVersion();
        accessCommand = AccessRegistry::OpenCommandFor(FixtureExe(L"fixture_access"));
        Window::SetErrorReporter(
            [this](HWND, const std::wstring& text) { reportedErrors.push_back(text); });
    }
    void TearDown() override {
        page.reset();
        parent.reset();
        form.reset();
        Window::SetErrorReporter(nullptr);
    }

    std::wstring OsSection() const { return L"osVer_" + osVersion; }
    static std::wstring AccessSection() { return std::wstring(L"accessVer_") + kAccessVersion; }

    // A settings file that passes the start-up validation, with the supported
    // versions and the message sections in the order given.
    void WriteSettings(const Sections& sections,
                       const std::vector<std::wstring>& supported = {L"Access.Application.9",
                                                                     L"Access.Application.11"}) {
        std::wstring text = L"[GetFileSize]\r\nURL=http://127.0.0.1/size.php\r\n\r\n";
        text += L"[SupportedAccessVersions]\r\n";
        for (const std::wstring& progId : supported) text += progId + L"=Access\r\n";
        for (const MessageSection& s : sections) {
            text += L"\r\n[" + s.name + L"]\r\nMeldung=" + s.meldung + L"\r\nLinkInfo=" +
                    s.linkInfo + L"\r\nLinkSP=" + s.linkSP + L"\r\nIcon=" + s.icon + L"\r\n";
        }
        WriteBytes(folder / L"settings.ini", Text::EncodeCp1252(text + L"\r\n"));
    }
    void RegisterAccess() { registry.Register(L"Access.Application.11", accessCommand); }

    UserControlStartPage& MakePage(OsInfo* osInfo = nullptr) {
        page.reset();
        parent = std::make_unique<PlainParent>();
        platform = std::make_unique<Platform>(Platform{files, shell, osInfo ? *osInfo : wmi, ui});
        page = std::make_unique<UserControlStartPage>(parent->hwnd(), MainForm::kStartPageRect,
                                                      host, *platform);
        PumpPendingMessages();
        return *page;
    }
    MainForm& MakeForm() {
        platform = std::make_unique<Platform>(Platform{files, shell, wmi, ui});
        form = std::make_unique<MainForm>(*platform, [this](MainForm& f) {
            WizardPages pages;
            auto start = std::make_unique<UserControlStartPage>(f.hwnd(), MainForm::kStartPageRect,
                                                                f, f.platform());
            formPage = start.get();
            pages.startPage = std::move(start);
            pages.downloadPage =
                std::make_unique<BlankDownloadPage>(f.hwnd(), MainForm::kDownloadPageRect, f);
            pages.finishPage =
                std::make_unique<BlankFinishPage>(f.hwnd(), MainForm::kFinishPageRect, f);
            return pages;
        });
        form->SetQuitOnClose(false);
        form->Load();
        form->Show();
        PumpPendingMessages();
        return *form;
    }

    static void Press(Window& window, const wchar_t* control) {
        ::SendMessageW(window[control].hwnd(), BM_CLICK, 0, 0);
        PumpPendingMessages();
    }
    static void ClickLabel(HWND label) {
        ::SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        PumpPendingMessages();
    }

    std::vector<std::wstring> VisibleControls(const Window& owner) const {
        std::vector<std::wstring> names;
        for (const wchar_t* name : kMessageLabels) {
            if (owner[name].Visible()) names.push_back(name);
        }
        for (const wchar_t* name : kLinkLabels) {
            if (owner[name].Visible()) names.push_back(name);
        }
        for (const wchar_t* name : kImages) {
            if (owner[name].Visible()) names.push_back(name);
        }
        return names;
    }

    AccessRegistry registry;
    TempFolder folder;
    PageUi ui;
    WinFileSystem files;
    WinShell shell;
    WmiOsInfo wmi;
    RecordingHost host;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<PlainParent> parent;
    std::unique_ptr<UserControlStartPage> page;
    std::unique_ptr<MainForm> form;
    UserControlStartPage* formPage = nullptr;
    std::wstring osVersion;
    std::wstring accessCommand;
    std::vector<std::wstring> reportedErrors;
};

// The lines a label draws: its window text split at its line breaks.
std::vector<std::wstring> ShownLines(const Control& label) {
    const std::wstring shown = WindowText(label.hwnd());
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (;;) {
        const auto end = shown.find(L"\r\n", start);
        lines.push_back(shown.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos) return lines;
        start = end + 2;
    }
}

// Measures in the label's own font, in pixels.
class LabelDc {
public:
    explicit LabelDc(const Control& label)
        : hwnd_(label.hwnd()), dc_(::GetDC(hwnd_)), old_(::SelectObject(dc_, label.hfont())) {
        ::GetTextMetricsW(dc_, &metrics_);
    }
    ~LabelDc() {
        ::SelectObject(dc_, old_);
        ::ReleaseDC(hwnd_, dc_);
    }
    int Width(const std::wstring& text) const {
        SIZE size{0, 0};
        ::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    int LineHeight() const { return metrics_.tmHeight; }

private:
    HWND hwnd_;
    HDC dc_;
    HGDIOBJ old_;
    TEXTMETRICW metrics_{};
};

// Every line the label shows fits its width, unless it is one word too wide
// for any line, and the label is as high as its lines: nothing is clipped.
void ExpectLabelShowsAllItsLines(const Window& owner, const Control& label) {
    SCOPED_TRACE(Narrow(label.name()));
    const LabelDc dc(label);
    const RECT r = PixelRect(owner, label);
    const std::vector<std::wstring> lines = ShownLines(label);
    for (const std::wstring& line : lines) {
        if (line.find(L' ') != std::wstring::npos) {
            EXPECT_LE(dc.Width(line), r.right - r.left) << Narrow(line);
        }
    }
    EXPECT_EQ(r.bottom - r.top, static_cast<int>(lines.size()) * dc.LineHeight());
    std::wstring joined;
    for (const std::wstring& line : lines) joined += (joined.empty() ? L"" : L" ") + line;
    EXPECT_EQ(joined, label.Caption());
}

// The pixels of a screen rectangle, top row first.
std::vector<COLORREF> ScreenPixels(const RECT& r) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(memory, x, y));
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// Texts drawn alone at pixel positions in a label-sized picture, as the
// page's labels draw text: every character at its measured advance.
struct DrawnText {
    std::wstring text;
    int left;
    int top;
};
std::vector<COLORREF> DrawnWords(const Control& label, const std::vector<DrawnText>& texts,
                                 int width, int height) {
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
    HGDIOBJ oldFont = ::SelectObject(memory, label.hfont());
    RECT all{0, 0, width, height};
    ::FillRect(memory, &all, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetBkMode(memory, TRANSPARENT);
    ::SetTextColor(memory, ::GetSysColor(COLOR_WINDOWTEXT));
    for (const DrawnText& t : texts) {
        if (t.text.empty()) continue;
        std::vector<INT> ends(t.text.size()), advances(t.text.size());
        SIZE size;
        ::GetTextExtentExPointW(memory, t.text.c_str(), static_cast<int>(t.text.size()), 0, nullptr,
                                ends.data(), &size);
        for (std::size_t i = 0; i < t.text.size(); ++i) {
            advances[i] = ends[i] - (i ? ends[i - 1] : 0);
        }
        ::ExtTextOutW(memory, t.left, t.top, ETO_CLIPPED, &all, t.text.c_str(),
                      static_cast<UINT>(t.text.size()), advances.data());
    }
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(memory, x, y));
    }
    ::SelectObject(memory, oldFont);
    ::SelectObject(memory, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

void Repaint(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPendingMessages();
}

// The link label lies over its word: on the word's line and at its left edge
// as the message label shows it, it is the window under that point, it looks
// like a link, and with the link label taken away the screen shows there
// exactly the word drawn alone.
void ExpectLinkOverWord(const Window& owner, const Control& message, Control& link,
                        const std::wstring& word) {
    SCOPED_TRACE(Narrow(link.name() + L" over " + word));
    ASSERT_TRUE(link.Visible());
    EXPECT_EQ(link.Caption(), word);
    ExpectLabelShowsAllItsLines(owner, message);

    const std::vector<std::wstring> lines = ShownLines(message);
    std::size_t line = 0, column = std::wstring::npos;
    for (; line < lines.size(); ++line) {
        column = lines[line].find(word);
        if (column != std::wstring::npos) break;
    }
    ASSERT_LT(line, lines.size()) << "word not shown";
    const LabelDc dc(message);
    const RECT messageRect = PixelRect(owner, message);
    const RECT linkRect = PixelRect(owner, link);
    EXPECT_EQ(linkRect.left, messageRect.left + dc.Width(lines[line].substr(0, column)));
    EXPECT_EQ(linkRect.top, messageRect.top + static_cast<int>(line) * dc.LineHeight());
    EXPECT_EQ(linkRect.right - linkRect.left, dc.Width(word));
    EXPECT_EQ(linkRect.bottom - linkRect.top, dc.LineHeight());
    POINT centre{(linkRect.left + linkRect.right) / 2, (linkRect.top + linkRect.bottom) / 2};
    EXPECT_EQ(::ChildWindowFromPointEx(owner.hwnd(), centre, CWP_SKIPINVISIBLE), link.hwnd());
    EXPECT_TRUE(link.Font().underline);
    EXPECT_EQ(link.ForeColor(), RGB(0, 0, 255));
    EXPECT_EQ(link.BackColor(), ::GetSysColor(COLOR_BTNFACE));

    RECT onScreen;
    ::GetWindowRect(link.hwnd(), &onScreen);
    link.SetVisible(false);
    Repaint(::GetAncestor(owner.hwnd(), GA_ROOT));
    const auto underneath = ScreenPixels(onScreen);
    link.SetVisible(true);
    Repaint(::GetAncestor(owner.hwnd(), GA_ROOT));
    const auto alone = DrawnWords(message, {{word, 0, 0}}, onScreen.right - onScreen.left,
                                  onScreen.bottom - onScreen.top);
    EXPECT_TRUE(underneath == alone) << "the word beneath the link label is not where it lies";
}

const std::wstring kLongOsMessage =
    L"Ihr Betriebssystem wird von Zelbar unterstützt, sofern alle aktuellen Updates "
    L"installiert sind und genügend freier Speicherplatz auf dem Systemlaufwerk vorhanden ist.";
const std::wstring kLongLinkSP =
    L"Bitte installieren Sie vor der Nutzung von Zelbar unbedingt das neueste Service Pack für "
    L"Microsoft Access, damit alle Funktionen zuverlässig arbeiten: Anleitung <a "
    L"href#EQUAL#http://127.0.0.1/sp>hier</a> lesen.";

}  // namespace

TEST_F(StartPageTest, StartsWithInstructionAndButtonAtTheirPlacesAndNothingElse) {
    UserControlStartPage& p = MakePage();
    EXPECT_TRUE(p.Visible());
    EXPECT_EQ(p[L"Label3"].Caption(), L"Versionsprüfung");
    EXPECT_TRUE(p[L"Label3"].Font().bold);
    EXPECT_EQ(p[L"buttonPruefen"].Caption(), L"System prüfen");
    EXPECT_TRUE(::IsWindowEnabled(p[L"buttonPruefen"].hwnd()));
    for (const wchar_t* shown : {L"Label3", L"Label1", L"Shape2", L"buttonPruefen"}) {
        EXPECT_TRUE(::IsWindowVisible(p[shown].hwnd())) << Narrow(shown);
    }
    EXPECT_TRUE(VisibleControls(p).empty());

    // Twips of the layout become pixels at 96 DPI (15 twips each).
    ASSERT_EQ(p.dpi(), 96u);
    const RECT button = PixelRect(p, p[L"buttonPruefen"]);
    EXPECT_EQ(button.left, 5160 / 15);
    EXPECT_EQ(button.top, 360 / 15);
    EXPECT_EQ(button.right - button.left, 1575 / 15);
    const RECT message = PixelRect(p, p[L"LabelAccessMeldung"]);
    EXPECT_EQ(message.left, 1200 / 15);
    EXPECT_EQ(message.top, 1800 / 15);
    EXPECT_EQ(message.right - message.left, 5295 / 15);
    for (const auto& [image, size] :
         {std::pair{L"ImageStatusOK", 48}, std::pair{L"ImageStatusWarning", 31},
          std::pair{L"ImageStatusError", 32}}) {
        const RECT r = PixelRect(p, p[image]);
        EXPECT_EQ(r.right - r.left, size) << Narrow(image);
        EXPECT_EQ(p[image].PictureSize().cx, size) << Narrow(image);
    }
}

TEST_F(StartPageTest, NoAccessShowsErrorTextWithMailLinkAndOnlyBeenden) {
    WriteSettings({});
    UserControlStartPage& p = MakePage();
    Press(p, L"buttonPruefen");

    Control& message = p[L"LabelAccessMeldung"];
    EXPECT_EQ(message.Caption(),
              std::wstring(L"Sie haben auf Ihrem System kein MS-Access installiert. ") +
                  L"Sie können Zelbar jedoch auch kostenlos auf CD anfordern - E-Mail genügt: " +
                  kMailAddress);
    EXPECT_FALSE(message.Font().bold);
    EXPECT_EQ(message.Top(), p[L"ImageStatusError"].Top());
    EXPECT_EQ(VisibleControls(p),
              (Calls{L"LabelAccessMeldung", L"LabelMailLink", L"ImageStatusError"}));
    ExpectLinkOverWord(p, message, p[L"LabelMailLink"], kMailAddress);
    EXPECT_EQ(p.LinkTarget(L"LabelMailLink"), std::wstring(L"mailto:") + kMailAddress);
    EXPECT_EQ(host.calls, Calls{L"EnableButtonBeenden"});
    EXPECT_FALSE(::IsWindowEnabled(p[L"buttonPruefen"].hwnd()));

    ClickLabel(p[L"LabelMailLink"].hwnd());
    EXPECT_EQ(ui.openedUrls, Calls{std::wstring(L"mailto:") + kMailAddress});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartPageTest, OnlyOlderAccessShowsTooOldTextAndBeenden) {
    WriteSettings({{AccessSection(), L"Access 2003", L"", L"", L"OK"}});
    registry.AddProgId(L"Access.Application.8");
    UserControlStartPage& p = MakePage();
    Press(p, L"buttonPruefen");

    const std::wstring caption = p[L"LabelAccessMeldung"].Caption();
    EXPECT_EQ(caption.rfind(
                  L"Ihre MS-Access Version ist zu alt und wird von Zelbar nicht unterstützt. Sie "
                  L"können Zelbar",
                  0),
              0u);
    EXPECT_EQ(VisibleControls(p),
              (Calls{L"LabelAccessMeldung", L"LabelMailLink", L"ImageStatusError"}));
    EXPECT_EQ(host.calls, Calls{L"EnableButtonBeenden"});
    EXPECT_EQ(host.accessPath, L"");
}

TEST_F(StartPageTest, FailedCheckLeavesTheWizardWithBeendenOnlyAndTheButtonDisabled) {
    WriteSettings({});
    MainForm& f = MakeForm();
    ASSERT_FALSE(f.Closed()) << (ui.messages.empty() ? "" : Narrow(ui.messages[0].text));
    Press(*formPage, L"buttonPruefen");

    EXPECT_TRUE(::IsWindowEnabled(f[L"buttonBeenden"].hwnd()));
    EXPECT_FALSE(::IsWindowEnabled(f[L"buttonAbbrechen"].hwnd()));
    EXPECT_FALSE(::IsWindowEnabled(f[L"buttonWeiter"].hwnd()));
    EXPECT_TRUE(f.skipClosePrompt());
    EXPECT_EQ(f.GetAccessPath(), L"");

    // A second press cannot run the check again.
    Press(*formPage, L"buttonPruefen");
    EXPECT_FALSE(::IsWindowEnabled((*formPage)[L"buttonPruefen"].hwnd()));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StartPageTest, SupportedAccessWithoutMatchingSectionShowsNothingButEnablesWeiter) {
    // Neither the prefix in another case nor a version with fewer parts matches.
    WriteSettings({{L"OsVer_" + osVersion, L"Falsch geschrieben", L"Info", L"SP", L"OK"},
                   {L"accessVer_11.0.6566", L"Zu kurz", L"", L"", L"Warning"}});
    RegisterAccess();
    MainForm& f = MakeForm();
    ASSERT_FALSE(f.Closed()) << (ui.messages.empty() ? "" : Narrow(ui.messages[0].text));
    Press(*formPage, L"buttonPruefen");

    EXPECT_TRUE(VisibleControls(*formPage).empty());
    EXPECT_EQ(f.GetAccessPath(), accessCommand);
    EXPECT_TRUE(::IsWindowEnabled(f[L"buttonWeiter"].hwnd()));
    EXPECT_TRUE(::IsWindowEnabled(f[L"buttonAbbrechen"].hwnd()));
    EXPECT_FALSE(f.skipClosePrompt());
    EXPECT_FALSE(::IsWindowEnabled((*formPage)[L"buttonPruefen"].hwnd()));
}

TEST_F(StartPageTest, FirstNamedBlockTakesUpperSlotSecondStandsUnderItAndWarningWins) {
    RegisterAccess();
    const MessageSection os{OsSection(), L"Windows wird unterstützt.",
                            L"Infos <a href#EQUAL#http://127.0.0.1/os>hier</a>",
                            L"Service Pack: <a href#EQUAL#sp.exe>installieren</a>", L"OK"};
    const MessageSection access{AccessSection(), L"Access 2003 wird unterstützt.",
                                L"Mehr <a href#EQUAL#http://127.0.0.1/access>dazu</a>",
                                L"Service Pack 3 fehlt: <a href#EQUAL#sp3.exe>laden</a>",
                                L"Warning"};
    struct Order {
        Sections sections;
        const wchar_t* upper;
        const wchar_t* upperSP;
        const wchar_t* lower;
    };
    for (const Order& order :
         {Order{{os, access}, L"LabelOSMeldung", L"labelOSLinkSP", L"LabelAccessMeldung"},
          Order{{access, os}, L"LabelAccessMeldung", L"labelAccessLinkSP", L"LabelOSMeldung"}}) {
        SCOPED_TRACE(Narrow(order.upper));
        WriteSettings(order.sections);
        host.calls.clear();
        UserControlStartPage& p = MakePage();
        Press(p, L"buttonPruefen");

        const Control& upper = p[order.upper];
        EXPECT_EQ(upper.Top(), 1080);
        EXPECT_TRUE(upper.Font().bold);
        const Control& upperSP = p[order.upperSP];
        EXPECT_EQ(p[order.lower].Top(), upperSP.Top() + upperSP.Height());
        for (const auto& [line, message] :
             {std::pair{L"labelOSLinkInfo", L"LabelOSMeldung"},
              std::pair{L"labelAccessLinkInfo", L"LabelAccessMeldung"}}) {
            EXPECT_EQ(p[line].Top(), p[message].Top() + p[message].Height());
            EXPECT_EQ(p[line].Left(), p[message].Left() + 100);
        }
        EXPECT_EQ(p[L"labelOSLinkSP"].Top(),
                  p[L"labelOSLinkInfo"].Top() + p[L"labelOSLinkInfo"].Height());
        EXPECT_EQ(p[L"labelOSLinkInfo"].Caption(), L"Infos hier");
        EXPECT_EQ(p[L"labelAccessLinkSP"].Caption(), L"Service Pack 3 fehlt: laden");

        EXPECT_TRUE(p[L"ImageStatusWarning"].Visible());
        EXPECT_FALSE(p[L"ImageStatusOK"].Visible());
        ExpectLinkOverWord(p, p[L"labelOSLinkInfo"], p[L"LabelOSLinkInfoLink"], L"hier");
        ExpectLinkOverWord(p, p[L"labelOSLinkSP"], p[L"labelOSLinkSPLink"], L"installieren");
        ExpectLinkOverWord(p, p[L"labelAccessLinkInfo"], p[L"labelAccessLinkInfoLink"], L"dazu");
        ExpectLinkOverWord(p, p[L"labelAccessLinkSP"], p[L"labelAccessLinkSPLink"], L"laden");
        EXPECT_FALSE(p[L"LabelMailLink"].Visible());
        EXPECT_EQ(host.calls, (Calls{L"SetAccessPath", L"EnableButtonWeiter"}));
        EXPECT_EQ(host.accessPath, accessCommand);
    }
}

TEST_F(StartPageTest, IconFollowsTheMatchedSectionsOkOnlyOrNeither) {
    RegisterAccess();
    struct Case {
        const wchar_t* osIcon;
        const wchar_t* accessIcon;
        const wchar_t* shown;  // nullptr: no icon
    };
    for (const Case& c : {Case{L"OK", L" ok ", L"ImageStatusOK"}, Case{L"Info", L"", nullptr}}) {
        SCOPED_TRACE(Narrow(c.osIcon));
        WriteSettings({{OsSection(), L"Windows", L"", L"", c.osIcon},
                       {AccessSection(), L"Access", L"", L"", c.accessIcon}});
        host.calls.clear();
        UserControlStartPage& p = MakePage();
        Press(p, L"buttonPruefen");
        for (const wchar_t* image : kImages) {
            EXPECT_EQ(p[image].Visible(), c.shown && std::wstring(c.shown) == image)
                << Narrow(image);
        }
        EXPECT_TRUE(p[L"LabelOSMeldung"].Visible());
        EXPECT_TRUE(p[L"LabelAccessMeldung"].Visible());
        EXPECT_EQ(host.calls, (Calls{L"SetAccessPath", L"EnableButtonWeiter"}));
    }
}

TEST_F(StartPageTest, EmptyLinkInfoLeavesInfoLineHiddenAndSpLineMovesUp) {
    RegisterAccess();
    WriteSettings({{AccessSection(), L"Access 2003 wird unterstützt.", L"  ",
                    L"Service Pack <a href#EQUAL#sp.exe>laden</a>", L"OK"}});
    UserControlStartPage& p = MakePage();
    Press(p, L"buttonPruefen");

    const Control& message = p[L"LabelAccessMeldung"];
    EXPECT_EQ(message.Top(), 1080);
    EXPECT_FALSE(p[L"labelAccessLinkInfo"].Visible());
    EXPECT_FALSE(p[L"labelAccessLinkInfoLink"].Visible());
    EXPECT_TRUE(p[L"labelAccessLinkSP"].Visible());
    EXPECT_EQ(p[L"labelAccessLinkSP"].Top(), message.Top() + message.Height());
    ExpectLinkOverWord(p, p[L"labelAccessLinkSP"], p[L"labelAccessLinkSPLink"], L"laden");
}

TEST_F(StartPageTest, LinkOnThirdLineOfWrappedMessageLiesTwoLineHeightsDown) {
    RegisterAccess();
    WriteSettings({{OsSection(), kLongOsMessage, L"", kLongLinkSP, L"OK"}});
    UserControlStartPage& p = MakePage();
    Press(p, L"buttonPruefen");

    const Control& message = p[L"LabelOSMeldung"];
    const Control& sp = p[L"labelOSLinkSP"];
    Control& link = p[L"labelOSLinkSPLink"];
    const int lineHeight = GdiTextMeasure(sp.hwnd(), sp.hfont()).TextHeight();
    // Both labels grew to their wrapped text; the SP line stands under the message.
    ASSERT_EQ(ShownLines(sp).size(), 3u);
    EXPECT_GT(ShownLines(message).size(), 1u);
    ExpectLabelShowsAllItsLines(p, message);
    EXPECT_EQ(sp.Height(), 3 * lineHeight);
    EXPECT_EQ(sp.Top(), message.Top() + message.Height());
    EXPECT_EQ(link.Top(), sp.Top() + 2 * lineHeight);
    ExpectLinkOverWord(p, sp, link, L"hier");
    EXPECT_EQ(p.LinkTarget(L"labelOSLinkSPLink"), L"http://127.0.0.1/sp");
}

TEST_F(StartPageTest, HandCursorOverLinkLabelOnlyAndClicksOpenTheirTargets) {
    RegisterAccess();
    WriteSettings({{OsSection(), L"Windows wird unterstützt.",
                    L"Infos <a href#EQUAL#HTTP://127.0.0.1/os>hier</a>",
                    L"Bitte <a href#EQUAL#sub\\start.cmd>starten</a>", L"OK"}});
    ASSERT_TRUE(::CreateDirectoryW((folder / L"sub").c_str(), nullptr));
    WriteBytes(folder / L"sub\\start.cmd", "@echo gestartet> \"%~dp0gestartet.txt\"\r\n");
    UserControlStartPage& p = MakePage();
    Press(p, L"buttonPruefen");
    ::SetForegroundWindow(parent->hwnd());

    const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    auto cursorAt = [&](const Control& control) {
        RECT r;
        ::GetWindowRect(control.hwnd(), &r);
        ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        for (int i = 0; i < 50 && ::GetCursor() != hand; ++i) {
            PumpPendingMessages();
            ::Sleep(20);
        }
        // Also the message a mouse move over the label brings, in case the
        // display delivers no motion.
        ::SendMessageW(control.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(control.hwnd()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    EXPECT_NE(cursorAt(p[L"Label1"]), hand);
    EXPECT_EQ(cursorAt(p[L"LabelOSLinkInfoLink"]), hand);
    EXPECT_GT(ui.handCursorCalls, 0);
    const int callsOverLink = ui.handCursorCalls;
    EXPECT_NE(cursorAt(p[L"LabelOSMeldung"]), hand);
    EXPECT_EQ(ui.handCursorCalls, callsOverLink);

    // A web address in capitals is still a web address.
    ClickLabel(p[L"LabelOSLinkInfoLink"].hwnd());
    EXPECT_EQ(ui.openedUrls, Calls{L"HTTP://127.0.0.1/os"});
    // A file in a subfolder of the start folder is started by its quoted full path.
    ClickLabel(p[L"labelOSLinkSPLink"].hwnd());
    bool started = false;
    for (int i = 0; i < 200 && !started; ++i) {
        started = PathExists(folder / L"sub\\gestartet.txt");
        ::Sleep(50);
    }
    EXPECT_TRUE(started);
    EXPECT_TRUE(reportedErrors.empty());
}

TEST_F(StartPageTest, TargetThatCannotBeStartedIsReportedAndThePageGoesOn) {
    RegisterAccess();
    WriteSettings(
        {{OsSection(), L"Windows", L"Siehe <a href#EQUAL#fehlt.exe>Hilfe</a>", L"", L"OK"}});
    UserControlStartPage& p = MakePage();
    Press(p, L"buttonPruefen");
    ClickLabel(p[L"LabelOSLinkInfoLink"].hwnd());
    ASSERT_EQ(reportedErrors.size(), 1u);
    EXPECT_NE(reportedErrors[0].find(L"Hilfe"), std::wstring::npos) << Narrow(reportedErrors[0]);
    EXPECT_EQ(host.calls, (Calls{L"SetAccessPath", L"EnableButtonWeiter"}));
}

TEST_F(StartPageTest, CheckThatCannotFinishIsToldInGermanAndLeavesOnlyBeenden) {
    RegisterAccess();
    FailingOsInfo failingWmi;
    struct Case {
        const wchar_t* name;
        std::function<void()> arrange;
        OsInfo* os;
        std::wstring expectedStart;
    };
    const std::vector<Case> cases = {
        {L"repeated section",
         [&] {
             WriteSettings({{OsSection(), L"eins", L"", L"", L"OK"},
                            {L"OSVER_" + osVersion, L"zwei", L"", L"", L"OK"}});
         },
         nullptr, kIniBroken},
        {L"WMI fails", [&] { WriteSettings({}); }, &failingWmi,
         L"Die Version des Betriebssystems konnte nicht ermittelt werden."},
        {L"Access program file missing",
         [&] {
             WriteSettings({});
             registry.Register(L"Access.Application.11",
                               AccessRegistry::OpenCommandFor(folder / L"fehlt\\MSACCESS.EXE"));
         },
         nullptr, L"Die Version von MS-Access konnte nicht ermittelt werden."},
        {L"no number in first supported version",
         [&] { WriteSettings({}, {L"Access.Application.neun"}); }, nullptr, kIniBroken},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        c.arrange();
        host.calls.clear();
        ui.messages.clear();
        UserControlStartPage& p = MakePage(c.os);
        Press(p, L"buttonPruefen");
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text.rfind(c.expectedStart, 0), 0u) << Narrow(ui.messages[0].text);
        EXPECT_EQ(ui.messages[0].style, 16u);
        EXPECT_EQ(host.calls, Calls{L"EnableButtonBeenden"});
        EXPECT_FALSE(::IsWindowEnabled(p[L"buttonPruefen"].hwnd()));
        EXPECT_TRUE(reportedErrors.empty());
    }
}

// The lines a message label shows are the lines of the layout that places
// link labels, and the system draws each of them as one line: for the real
// font, several widths, umlauts, an over-long word and double blanks.
TEST(MessageLabelWrapTest, LabelDrawsTheLinesOfTheLinkLayout) {
    class Parent : public Window {
    public:
        Parent() {
            CreateTopLevel(L"Umbruch", 7290, 5085, WS_OVERLAPPED | WS_CAPTION);
            ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
        }
    } parent;
    const std::vector<std::wstring> texts = {
        kLongOsMessage,
        L"Für Windows XP ist mindestens das Service Pack 3 nötig; ältere Stände werden nicht "
        L"unterstützt. Weitere Hinweise stehen unter http://127.0.0.1/zelbar/hinweise/windows-xp "
        L"im Hilfebereich.",
        L"Ein Überlangeswortohnejedeleerstelledasnichtinnerhalbeinerzeileplatzfindetundweiter "
        L"geht es mit (Klammern) und  Zahlen 1.234,56 € sowie Äpfeln, Öl und Übermut.",
    };
    for (int width : {5175, 3000, 1500}) {
        for (const std::wstring& text : texts) {
            Control label(parent.hwnd(),
                          ControlSpec{L"probe", ControlKind::Label, nullptr, {0, 0, width, 195}}, 1,
                          parent.dpi(), Window::DefaultFont());
            GdiTextMeasure measure(label.hwnd(), label.hfont());
            const WrappedText wrapped = WrapAtBlanks(text, width, measure);
            label.SetCaption(text, wrapped.text);
            label.SetHeight(wrapped.lines * measure.TextHeight());
            ExpectLabelShowsAllItsLines(parent, label);

            DrawAtMeasuredAdvances(label.hwnd());
            Repaint(parent.hwnd());

            // What the screen shows is every word drawn alone where the link
            // layout places it.
            RECT onScreen;
            ::GetWindowRect(label.hwnd(), &onScreen);
            std::vector<DrawnText> words;
            std::size_t start = 0;
            for (const std::wstring& word : Text::Split(text, L' ')) {
                // The rest of the text from this word on occurs first here.
                const auto position = FindLinkPosition(text, width, text.substr(start), measure);
                ASSERT_TRUE(position);
                words.push_back(
                    {word, TwipsToPx(position->offset, parent.dpi()),
                     TwipsToPx((position->line - 1) * measure.TextHeight(), parent.dpi())});
                start += word.size() + 1;
            }
            EXPECT_TRUE(ScreenPixels(onScreen) == DrawnWords(label, words,
                                                             onScreen.right - onScreen.left,
                                                             onScreen.bottom - onScreen.top))
                << "width " << width << ": " << Narrow(text);
        }
    }
}

// Pictures of page 1 inside the wizard window for a person to look at:
// build/screenshots/page1-*.bmp. Nothing may hang out of the page's frame.
TEST_F(StartPageTest, ScreenshotsOfSuccessfulAndFailedChecks) {
    struct Shot {
        const wchar_t* name;
        const wchar_t* osIcon;
        const wchar_t* accessIcon;
        bool registered;
    };
    // Without Access first: later shots register it.
    for (const Shot& shot :
         {Shot{L"page1-error", L"OK", L"OK", false}, Shot{L"page1-ok", L"OK", L"OK", true},
          Shot{L"page1-warning", L"OK", L"Warning", true}}) {
        SCOPED_TRACE(Narrow(shot.name));
        if (shot.registered) RegisterAccess();
        WriteSettings(
            {{OsSection(), kLongOsMessage,
              L"Hinweise zu Ihrem System finden Sie <a href#EQUAL#http://127.0.0.1/os>hier</a>.",
              L"", shot.osIcon},
             {AccessSection(), L"Microsoft Access 2003 wird unterstützt.",
              L"Informationen zu Access 2003: <a href#EQUAL#http://127.0.0.1/access>Übersicht</a>",
              kLongLinkSP, shot.accessIcon}});
        form.reset();
        MainForm& f = MakeForm();
        Press(*formPage, L"buttonPruefen");
        ::RedrawWindow(f.hwnd(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpPendingMessages();
        ::Sleep(300);
        PumpPendingMessages();
        const std::wstring path = SaveScreenshot(f.hwnd(), shot.name);
        EXPECT_TRUE(PathExists(path));

        const int frameBottom = 120 + 3015;
        for (const wchar_t* name : kMessageLabels) {
            const Control& label = (*formPage)[name];
            if (!label.Visible()) continue;
            ExpectLabelShowsAllItsLines(*formPage, label);
            EXPECT_LE(label.Top() + label.Height(), frameBottom) << Narrow(name);
            EXPECT_LE(label.Left() + label.Width(), 120 + 6855) << Narrow(name);
        }
        UserControlStartPage& p = *formPage;
        if (!shot.registered) {
            EXPECT_TRUE(p[L"ImageStatusError"].Visible());
            ExpectLinkOverWord(p, p[L"LabelAccessMeldung"], p[L"LabelMailLink"], kMailAddress);
            continue;
        }
        EXPECT_TRUE(p[std::wstring(L"ImageStatus") + shot.accessIcon].Visible());
        ExpectLinkOverWord(p, p[L"labelOSLinkInfo"], p[L"LabelOSLinkInfoLink"], L"hier");
        ExpectLinkOverWord(p, p[L"labelAccessLinkInfo"], p[L"labelAccessLinkInfoLink"],
                           L"Übersicht");
        ExpectLinkOverWord(p, p[L"labelAccessLinkSP"], p[L"labelAccessLinkSPLink"], L"hier");
        EXPECT_TRUE(ui.messages.empty());
    }
}
