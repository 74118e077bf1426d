// Page 3 under Wine, in the real wizard window: its real check boxes, and "Fertig
// stellen" with Wine's known folders, shell links and file moves, a file in use
// included. What the finishing work decides is tested on the host; shortcuts read
// back and the saved setting in the registry in the platform tests.
#include <gtest/gtest.h>

#include "TempFolder.h"

#include <memory>
#include <string>
#include <vector>

#include "app/MainForm_win.h"
#include "finish/UserControlShortcuts_win.h"
#include "platform/FileSystem_win.h"
#include "platform/Handles_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/OsInfo_win.h"
#include "platform/Shell_win.h"
#include "platform/Text.h"
#include "support/AccessRegistry.h"
#include "support/BlankPage_win.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

const wchar_t kTemp[] = L"temp_2026_12_5-10920\\";

// The wizard window with the real page 3, reached as page 2 leaves it: the
// installation folder, the temporary folder with the downloaded files, and
// the Access command line of page 1. Shortcut names are unique to the run.
class FinishPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring name = L"ZT" + Text::FromInt(::GetCurrentProcessId()) + L" Zelbar";
        desktopLink = shell.SpecialFolders(L"desktop") + L"\\" + name + L".lnk";
        menuFolder = shell.SpecialFolders(L"Programs") + L"\\" + name;
        ::CreateDirectoryW((temp / L"start").c_str(), nullptr);
        ::CreateDirectoryW(zelbar.c_str(), nullptr);
        ::CreateDirectoryW((zelbar + kTemp).c_str(), nullptr);
        ::CreateDirectoryW((zelbar + kTemp + L"Vorlagen").c_str(), nullptr);
        WriteBytes(zelbar + kTemp + L"ZelbarProg.mdb", "prog neu");
        WriteBytes(zelbar + kTemp + L"Zelbar.mdw", "mdw neu");
        WriteBytes(zelbar + kTemp + L"Vorlagen\\Brief.dot", "brief");
        ui.startFolder = temp / L"start";
        WriteBytes(temp / L"start\\settings.ini",
                   Text::EncodeCp1252(L"[GetFileSize]\r\nURL=http://127.0.0.1/size.php\r\n\r\n"
                                      L"[Shortcuts]\r\nDesktop=" +
                                      name + L"\r\nStartmenuFolder=" + name +
                                      L"\r\nStartmenuZelbar=Zelbar starten\r\n"
                                      L"StartmenuHistory=Versionshinweise\r\n"));
        Window::SetErrorReporter(
            [this](HWND, const std::wstring& text) { errors.push_back(text); });
    }
    void TearDown() override {
        form_.reset();
        Window::SetErrorReporter(nullptr);
        RemoveTree(desktopLink);
        RemoveTree(menuFolder);
    }

    MainForm& Page3() {
        form_ = std::make_unique<MainForm>(platform, [this](MainForm& form) {
            WizardPages pages;
            pages.startPage =
                std::make_unique<BlankStartPage>(form.hwnd(), MainForm::kStartPageRect, true);
            pages.downloadPage =
                std::make_unique<BlankDownloadPage>(form.hwnd(), MainForm::kDownloadPageRect, form);
            auto page = std::make_unique<UserControlShortcuts>(
                form.hwnd(), MainForm::kFinishPageRect, form, form.platform());
            page_ = page.get();
            pages.finishPage = std::move(page);
            return pages;
        });
        MainForm& form = *form_;
        form.SetQuitOnClose(false);
        form.Load();
        form.Show();
        form.SetAccessPath(AccessRegistry::OpenCommandFor(FixtureExe(L"fixture_access")));
        form.EnableButtonWeiter();
        Press(form.buttonWeiter);
        form.SetZelbarPath(zelbar);
        form.SetTempFolder(kTemp);
        form.EnableButtonWeiter();
        Press(form.buttonWeiter);
        return form;
    }
    void Press(const Control& control) {
        ::SendMessageW(control.hwnd(), BM_CLICK, 0, 0);
        PumpPendingMessages();
    }

    TempFolder temp;
    std::wstring zelbar = temp / L"Zelbar\\";
    PumpingFakeUi ui;
    WinFileSystem files;
    WinShell shell;
    WmiOsInfo os;
    Platform platform{files, shell, os, ui};
    std::wstring desktopLink, menuFolder;
    std::vector<std::wstring> errors;
    UserControlShortcuts* page_ = nullptr;
    std::unique_ptr<MainForm> form_;
};

TEST_F(FinishPageTest, FertigStellenWithTheRealBoxesFoldersShortcutsAndMoves) {
    WriteBytes(zelbar + L"ZelbarProg.mdb", "prog alt");
    WriteBytes(zelbar + L"Zelbar.mdw", "mdw alt");
    ::SetFileAttributesW((zelbar + L"Zelbar.mdw").c_str(), FILE_ATTRIBUTE_READONLY);
    MainForm& form = Page3();
    EXPECT_EQ(page_->CheckShortcutDesktop.Value(), CheckState::Checked);
    EXPECT_EQ(page_->CheckStartmenu.Value(), CheckState::Checked);
    EXPECT_EQ(page_->CheckSchnellstart.Value(), CheckState::Checked);
    EXPECT_FALSE(::IsWindowEnabled(page_->CheckSchnellstart.hwnd()));
    SaveScreenshot(form.hwnd(), L"page3");
    Press(page_->CheckStartmenu);
    UniqueFileHandle lock(::CreateFileW((zelbar + L"ZelbarProg.mdb").c_str(), GENERIC_READ, 0,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);

    // A file in use stops the move; the window tells so and stays for another press.
    Press(form.buttonWeiter);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(L"nicht ersetzt werden: " + zelbar + L"ZelbarProg.mdb"),
              std::wstring::npos)
        << Narrow(errors[0]);
    EXPECT_FALSE(form.Closed());
    EXPECT_EQ(ReadBytes(zelbar + kTemp + L"ZelbarProg.mdb"), "prog neu");
    lock.reset();

    Press(form.buttonWeiter);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarProg.mdb"), "prog neu");
    EXPECT_EQ(ReadBytes(zelbar + L"Zelbar.mdw"), "mdw neu");
    EXPECT_EQ(ReadBytes(zelbar + L"Vorlagen\\Brief.dot"), "brief");
    EXPECT_FALSE(PathExists(zelbar + kTemp));
    EXPECT_TRUE(PathExists(desktopLink));
    EXPECT_FALSE(PathExists(menuFolder));
}

}  // namespace
