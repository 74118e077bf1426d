// Page 3 under Wine, inside the real wizard window: the check boxes, "Fertig
// stellen" with Wine's shell links (read back with IShellLinkW), its known
// folders, file moves and registry, the quick-start page opened through a
// file association, "Abbrechen", and a file in use during the final move.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FixedOsInfo.h"
#include "app/BlankPage_win.h"
#include "app/MainForm_win.h"
#include "finish/UserControlShortcuts_win.h"
#include "platform/FileSystem_win.h"
#include "platform/Handles_win.h"
#include "platform/MessageLoop_win.h"
#include "platform/Shell_win.h"
#include "platform/Text.h"
#include "platform/Ui_win.h"
#include "support/AccessRegistry.h"
#include "support/PumpingFakeUi.h"
#include "support/TestSupport.h"

// Not <shlobj.h>: its shell FolderItem would clash with the file system's.
#include <shobjidl.h>

using namespace wintest;

namespace {

const wchar_t kTemp[] = L"temp_2026_12_5-10920\\";
const wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\Zelbar-Setup";
const wchar_t kNoticeStart[] = L"Bitte starten Sie Zelbar beim 1. Mal unbedingt als Administrator:";

// Message boxes scripted, the saved setting into Wine's registry.
class RegistryUi : public PumpingFakeUi {
public:
    void SaveSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override {
        WinUi().SaveSetting(app, section, key, value);
    }
};

struct Link {
    std::wstring target;
    std::wstring arguments;
};

Link ReadLink(const std::wstring& path) {
    ComInit com;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
        FAILED(file->Load(path.c_str(), STGM_READ))) {
        ADD_FAILURE() << "cannot read the shortcut " << Narrow(path);
        return {};
    }
    wchar_t target[MAX_PATH] = {};
    wchar_t arguments[1024] = {};
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, 1024);
    return {target, arguments};
}

std::wstring ReadRegistryText(HKEY root, const std::wstring& key, const std::wstring& value) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer;
    if (::RegGetValueW(root, key.c_str(), value.empty() ? nullptr : value.c_str(), RRF_RT_REG_SZ,
                       nullptr, buffer, &bytes) != ERROR_SUCCESS) {
        return L"(fehlt)";
    }
    return buffer;
}

bool FolderIsEmpty(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!find) return false;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") return false;
    } while (::FindNextFileW(find.get(), &found));
    return true;
}

// The wizard window with the real page 3, brought to page 3 as page 2 leaves
// it: installation folder, temporary folder with the downloaded files, the
// Access command line of page 1. Desktop shortcut and start-menu folder get
// names of this test run; ".html" opens with a program that records the
// document it was given.
class FinishPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring run = L"ZT" + Text::FromInt(::GetCurrentProcessId());
        desktopName = run + L" Zelbar";
        menuName = run + L" Zelbar";
        desktopLink = shell.SpecialFolders(L"desktop") + L"\\" + desktopName + L".lnk";
        menuFolder = shell.SpecialFolders(L"Programs") + L"\\" + menuName;
        zelbar = temp / L"Zelbar\\";
        tempPath = zelbar + kTemp;
        ::CreateDirectoryW((temp / L"start").c_str(), nullptr);
        ::CreateDirectoryW(zelbar.c_str(), nullptr);
        ::CreateDirectoryW(tempPath.c_str(), nullptr);
        ui.startFolder = temp / L"start";
        WriteSettings(desktopName, menuName,
                      {L"Zelbar starten", L"Zelbar aktualisieren", L"Zelbar Anmeldung",
                       L"Versionshinweise", L"Schnellstart"});
        RegisterQuickStartRecorder();
        Window::SetErrorReporter(
            [this](HWND, const std::wstring& text) { errors.push_back(text); });
    }

    void TearDown() override {
        form_.reset();
        Window::SetErrorReporter(nullptr);
        RestoreHtmlAssociation();
        RegDeleteTree(L"HKCU\\" + std::wstring(kSettingsKey));
        RemoveTree(desktopLink);
        RemoveTree(menuFolder);
    }

    void WriteSettings(const std::wstring& desktop, const std::wstring& folder,
                       const std::vector<std::wstring>& entries) {
        static const wchar_t* const kKeys[] = {L"StartmenuZelbar", L"StartmenuUpdate",
                                               L"StartmenuAnmeldung", L"StartmenuHistory",
                                               L"StartmenuSchnellstart"};
        std::wstring text =
            L"[GetFileSize]\r\nURL=http://127.0.0.1/size.php\r\n\r\n[Shortcuts]\r\n";
        // An empty value would not pass the start-up check; a name is left
        // empty by leaving its key out.
        const auto line = [&text](const std::wstring& key, const std::wstring& value) {
            if (!value.empty()) text += key + L"=" + value + L"\r\n";
        };
        line(L"Desktop", desktop);
        line(L"StartmenuFolder", folder);
        for (size_t i = 0; i < 5; ++i) line(kKeys[i], entries[i]);
        WriteBytes(temp / L"start\\settings.ini", Text::EncodeCp1252(text));
    }

    void RegisterQuickStartRecorder() {
        oldHtml_ = ReadRegistryText(HKEY_CLASSES_ROOT, L".html", L"");
        const std::wstring progId = L"ZelbarTest.Schnellstart";
        RegAdd(L"HKCR\\" + progId + L"\\shell\\open\\command", L"",
               QuoteArgument(FixtureExe(L"exit_with")) + L" 0 0 " + QuoteArgument(opened()) +
                   L" \"%1\"");
        RegAdd(L"HKCR\\.html", L"", progId);
    }
    void RestoreHtmlAssociation() {
        if (oldHtml_ == L"(fehlt)") {
            RegDeleteTree(L"HKCR\\.html");
        } else {
            RegAdd(L"HKCR\\.html", L"", oldHtml_);
        }
        RegDeleteTree(L"HKCR\\ZelbarTest.Schnellstart");
    }
    std::wstring opened() const { return temp / L"geöffnet.txt"; }
    // The document the quick-start program was started with, once it has run.
    std::wstring OpenedDocument() const {
        for (int i = 0; i < 300 && !PathExists(opened()); ++i) ::Sleep(50);
        if (!PathExists(opened())) return L"(nicht geöffnet)";
        ::Sleep(100);
        const std::wstring lines = Text::FromUtf8(ReadBytes(opened()));
        return lines.substr(lines.find(L'\n', lines.find(L'\n') + 1) + 1);
    }

    void Downloaded(const std::wstring& relative, const std::string& bytes) {
        const std::wstring path = tempPath + relative;
        for (auto slash = relative.find(L'\\'); slash != std::wstring::npos;
             slash = relative.find(L'\\', slash + 1)) {
            ::CreateDirectoryW((tempPath + relative.substr(0, slash)).c_str(), nullptr);
        }
        WriteBytes(path, bytes);
    }
    void DownloadedProduct() {
        Downloaded(L"ZelbarProg.mdb", "prog neu");
        Downloaded(L"Zelbar.mdw", "mdw");
        Downloaded(L"Schnellstart.html", "<html>Schnellstart</html>");
        Downloaded(L"ZelbarData_2026_12_5-10920.mdb", "daten kopie");
        Downloaded(L"settings.ini", "[GetFileSize]");
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
        Press(form[L"buttonWeiter"]);
        form.SetZelbarPath(zelbar);
        form.SetTempFolder(kTemp);
        form.EnableButtonWeiter();
        Press(form[L"buttonWeiter"]);
        EXPECT_TRUE(page_->Visible());
        EXPECT_EQ(form[L"buttonWeiter"].Caption(), L"Fertig stellen");
        return form;
    }
    void Press(const Control& control) {
        ::SendMessageW(control.hwnd(), BM_CLICK, 0, 0);
        PumpPendingMessages();
    }
    void PressFinish() { Press((*form_)[L"buttonWeiter"]); }
    Control& Box(const wchar_t* name) { return (*page_)[name]; }
    bool NoticeShown() const {
        return !ui.messages.empty() && ui.messages.back().text.rfind(kNoticeStart, 0) == 0;
    }

    TempFolder temp;
    RegistryUi ui;
    WinFileSystem files;
    WinShell shell;
    FixedOsInfo os;
    Platform platform{files, shell, os, ui};
    std::wstring desktopName, menuName, desktopLink, menuFolder, zelbar, tempPath;
    std::vector<std::wstring> errors;
    UserControlShortcuts* page_ = nullptr;

private:
    std::unique_ptr<MainForm> form_;
    std::wstring oldHtml_;
};

TEST_F(FinishPageTest, PageShowsHeadingFrameAndThreeChosenBoxesWithQuickStartFixed) {
    Page3();
    const Control& heading = (*page_)[L"Label3"];
    EXPECT_EQ(heading.Caption(), L"Abschließende Einstellungen");
    EXPECT_EQ(heading.Font().face, L"MS Sans Serif");
    EXPECT_DOUBLE_EQ(heading.Font().points, 8.25);
    EXPECT_TRUE(heading.Font().bold);
    EXPECT_EQ((*page_)[L"Shape2"].kind(), ControlKind::Frame);
    EXPECT_EQ(Box(L"CheckShortcutDesktop").Caption(), L"Verknüpfung auf dem Desktop anlegen");
    EXPECT_EQ(Box(L"CheckStartmenu").Caption(), L"Menüeintrage dem Startmenü hinzufügen");
    EXPECT_EQ(Box(L"CheckSchnellstart").Caption(), L"Schnellstart.html anzeigen");
    for (const wchar_t* box : {L"CheckShortcutDesktop", L"CheckStartmenu", L"CheckSchnellstart"}) {
        EXPECT_EQ(Box(box).Value(), 1) << Narrow(box);
    }
    EXPECT_TRUE(Box(L"CheckShortcutDesktop").Enabled());
    EXPECT_TRUE(Box(L"CheckStartmenu").Enabled());
    EXPECT_FALSE(Box(L"CheckSchnellstart").Enabled());
    EXPECT_FALSE(::IsWindowEnabled(Box(L"CheckSchnellstart").hwnd()));

    // The tab order runs desktop, start menu; the disabled box takes no focus.
    ::SetFocus(Box(L"CheckShortcutDesktop").hwnd());
    EXPECT_EQ(::GetNextDlgTabItem(page_->hwnd(), Box(L"CheckShortcutDesktop").hwnd(), FALSE),
              Box(L"CheckStartmenu").hwnd());
    SaveScreenshot(::GetAncestor(page_->hwnd(), GA_ROOT), L"page3");
}

TEST_F(FinishPageTest, FinishSavesFolderMakesAllShortcutsMovesFilesAndOpensQuickStart) {
    DownloadedProduct();
    Downloaded(L"Hilfe\\Bilder\\start.png", "png");
    WriteBytes(zelbar + L"ZelbarData.mdb", "daten");
    Page3();

    PressFinish();

    EXPECT_TRUE(errors.empty()) << Narrow(errors.empty() ? L"" : errors[0]);
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, std::wstring(kSettingsKey) + L"\\Optionen",
                               L"ZelbarPath"),
              zelbar);
    const std::wstring access = FixtureExe(L"fixture_access");
    const std::wstring start =
        L"\"" + zelbar + L"ZelbarProg.mdb\" /wrkgrp \"" + zelbar + L"Zelbar.mdw\" /user UserZelbar";
    const Link desktop = ReadLink(desktopLink);
    EXPECT_TRUE(Text::EqualsNoCase(desktop.target, access)) << Narrow(desktop.target);
    EXPECT_EQ(desktop.arguments, start);
    const Link program = ReadLink(menuFolder + L"\\Zelbar starten.lnk");
    EXPECT_TRUE(Text::EqualsNoCase(program.target, access)) << Narrow(program.target);
    EXPECT_EQ(program.arguments, start);
    const std::pair<const wchar_t*, const wchar_t*> files[] = {
        {L"Zelbar aktualisieren", L"Update.exe"},
        {L"Zelbar Anmeldung", L"Zelbar Anmeldung.xls"},
        {L"Versionshinweise", L"History.txt"},
        {L"Schnellstart", L"Schnellstart.html"}};
    for (const auto& [name, file] : files) {
        const Link link = ReadLink(menuFolder + L"\\" + name + L".lnk");
        EXPECT_TRUE(Text::EqualsNoCase(link.target, zelbar + file)) << Narrow(link.target);
        EXPECT_EQ(link.arguments, L"");
    }

    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarProg.mdb"), "prog neu");
    EXPECT_EQ(ReadBytes(zelbar + L"Hilfe\\Bilder\\start.png"), "png");
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarData.mdb"), "daten");
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarData_2026_12_5-10920.mdb"), "daten kopie");
    EXPECT_FALSE(PathExists(tempPath));
    EXPECT_TRUE(Text::EqualsNoCase(OpenedDocument(), zelbar + L"Schnellstart.html\n"));
    EXPECT_TRUE(NoticeShown());
}

TEST_F(FinishPageTest, BothVisibleOptionsClearedLeaveOnlySettingMoveAndQuickStart) {
    DownloadedProduct();
    Page3();
    Press(Box(L"CheckShortcutDesktop"));
    Press(Box(L"CheckStartmenu"));

    PressFinish();

    EXPECT_FALSE(PathExists(desktopLink));
    EXPECT_FALSE(PathExists(menuFolder));
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, std::wstring(kSettingsKey) + L"\\Optionen",
                               L"ZelbarPath"),
              zelbar);
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarProg.mdb"), "prog neu");
    EXPECT_FALSE(PathExists(tempPath));
    EXPECT_TRUE(Text::EqualsNoCase(OpenedDocument(), zelbar + L"Schnellstart.html\n"));
}

TEST_F(FinishPageTest, EmptyDesktopNameAndEmptyStartMenuFolderMakeNoShortcuts) {
    WriteSettings(L"", L"", {L"Zelbar starten", L"Update", L"Anmeldung", L"History", L"Start"});
    DownloadedProduct();
    Page3();

    PressFinish();

    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(PathExists(desktopLink));
    // With no folder name the entries go nowhere, not into the programs folder itself.
    EXPECT_FALSE(PathExists(shell.SpecialFolders(L"Programs") + L"\\Zelbar starten.lnk"));
    EXPECT_FALSE(PathExists(menuFolder));
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarProg.mdb"), "prog neu");
}

TEST_F(FinishPageTest, StartMenuFolderWithoutEntryNamesIsCreatedAndStaysEmpty) {
    WriteSettings(desktopName, menuName + L"\\Zelbar 11", {L"", L"", L"", L"", L""});
    DownloadedProduct();
    Page3();

    PressFinish();

    EXPECT_TRUE(errors.empty()) << Narrow(errors.empty() ? L"" : errors[0]);
    EXPECT_TRUE(FolderIsEmpty(menuFolder + L"\\Zelbar 11"));
    EXPECT_TRUE(PathExists(desktopLink));
}

TEST_F(FinishPageTest, ExistingStartMenuFolderIsReusedAndOldShortcutsAreReplaced) {
    ::CreateDirectoryW(menuFolder.c_str(), nullptr);
    for (const std::wstring& old : {menuFolder + L"\\Versionshinweise.lnk", desktopLink}) {
        auto link = shell.CreateShortcut(old);
        link->TargetPath = L"C:\\Alt\\Zelbar\\History.txt";
        link->Arguments = L"/alt";
        link->Save();
    }
    WriteBytes(menuFolder + L"\\Eigene Notiz.txt", "bleibt");
    DownloadedProduct();
    Page3();

    PressFinish();

    EXPECT_TRUE(errors.empty()) << Narrow(errors.empty() ? L"" : errors[0]);
    const Link history = ReadLink(menuFolder + L"\\Versionshinweise.lnk");
    EXPECT_TRUE(Text::EqualsNoCase(history.target, zelbar + L"History.txt"))
        << Narrow(history.target);
    EXPECT_EQ(history.arguments, L"");
    EXPECT_TRUE(Text::EqualsNoCase(ReadLink(desktopLink).target, FixtureExe(L"fixture_access")));
    EXPECT_EQ(ReadBytes(menuFolder + L"\\Eigene Notiz.txt"), "bleibt");
}

TEST_F(FinishPageTest, FilesInBothFoldersTakeTheDownloadedVersionAndSubfoldersUnite) {
    DownloadedProduct();
    Downloaded(L"Vorlagen\\Brief.dot", "brief neu");
    Downloaded(L"Vorlagen\\Fax.dot", "fax");
    WriteBytes(zelbar + L"ZelbarProg.mdb", "prog alt");
    ::SetFileAttributesW((zelbar + L"ZelbarProg.mdb").c_str(), FILE_ATTRIBUTE_READONLY);
    ::CreateDirectoryW((zelbar + L"Vorlagen").c_str(), nullptr);
    WriteBytes(zelbar + L"Vorlagen\\Brief.dot", "brief alt");
    WriteBytes(zelbar + L"Vorlagen\\Eigene.dot", "eigene");
    Page3();

    PressFinish();

    EXPECT_TRUE(errors.empty()) << Narrow(errors.empty() ? L"" : errors[0]);
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarProg.mdb"), "prog neu");
    EXPECT_EQ(ReadBytes(zelbar + L"Vorlagen\\Brief.dot"), "brief neu");
    EXPECT_EQ(ReadBytes(zelbar + L"Vorlagen\\Fax.dot"), "fax");
    EXPECT_EQ(ReadBytes(zelbar + L"Vorlagen\\Eigene.dot"), "eigene");
    EXPECT_FALSE(PathExists(tempPath));
}

TEST_F(FinishPageTest, GoneTempFolderAndMissingQuickStartPageStillFinishWithoutError) {
    RemoveTree(tempPath);
    WriteBytes(zelbar + L"ZelbarProg.mdb", "prog vorhanden");
    Page3();

    PressFinish();

    EXPECT_TRUE(errors.empty()) << Narrow(errors.empty() ? L"" : errors[0]);
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarProg.mdb"), "prog vorhanden");
    EXPECT_TRUE(PathExists(desktopLink));
    EXPECT_TRUE(NoticeShown());
    EXPECT_FALSE(PathExists(opened()));
}

TEST_F(FinishPageTest, AbbrechenOnPage3RemovesTheTempFolderAndOtherwiseChangesNothing) {
    DownloadedProduct();
    WriteBytes(zelbar + L"ZelbarData.mdb", "daten");
    MainForm& form = Page3();
    ui.msgBoxAnswers = {MsgBoxResult::No, MsgBoxResult::Yes};

    Press(form[L"buttonAbbrechen"]);
    EXPECT_TRUE(PathExists(tempPath + L"ZelbarProg.mdb"));
    EXPECT_FALSE(form.Closed());

    Press(form[L"buttonAbbrechen"]);
    EXPECT_TRUE(form.Closed());
    EXPECT_FALSE(PathExists(tempPath));
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarData.mdb"), "daten");
    EXPECT_FALSE(PathExists(desktopLink));
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, std::wstring(kSettingsKey) + L"\\Optionen",
                               L"ZelbarPath"),
              L"(fehlt)");

    // Without a temporary folder the cancel finds nothing to remove.
    page_ = nullptr;
    RemoveTree(tempPath);
    MainForm& again = Page3();
    ui.msgBoxAnswers = {MsgBoxResult::Yes};
    Press(again[L"buttonAbbrechen"]);
    EXPECT_TRUE(again.Closed());
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarData.mdb"), "daten");
}

TEST_F(FinishPageTest, FileInUseStopsTheMoveWithMessageAndSecondPressCompletes) {
    DownloadedProduct();
    WriteBytes(zelbar + L"ZelbarProg.mdb", "prog alt");
    MainForm& form = Page3();
    UniqueFileHandle lock(::CreateFileW((zelbar + L"ZelbarProg.mdb").c_str(), GENERIC_READ, 0,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);

    PressFinish();

    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(L"Die Installation konnte nicht fertiggestellt werden."),
              std::wstring::npos);
    EXPECT_NE(errors[0].find(L"nicht ersetzt werden: " + zelbar + L"ZelbarProg.mdb"),
              std::wstring::npos)
        << Narrow(errors[0]);
    EXPECT_NE(errors[0].find(L"erneut auf \u201eFertig stellen\u201c"), std::wstring::npos);
    EXPECT_FALSE(form.Closed());
    EXPECT_TRUE(page_->Visible());
    EXPECT_FALSE(NoticeShown());
    EXPECT_EQ(ReadBytes(tempPath + L"ZelbarProg.mdb"), "prog neu");
    lock.reset();
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarProg.mdb"), "prog alt");

    PressFinish();

    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(ReadBytes(zelbar + L"ZelbarProg.mdb"), "prog neu");
    EXPECT_EQ(ReadBytes(zelbar + L"Zelbar.mdw"), "mdw");
    EXPECT_FALSE(PathExists(tempPath));
    EXPECT_TRUE(PathExists(desktopLink));
    EXPECT_TRUE(NoticeShown());
}

}  // namespace
