#include "syscheck/Systempruefung.h"

#include <gtest/gtest.h>

#include <functional>

#include "FakeAccessMachine.h"
#include "FakeWizardHost.h"

namespace {

const wchar_t kExe[] = L"C:\\Programme\\Microsoft Office\\OFFICE11\\MSACCESS.EXE";
const std::wstring kCommand = L"\"" + std::wstring(kExe) + L"\" /NOSTARTUP \"%1\"";
const wchar_t kOs[] = L"osVer_10.0.19045";
const wchar_t kAccess[] = L"accessVer_11.0.6566.0";

struct Section {
    std::wstring name, meldung, linkInfo, linkSP, icon;
};

// One wizard run on a machine with Access 2003 installed.
struct Machine : FakeAccessMachine {
    Machine() {
        shell.Register(L"Access.Application.11", kCommand);
        fs.versions[kExe] = L"11.0.6566.0";
    }
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
    // What the page was given to show; throws when it was given nothing.
    const Pruefergebnis& Run() {
        Systempruefung(host, platform).Run(show);
        return shown.at(0);
    }
    // What the wizard window was told: "Weiter: <Access path>" or "Beenden".
    std::wstring Told() const {
        if (host.weiterEnabled + host.beendenEnabled != 1) return L"?";
        return host.weiterEnabled ? L"Weiter: " + host.accessPath : L"Beenden" + host.accessPath;
    }

    FakeWizardHost host{fs};
    std::vector<Pruefergebnis> shown;
    Systempruefung::ShowFn show = [this](const Pruefergebnis& r) { shown.push_back(r); };
};

// A line as the page shows it: "text [target|the words at the link's start]",
// "text ?" for markup shown as written, "-" for a hidden line.
std::wstring Shown(const std::optional<LinkMarkup>& line) {
    if (!line) return L"-";
    const std::wstring words = line->text.substr(line->linkStart, line->linkText.size());
    return line->text + (line->found ? L" [" + line->target + L"|" + words + L"]" : L" ?");
}

}  // namespace

TEST(SystempruefungTest, WithoutSupportedAccessReasonAndCdOfferWithMailLinkLeaveOnlyBeenden) {
    for (const bool older : {false, true}) {
        Machine m;
        m.shell.defaults.clear();
        if (older) m.shell.defaults[L"Access.Application.8"] = L"Access 97";
        m.WriteSettings({{kOs, L"Windows", L"", L"", L"OK"}});

        const Pruefergebnis& r = m.Run();
        EXPECT_EQ(Shown(r.accessMissing),
                  (older ? L"Ihre MS-Access Version ist zu alt und wird von Zelbar nicht "
                           L"unterstützt. "
                         : L"Sie haben auf Ihrem System kein MS-Access installiert. ") +
                      std::wstring(L"Sie können Zelbar jedoch auch kostenlos auf CD anfordern - "
                                   L"E-Mail genügt: bestellung@zelbar.de "
                                   L"[mailto:bestellung@zelbar.de|bestellung@zelbar.de]"));
        EXPECT_EQ(r.icon, StatusIcon::Error);
        EXPECT_TRUE(r.blocks.empty());
        EXPECT_EQ(m.Told(), L"Beenden");
    }
}

TEST(SystempruefungTest, BlocksComeInTheOrderOfTheirSectionsWithTheirTextsAndLinksThenWeiter) {
    // Only the first link counts, in any letter case, and every copy of it is replaced.
    const Section os{kOs, L"Windows <b>a#EQUAL#b</b>",
                     L"Infos <A HREF#EQUAL#http://x/os?a#EQUAL#1>hier</A> <a href#EQUAL#y>zwei</a> "
                     L"<A HREF#EQUAL#http://x/os?a#EQUAL#1>hier</A>",
                     L"Service Pack: <a href#EQUAL#sp.exe>installieren</a>", L"OK"};
    const Section access{kAccess, L"Access 2003", L"<a href#EQUAL#leer></a> ",
                         L"Service Pack <a href#EQUAL#sp3.exe>laden", L" WARNING "};
    // A version with fewer parts is another version.
    const Section other{L"accessVer_11.0.6566", L"", L"", L"", L"Warning"};
    for (const bool osFirst : {true, false}) {
        Machine m;
        m.WriteSettings({osFirst ? os : access, other, osFirst ? access : os});

        const Pruefergebnis& r = m.Run();
        ASSERT_EQ(r.blocks.size(), 2u);
        const MessageBlock& osBlock = r.blocks[osFirst ? 0 : 1];
        const MessageBlock& accessBlock = r.blocks[osFirst ? 1 : 0];
        EXPECT_EQ(osBlock.kind, MessageBlock::Kind::OperatingSystem);
        EXPECT_EQ(accessBlock.kind, MessageBlock::Kind::Access);
        // The message is shown as read, markup and all.
        EXPECT_EQ(osBlock.message, L"Windows <b>a#EQUAL#b</b>");
        EXPECT_EQ(Shown(osBlock.info),
                  L"Infos hier <a href=y>zwei</a> hier [http://x/os?a=1|hier]");
        EXPECT_EQ(Shown(osBlock.sp), L"Service Pack: installieren [sp.exe|installieren]");
        EXPECT_EQ(accessBlock.message, L"Access 2003");
        // Nothing left but blanks: the line stays hidden.
        EXPECT_EQ(Shown(accessBlock.info), L"-");
        EXPECT_EQ(Shown(accessBlock.sp), L"Service Pack <a href=sp3.exe>laden ?");
        EXPECT_EQ(r.icon, StatusIcon::Warning);  // whatever the order
        EXPECT_EQ(m.Told(), L"Weiter: " + kCommand);
    }
}

TEST(SystempruefungTest, UnknownIconIsNoneAndASectionNamesItsVersionInItsOwnLetterCase) {
    for (const bool exact : {true, false}) {
        Machine m;
        m.WriteSettings({{exact ? kOs : L"OsVer_10.0.19045", L"", L"", L"", L"Info"},
                         {kAccess, L"", L"", L"", L""}});
        const Pruefergebnis& r = m.Run();
        EXPECT_EQ(r.icon, StatusIcon::None);
        EXPECT_EQ(r.blocks.size(), exact ? 2u : 1u);
    }
}

TEST(SystempruefungTest, StepThatFailsIsToldInGermanAndLeavesOnlyBeenden) {
    const std::wstring notFinished = L" Die Systemprüfung kann nicht abgeschlossen werden.";
    const std::wstring iniUnreadable = L"Die ini-Datei kann nicht gelesen werden." + notFinished +
                                       L"\r\n\r\nDie Datei ist gesperrt.";
    const std::wstring iniBroken =
        L"Die ini-Datei wurde verändert und kann nicht mehr gelesen werden.";
    struct Case {
        const char* name;
        std::function<void(Machine&)> arrange;
        std::wstring message;
    };
    const std::vector<Case> cases = {
        {"settings file", [](Machine& m) { m.fs.opensBeforeFailure = 0; }, iniUnreadable},
        {"section", [](Machine& m) { m.fs.opensBeforeFailure = 2; }, iniUnreadable},
        {"section named twice",
         [](Machine& m) {
             m.WriteSettings(
                 {{kOs, L"", L"", L"", L"OK"}, {L"OSVER_10.0.19045", L"", L"", L"", L"OK"}});
         },
         iniBroken + L"\r\n\r\nDieser Schlüssel ist bereits einem Element dieser Auflistung "
                     L"zugeordnet: \"OSVER_10.0.19045\""},
        {"first supported version without number",
         [](Machine& m) {
             m.shell.defaults.clear();
             m.WriteSettings({}, L"Access.Application.neun");
         },
         iniBroken},
        {"WMI", [](Machine& m) { m.os.fails = true; },
         L"Die Version des Betriebssystems konnte nicht ermittelt werden." + notFinished +
             L"\r\n\r\nDie WMI-Abfrage ist fehlgeschlagen."},
        {"Access version", [](Machine& m) { m.fs.versions.clear(); },
         L"Die Version von MS-Access konnte nicht ermittelt werden." + notFinished +
             L"\r\n\r\nkeine Datei " + kExe},
        {"showing",
         [](Machine& m) {
             m.show = [](const Pruefergebnis&) {
                 throw PlatformError(5, L"Der Text konnte nicht vermessen werden: x");
             };
         },
         L"Bei der Systemprüfung ist ein Fehler aufgetreten.\r\n\r\nDer Text konnte nicht "
         L"vermessen werden: x"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        m.WriteSettings({{kOs, L"Windows", L"", L"", L"OK"}});
        c.arrange(m);
        Systempruefung(m.host, m.platform).Run(m.show);
        EXPECT_TRUE(m.shown.empty());
        ASSERT_EQ(m.ui.messages.size(), 1u);
        EXPECT_EQ(m.ui.messages[0].text, c.message);
        EXPECT_EQ(m.ui.messages[0].style, MsgCritical);
        EXPECT_EQ(m.Told(), L"Beenden");
    }
}
