// Page 1's system check on the host: a real settings.ini in a temporary start
// folder, a registry and program-file versions held by fakes, and a page that
// only records what it was given to show.
#include "syscheck/Systempruefung.h"

#include <gtest/gtest.h>

#include <functional>

#include "FakeAccessMachine.h"
#include "FakeUi.h"
#include "FakeWizardHost.h"
#include "TempFolder.h"

namespace {

const wchar_t kExe[] = L"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE";
const std::wstring kCommand = L"\"" + std::wstring(kExe) + L"\" /NOSTARTUP \"%1\"";
const wchar_t kOs[] = L"osVer_10.0.19045";
const wchar_t kAccess[] = L"accessVer_11.0.6566.0";
const std::wstring kNotFinished = L"Die Systemprüfung kann nicht abgeschlossen werden.";

struct Section {
    std::wstring name, meldung, linkInfo, linkSP, icon;
};

// One wizard run on one machine: the check runs against it once.
struct Machine {
    TempFolder tmp;
    FakeUi ui{tmp.wpath()};
    VersionedFileSystem fs;
    FakeRegistryShell shell;
    FixedOsInfo os;
    Platform platform{fs, shell, os, ui};
    FakeWizardHost host{fs};
    std::vector<Pruefergebnis> shown;
    Systempruefung::ShowFn show = [this](const Pruefergebnis& r) { shown.push_back(r); };

    void WriteSettings(const std::vector<Section>& sections,
                       const std::wstring& firstSupported = L"Access.Application.9") {
        std::vector<std::wstring> lines{L"[SupportedAccessVersions]", firstSupported + L"=Access",
                                        L"Access.Application.11=Access 2003"};
        for (const Section& s : sections) {
            lines.insert(lines.end(),
                         {L"", L"[" + s.name + L"]", L"Meldung=" + s.meldung, L"Icon=" + s.icon,
                          L"LinkInfo=" + s.linkInfo, L"LinkSP=" + s.linkSP});
        }
        tmp.WriteLines("settings.ini", lines);
    }
    void InstallAccess() {
        shell.Register(L"Access.Application.11", kCommand);
        fs.versions[kExe] = L"11.0.6566.0";
    }
    const Pruefergebnis& Run() {
        Systempruefung(host, platform).Run(show);
        EXPECT_EQ(shown.size(), 1u);
        static const Pruefergebnis nothing;
        return shown.empty() ? nothing : shown.back();
    }
    void ExpectOnlyBeenden() const {
        EXPECT_EQ(host.beendenEnabled, 1);
        EXPECT_EQ(host.weiterEnabled, 0);
        EXPECT_EQ(host.accessPath, L"");
    }
};

// A line as the page shows it: "text [target|word]", "text ?" for markup it
// shows as written, "-" for a hidden line.
std::wstring Shown(const std::optional<LinkMarkup>& line) {
    if (!line) return L"-";
    return line->text + (line->found ? L" [" + line->target + L"|" + line->linkText + L"]" : L" ?");
}

}  // namespace

TEST(SystempruefungTest, WithoutSupportedAccessReasonAndCdOfferWithMailLinkLeaveOnlyBeenden) {
    const std::wstring offer =
        L"Sie können Zelbar jedoch auch kostenlos auf CD anfordern - E-Mail genügt: "
        L"bestellung@zelbar.de";
    for (const bool older : {false, true}) {
        Machine m;
        m.WriteSettings({{kOs, L"Windows", L"", L"", L"OK"}});
        if (older) m.shell.defaults[L"Access.Application.8"] = L"Access 97";

        const Pruefergebnis& r = m.Run();
        ASSERT_TRUE(r.accessMissing);
        EXPECT_EQ(r.accessMissing->text,
                  (older ? L"Ihre MS-Access Version ist zu alt und wird von Zelbar nicht "
                           L"unterstützt. "
                         : L"Sie haben auf Ihrem System kein MS-Access installiert. ") +
                      offer);
        EXPECT_EQ(Shown(r.accessMissing),
                  r.accessMissing->text + L" [mailto:bestellung@zelbar.de|bestellung@zelbar.de]");
        EXPECT_EQ(r.icon, StatusIcon::Error);
        EXPECT_TRUE(r.blocks.empty());
        m.ExpectOnlyBeenden();
        EXPECT_TRUE(m.ui.messages.empty());
    }
}

TEST(SystempruefungTest, BlocksComeInTheOrderTheirSectionsAreNamedAndLetTheWizardGoOn) {
    const Section os{kOs, L"Windows <b>a#EQUAL#b</b>", L"Infos <a href#EQUAL#http://x/os>hier</a>",
                     L"Service Pack: <a href#EQUAL#sp.exe>installieren</a>", L"OK"};
    const Section access{kAccess, L"Access 2003", L"<a href#EQUAL#leer></a> ",
                         L"Service Pack <a href#EQUAL#sp3.exe>laden", L"Warning"};
    const Section other{L"accessVer_12.0", L"fremd", L"", L"", L"OK"};
    for (const bool osFirst : {true, false}) {
        Machine m;
        m.InstallAccess();
        m.WriteSettings(osFirst ? std::vector<Section>{os, other, access}
                                : std::vector<Section>{access, other, os});

        const Pruefergebnis& r = m.Run();
        ASSERT_EQ(r.blocks.size(), 2u);
        const MessageBlock& osBlock = r.blocks[osFirst ? 0 : 1];
        const MessageBlock& accessBlock = r.blocks[osFirst ? 1 : 0];
        EXPECT_EQ(osBlock.kind, MessageBlock::Kind::OperatingSystem);
        EXPECT_EQ(accessBlock.kind, MessageBlock::Kind::Access);
        // The message is shown as read, markup and all.
        EXPECT_EQ(osBlock.message, L"Windows <b>a#EQUAL#b</b>");
        EXPECT_EQ(Shown(osBlock.info), L"Infos hier [http://x/os|hier]");
        EXPECT_EQ(Shown(osBlock.sp), L"Service Pack: installieren [sp.exe|installieren]");
        EXPECT_EQ(accessBlock.message, L"Access 2003");
        // Nothing left to read but blanks: the line stays hidden.
        EXPECT_EQ(Shown(accessBlock.info), L"-");
        EXPECT_EQ(Shown(accessBlock.sp), L"Service Pack <a href=sp3.exe>laden ?");
        // A warning wins over OK whatever the order.
        EXPECT_EQ(r.icon, StatusIcon::Warning);
        EXPECT_FALSE(r.accessMissing);
        EXPECT_EQ(m.host.accessPath, kCommand);
        EXPECT_EQ(m.host.weiterEnabled, 1);
        EXPECT_EQ(m.host.beendenEnabled, 0);
        EXPECT_TRUE(m.ui.messages.empty());
    }
}

TEST(SystempruefungTest, IconIsTheStrongestTheMatchedSectionsAskFor) {
    struct Case {
        const wchar_t* osIcon;
        const wchar_t* accessIcon;  // nullptr: no Access section
        StatusIcon shown;
    };
    for (const Case& c :
         {Case{L"Info", L"OK", StatusIcon::OK}, Case{L" WARNING ", L"OK", StatusIcon::Warning},
          Case{L" ok ", nullptr, StatusIcon::OK}, Case{L"Info", L"", StatusIcon::None}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.osIcon)));
        Machine m;
        m.InstallAccess();
        std::vector<Section> sections{{kOs, L"Windows", L"", L"", c.osIcon}};
        if (c.accessIcon) sections.push_back({kAccess, L"Access", L"", L"", c.accessIcon});
        m.WriteSettings(sections);
        EXPECT_EQ(m.Run().icon, c.shown);
    }
}

TEST(SystempruefungTest, SectionsMustNameTheExactVersionsOtherwiseNothingShowsButWeiter) {
    Machine m;
    m.InstallAccess();
    m.WriteSettings({{L"OsVer_10.0.19045", L"Groß", L"Info", L"SP", L"OK"},
                     {L"osVer_10.0.19044", L"Ziffer", L"", L"", L"OK"},
                     {L"accessVer_11.0.6566", L"Zu kurz", L"", L"", L"Warning"}});
    const Pruefergebnis& r = m.Run();
    EXPECT_TRUE(r.blocks.empty());
    EXPECT_EQ(r.icon, StatusIcon::None);
    EXPECT_EQ(m.host.accessPath, kCommand);
    EXPECT_EQ(m.host.weiterEnabled, 1);
}

TEST(SystempruefungTest, StepThatFailsIsToldInGermanAndLeavesOnlyBeenden) {
    const std::wstring iniUnreadable = L"Die ini-Datei kann nicht gelesen werden. " + kNotFinished;
    const std::wstring iniBroken =
        L"Die ini-Datei wurde verändert und kann nicht mehr gelesen werden.";
    struct Case {
        const char* name;
        std::function<void(Machine&)> arrange;
        std::function<std::wstring(const Machine&)> message;
        bool shown = false;
    };
    const auto locked = [](const Machine& m) {
        return L"\r\n\r\ngesperrt: " + m.ui.startFolder + L"\\settings.ini";
    };
    const std::vector<Case> cases = {
        {"settings file missing", [](Machine& m) { m.InstallAccess(); },
         [&](const Machine&) { return iniUnreadable + L"\r\n\r\n"; }},
        {"sections unreadable",
         [](Machine& m) {
             m.WriteSettings({});
             m.InstallAccess();
             m.fs.opensBeforeFailure = 1;
         },
         [&](const Machine& m) { return iniUnreadable + locked(m); }},
        {"section unreadable",
         [](Machine& m) {
             m.WriteSettings({{kOs, L"Windows", L"", L"", L"OK"}});
             m.InstallAccess();
             m.fs.opensBeforeFailure = 2;
         },
         [&](const Machine& m) { return iniUnreadable + locked(m); }},
        {"section named twice",
         [](Machine& m) {
             m.WriteSettings({{kOs, L"eins", L"", L"", L"OK"},
                              {L"OSVER_10.0.19045", L"zwei", L"", L"", L"OK"}});
             m.InstallAccess();
         },
         [&](const Machine&) { return iniBroken + L"\r\n\r\n"; }},
        {"first supported version without number",
         [](Machine& m) { m.WriteSettings({}, L"Access.Application.neun"); },
         [&](const Machine&) { return iniBroken; }},
        {"WMI fails",
         [](Machine& m) {
             m.WriteSettings({});
             m.InstallAccess();
             m.os.fails = true;
         },
         [](const Machine&) {
             return L"Die Version des Betriebssystems konnte nicht ermittelt werden. " +
                    kNotFinished + L"\r\n\r\nDie WMI-Abfrage ist fehlgeschlagen.";
         }},
        {"Access program file without version",
         [](Machine& m) {
             m.WriteSettings({});
             m.shell.Register(L"Access.Application.11", kCommand);
         },
         [](const Machine&) {
             return L"Die Version von MS-Access konnte nicht ermittelt werden. " + kNotFinished +
                    L"\r\n\r\nkeine Datei " + kExe;
         }},
        {"page cannot show it",
         [](Machine& m) {
             m.WriteSettings({});
             m.InstallAccess();
             m.show = [&m](const Pruefergebnis& r) {
                 m.shown.push_back(r);
                 throw PlatformError(5, L"Der Text konnte nicht vermessen werden: x");
             };
         },
         [](const Machine&) {
             return std::wstring(
                 L"Bei der Systemprüfung ist ein Fehler aufgetreten.\r\n\r\nDer "
                 L"Text konnte nicht vermessen werden: x");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        c.arrange(m);
        Systempruefung(m.host, m.platform).Run(m.show);
        EXPECT_EQ(m.shown.size(), c.shown ? 1u : 0u);
        ASSERT_EQ(m.ui.messages.size(), 1u);
        // Where the detail comes from the file system or the settings reader,
        // only its start is ours.
        const std::wstring expected = c.message(m);
        const std::wstring& text = m.ui.messages[0].text;
        if (Text::EndsWith(expected, L"\r\n\r\n")) {
            EXPECT_EQ(text.substr(0, expected.size()), expected);
            EXPECT_GT(text.size(), expected.size());
        } else {
            EXPECT_EQ(text, expected);
        }
        EXPECT_EQ(m.ui.messages[0].style, MsgCritical);
        m.ExpectOnlyBeenden();
    }
}
