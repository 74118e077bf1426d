// Page 1 in the real wizard window under Wine, checked against the prefix's
// registry, Wine's WMI and the fixture Access program. What the check decides
// is host-tested (systempruefung_test); here: fonts and measured wrapping,
// link labels over their words that open their targets, the hand, the pictures.
#include <gtest/gtest.h>

#include "TempFolder.h"

#include "app/MainForm_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/OsInfo_win.h"
#include "platform/Shell_win.h"
#include "platform/Text.h"
#include "platform/Ui_win.h"
#include "support/AccessRegistry.h"
#include "support/BlankPage_win.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"
#include "syscheck/UserControlStartPage_win.h"

using namespace wintest;

namespace {

// The hand cursor comes from the real UI services, so the test sees what the system shows.
class PageUi : public PumpingFakeUi {
public:
    bool ShowHandCursor() override { return real.ShowHandCursor(); }
    WinUi real;
};

// Pixel rectangle of a control on the screen.
RECT ScreenRect(const Control& control) {
    RECT r;
    ::GetWindowRect(control.hwnd(), &r);
    return r;
}

// What the screen shows in a rectangle.
std::vector<COLORREF> Pixels(const RECT& r) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(dc, x, y));
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

void Repaint(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPendingMessages();
}

// Every line the label draws fits its width (unless it is one word too wide
// for any line) and the label is as high as its lines: nothing is clipped.
void ExpectShowsAllItsLines(const Label& label) {
    HDC dc = ::GetDC(label.hwnd());
    HGDIOBJ old = ::SelectObject(dc, label.hfont());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const RECT r = ScreenRect(label);
    const auto lines =
        Text::Split(Text::ReplaceAll(WindowText(label.hwnd()), L"\r\n", L"\n"), L'\n');
    for (const std::wstring& line : lines) {
        SIZE size{0, 0};
        ::GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        if (line.find(L' ') != std::wstring::npos) {
            EXPECT_LE(size.cx, r.right - r.left) << Narrow(line);
        }
    }
    EXPECT_EQ(r.bottom - r.top, static_cast<int>(lines.size()) * metrics.tmHeight);
    ::SelectObject(dc, old);
    ::ReleaseDC(label.hwnd(), dc);
}

// The link label lies over its word: it looks like a link, it is the window
// under its middle, and drawn plain it shows exactly what the message label
// shows beneath it.
void ExpectLinkOverWord(HWND page, const Label& message, Label& link, const std::wstring& word) {
    SCOPED_TRACE(Narrow(word));
    ExpectShowsAllItsLines(message);
    ASSERT_TRUE(link.Visible());
    EXPECT_EQ(link.Caption(), word);
    EXPECT_TRUE(link.Font().underline);
    EXPECT_EQ(link.ForeColor(), RGB(0, 0, 255));
    const RECT r = ScreenRect(link);
    POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ScreenToClient(page, &middle);
    EXPECT_EQ(::ChildWindowFromPointEx(page, middle, CWP_SKIPINVISIBLE), link.hwnd());

    const HWND window = ::GetAncestor(page, GA_ROOT);
    link.SetVisible(false);
    Repaint(window);
    const std::vector<COLORREF> beneath = Pixels(r);
    link.SetFont(message.Font());
    link.SetForeColor(kDefaultColor);
    link.SetVisible(true);
    Repaint(window);
    EXPECT_TRUE(Pixels(r) == beneath) << "the link label does not lie over its word";
}

class StartPageTest : public ::testing::Test {
protected:
    StartPageTest() {
        ui.startFolder = folder.path();
        Window::SetErrorReporter([](HWND, const std::wstring& t) { ADD_FAILURE() << Narrow(t); });
    }
    ~StartPageTest() override {
        form.reset();
        Window::SetErrorReporter(nullptr);
    }

    // A settings file that passes the start-up check, with an operating-system
    // section for the version WMI reports and one for the fixture Access.
    void WriteSettings() {
        const std::wstring sp = L" Anleitung <a href#EQUAL#http://127.0.0.1/sp>hier</a> lesen.";
        WriteBytes(folder / L"settings.ini",
                   Text::EncodeCp1252(
                       L"[GetFileSize]\r\nURL=http://127.0.0.1/size.php\r\n\r\n"
                       L"[SupportedAccessVersions]\r\nAccess.Application.11=Access 2003\r\n\r\n"
                       L"[osVer_" +
                       WmiOsInfo().OperatingSystemVersion() + L"]\r\nMeldung=" + kLongMessage +
                       L"\r\nIcon=OK\r\nLinkInfo=Hinweise finden Sie <a "
                       L"href#EQUAL#http://127.0.0.1/os>hier</a>.\r\nLinkSP=\r\n\r\n"
                       L"[accessVer_11.0.6566.0]\r\nMeldung=MS-Access 2003 wird von Zelbar "
                       L"unterstützt.\r\nIcon=Warning\r\nLinkInfo=\r\nLinkSP=" +
                       kLongMessage + sp));
    }

    // The wizard window with page 1, after "System prüfen".
    UserControlStartPage& Check(const wchar_t* screenshot) {
        WriteSettings();
        form = std::make_unique<MainForm>(platform, [this](MainForm& f) {
            WizardPages pages;
            auto start = std::make_unique<UserControlStartPage>(f.hwnd(), MainForm::kStartPageRect,
                                                                f, f.platform());
            page = start.get();
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
        ::SendMessageW(page->buttonPruefen.hwnd(), BM_CLICK, 0, 0);
        Repaint(form->hwnd());
        SaveScreenshot(form->hwnd(), screenshot);
        EXPECT_FALSE(::IsWindowEnabled(page->buttonPruefen.hwnd()));
        EXPECT_TRUE(ui.messages.empty());
        return *page;
    }

    static void Click(const Label& link) {
        ::SendMessageW(link.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageW(link.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        PumpPendingMessages();
    }

    static constexpr const wchar_t* kLongMessage =
        L"Ihr System wird von Zelbar unterstützt, sofern alle aktuellen Updates installiert sind "
        L"und genügend freier Speicherplatz auf dem Systemlaufwerk vorhanden ist.";

    AccessRegistry registry;
    TempFolder folder;
    PageUi ui;
    WinFileSystem files;
    WinShell shell;
    WmiOsInfo wmi;
    Platform platform{files, shell, wmi, ui};
    std::unique_ptr<MainForm> form;
    UserControlStartPage* page = nullptr;
};

}  // namespace

TEST_F(StartPageTest, FullCheckShowsBothBlocksWrappedWithLinksOverTheirWordsAndTheWarning) {
    const std::wstring command = AccessRegistry::OpenCommandFor(FixtureExe(L"fixture_access"));
    registry.Register(L"Access.Application.11", command);
    UserControlStartPage& p = Check(L"page1-warning");

    EXPECT_EQ(form->GetAccessPath(), command);
    EXPECT_TRUE(form->buttonWeiter.Enabled());
    EXPECT_TRUE(p.LabelOSMeldung.Font().bold);
    ExpectShowsAllItsLines(p.LabelOSMeldung);
    ExpectShowsAllItsLines(p.LabelAccessMeldung);
    // The SP line wraps, and its link lies on a later line.
    ExpectLinkOverWord(p.hwnd(), p.labelOSLinkInfo, p.LabelOSLinkInfoLink, L"hier");
    ExpectLinkOverWord(p.hwnd(), p.labelAccessLinkSP, p.labelAccessLinkSPLink, L"hier");
    EXPECT_GT(p.labelAccessLinkSPLink.Top(), p.labelAccessLinkSP.Top());
    // The first block takes the upper slot, its lines indented; the next
    // block stands under its last line.
    EXPECT_EQ(p.LabelOSMeldung.Top(), 1080);
    EXPECT_EQ(p.labelOSLinkInfo.Left(), p.LabelOSMeldung.Left() + 100);
    EXPECT_EQ(p.labelOSLinkInfo.Top(), p.LabelOSMeldung.Top() + p.LabelOSMeldung.Height());
    EXPECT_EQ(p.LabelAccessMeldung.Top(), p.labelOSLinkInfo.Top() + p.labelOSLinkInfo.Height());
    EXPECT_EQ(p.labelAccessLinkSP.Top(),
              p.LabelAccessMeldung.Top() + p.LabelAccessMeldung.Height());
    EXPECT_FALSE(p.labelAccessLinkInfo.Visible());
    EXPECT_TRUE(p.ImageStatusWarning.Visible());
    EXPECT_FALSE(p.ImageStatusOK.Visible());

    Click(p.labelAccessLinkSPLink);
    EXPECT_EQ(ui.openedUrls, std::vector<std::wstring>{L"http://127.0.0.1/sp"});
}

TEST_F(StartPageTest, WithoutAccessTheErrorPictureAndMailLinkShowAndTheHandIsOverTheLinkOnly) {
    UserControlStartPage& p = Check(L"page1-error");

    EXPECT_TRUE(form->buttonBeenden.Enabled());
    EXPECT_FALSE(p.LabelAccessMeldung.Font().bold);
    EXPECT_EQ(p.LabelAccessMeldung.Top(), p.ImageStatusError.Top());
    ExpectLinkOverWord(p.hwnd(), p.LabelAccessMeldung, p.LabelMailLink, L"bestellung@zelbar.de");
    // The pictures are drawn at their own size.
    for (const Picture* picture : {&p.ImageStatusOK, &p.ImageStatusWarning, &p.ImageStatusError}) {
        const RECT r = ScreenRect(*picture);
        EXPECT_EQ(r.right - r.left, picture->PictureSize().cx);
        EXPECT_EQ(picture->Visible(), picture == &p.ImageStatusError);
    }
    EXPECT_EQ(p.ImageStatusOK.PictureSize().cx, 48);
    // The message a mouse move over a label brings.
    const auto cursorOver = [](const Control& label) {
        ::SendMessageW(label.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label.hwnd()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    EXPECT_EQ(cursorOver(p.LabelMailLink), hand);
    EXPECT_NE(cursorOver(p.LabelAccessMeldung), hand);
    EXPECT_NE(cursorOver(p.Label1), hand);

    Click(p.LabelMailLink);
    EXPECT_EQ(ui.openedUrls, std::vector<std::wstring>{L"mailto:bestellung@zelbar.de"});
}
