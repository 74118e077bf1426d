// The wizard window with its real pages, and the folder chooser, as a user
// meets them: laid out anew when the screen's scale changes, and the order in
// which Tab walks the controls.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "TempFolder.h"

#include "app/MainForm_win.h"
#include "download/UserControlDownloadProgram_win.h"
#include "finish/UserControlShortcuts_win.h"
#include "folderchooser/OrdnerAuswahlDialog_win.h"
#include "platform/FileSystem_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/OsInfo_win.h"
#include "platform/Shell_win.h"
#include "platform/TransferControl_win.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"
#include "syscheck/UserControlStartPage_win.h"

namespace {
using namespace wintest;

struct Placement {
    RECT rect;        // in the parent's client area
    LONG fontHeight;  // 0: no font of its own
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
        (*reinterpret_cast<std::map<HWND, Placement>*>(param))[child] = {r,
                                                                         std::abs(font.lfHeight)};
        return TRUE;
    };
    ::EnumChildWindows(top, note, reinterpret_cast<LPARAM>(&layout));
    return layout;
}

// Tells the window that it now stands on a screen of 144 dpi, as Windows does,
// and expects every control at one and a half times its place and font size,
// give or take the pixels two roundings may cost.
void ExpectRelaidAt144Dpi(HWND top) {
    const auto before = Layout(top);
    ASSERT_GT(before.size(), 5u);
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
        EXPECT_NEAR(now.rect.bottom, was.rect.bottom * 1.5, 2);
        EXPECT_NEAR(now.fontHeight, was.fontHeight * 1.5, 1);
    }
}

class WindowLayoutTest : public ::testing::Test {
protected:
    WindowLayoutTest() {
        ui_.startFolder = temp_.path();
        WriteBytes(temp_ / L"settings.ini", "[GetFileSize]\r\nURL=http://127.0.0.1/size\r\n");
        form_.SetQuitOnClose(false);
        form_.Load();
        form_.Show();
        PumpPendingMessages();
    }

    // The captions Tab visits, starting at `from`, until it comes back there.
    std::vector<std::wstring> TabCycle(const Control& from) {
        std::vector<std::wstring> visited;
        HWND focus = from.hwnd();
        ::SetFocus(focus);
        do {
            visited.push_back(WindowText(focus));
            ::PostMessageW(focus, WM_KEYDOWN, VK_TAB, 0);
            PumpPendingMessages();
            focus = ::GetFocus();
        } while (focus != from.hwnd() && visited.size() < 10);
        return visited;
    }

    using Captions = std::vector<std::wstring>;
    TempFolder temp_;
    PumpingFakeUi ui_;
    WinFileSystem files_;
    WinShell shell_;
    WmiOsInfo os_;
    Platform platform_{files_, shell_, os_, ui_};
    WinInetTransferControl inet_;
    MainForm form_{platform_, [this](MainForm& form) {
                       return WizardPages{
                           std::make_unique<UserControlStartPage>(
                               form.hwnd(), MainForm::kStartPageRect, form, platform_),
                           std::make_unique<UserControlDownloadProgram>(
                               form.hwnd(), MainForm::kDownloadPageRect, form, platform_, inet_),
                           std::make_unique<UserControlShortcuts>(
                               form.hwnd(), MainForm::kFinishPageRect, form, platform_)};
                   }};
};

TEST_F(WindowLayoutTest, AScaleChangeLaysOutEveryControlOfEveryPageAndOfTheFolderChooser) {
    ExpectRelaidAt144Dpi(form_.hwnd());
    form_.SetZelbarPath(L"C:\\");
    OrdnerAuswahlDialog chooser(form_, platform_);
    ExpectRelaidAt144Dpi(chooser.hwnd());
}

TEST_F(WindowLayoutTest, TabWalksWeiterAbbrechenTheVisiblePageThenBeendenOnceShown) {
    EXPECT_EQ(TabCycle(form_.buttonAbbrechen), (Captions{L"Abbrechen", L"System prüfen"}));
    form_.EnableButtonWeiter();
    EXPECT_EQ(TabCycle(form_.buttonWeiter), (Captions{L"Weiter", L"Abbrechen", L"System prüfen"}));

    // As after a failed check; "Abbrechen" enabled again only to show where "Beenden" comes.
    form_.buttonWeiter.SetEnabled(false);
    form_.EnableButtonBeenden();
    form_.buttonAbbrechen.SetEnabled(true);
    EXPECT_EQ(TabCycle(form_.buttonAbbrechen),
              (Captions{L"Abbrechen", L"System prüfen", L"Beenden"}));
}

TEST_F(WindowLayoutTest, TabSkipsTheHiddenPages) {
    form_.EnableButtonWeiter();
    ::SendMessageW(form_.buttonWeiter.hwnd(), BM_CLICK, 0, 0);
    PumpPendingMessages();
    EXPECT_EQ(TabCycle(form_.buttonAbbrechen),
              (Captions{L"Abbrechen", L"Verzeichnis wechseln", L"Dateien herunterladen"}));
}

}  // namespace
