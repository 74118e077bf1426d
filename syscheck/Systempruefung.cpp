#include "syscheck/Systempruefung.h"

#include <algorithm>
#include <stdexcept>

#include "platform/PlatformError.h"
#include "platform/Text.h"
#include "settings/NameList.h"
#include "settings/ini.h"
#include "syscheck/checkVersions.h"

namespace {

const wchar_t kNoAccessText[] = L"Sie haben auf Ihrem System kein MS-Access installiert. ";
const wchar_t kTooOldText[] =
    L"Ihre MS-Access Version ist zu alt und wird von Zelbar nicht unterstützt. ";
const wchar_t kCdOfferText[] =
    L"Sie können Zelbar jedoch auch kostenlos auf CD anfordern - E-Mail genügt: ";

const wchar_t kIniBroken[] = L"Die ini-Datei wurde verändert und kann nicht mehr gelesen werden.";
const wchar_t kIniUnreadable[] =
    L"Die ini-Datei kann nicht gelesen werden. Die Systemprüfung kann nicht abgeschlossen werden.";
const wchar_t kOsVersionFailed[] =
    L"Die Version des Betriebssystems konnte nicht ermittelt werden. Die Systemprüfung kann "
    L"nicht abgeschlossen werden.";
const wchar_t kAccessVersionFailed[] =
    L"Die Version von MS-Access konnte nicht ermittelt werden. Die Systemprüfung kann nicht "
    L"abgeschlossen werden.";
const wchar_t kCheckFailed[] = L"Bei der Systemprüfung ist ein Fehler aufgetreten.";

// A step of the check failed; the text says which, in German, for the user.
class CheckFailure : public std::runtime_error {
public:
    CheckFailure(std::wstring text, std::wstring detail)
        : std::runtime_error(Text::ToUtf8(text)),
          text(std::move(text)),
          detail(std::move(detail)) {}
    std::wstring text;
    std::wstring detail;
};

// Runs one step of the check and names it when a platform call inside fails.
template <typename Action>
auto Step(const wchar_t* whatFailed, Action action) -> decltype(action()) {
    try {
        return action();
    } catch (const PlatformError& e) {
        throw CheckFailure(whatFailed, e.message());
    }
}

Pruefergebnis Failed(const std::wstring& text, const std::wstring& detail) {
    Pruefergebnis result;
    result.failure = detail.empty() ? text : text + L"\r\n\r\n" + detail;
    return result;
}

StatusIcon IconOf(const std::wstring& value) {
    const std::wstring trimmed = Text::TrimBlanks(value);
    if (Text::EqualsNoCase(trimmed, L"Warning")) return StatusIcon::Warning;
    if (Text::EqualsNoCase(trimmed, L"OK")) return StatusIcon::OK;
    return StatusIcon::None;
}

// A line under a message is only shown when it has something to say.
std::optional<LinkMarkup> LineOf(const std::wstring& value) {
    LinkMarkup line = ExtractLink(value);
    if (Text::TrimBlanks(line.text).empty()) return std::nullopt;
    return line;
}

MessageBlock ReadBlock(MessageBlock::Kind kind, const std::wstring& section, const ini& settings) {
    const auto read = [&](const wchar_t* key) {
        return Step(kIniUnreadable, [&] { return settings.GetValue(section, key); });
    };
    MessageBlock block;
    block.kind = kind;
    block.message = read(L"Meldung");
    block.icon = IconOf(read(L"Icon"));
    block.info = LineOf(read(L"LinkInfo"));
    block.sp = LineOf(read(L"LinkSP"));
    return block;
}

Pruefergebnis AccessMissing(short status) {
    const std::wstring address = Systempruefung::kOrderAddress;
    LinkMarkup offer =
        ExtractLink(kCdOfferText + (L"<a href=mailto:" + address + L">" + address + L"</a>"));
    const std::wstring reason = status == AccessReport::kNoAccess ? kNoAccessText : kTooOldText;
    offer.text = reason + offer.text;
    offer.linkStart += reason.size();
    Pruefergebnis result;
    result.accessMissing = offer;
    result.icon = StatusIcon::Error;
    return result;
}

}  // namespace

const wchar_t* const Systempruefung::kOrderAddress = L"bestellung@zelbar.de";

Systempruefung::Systempruefung(WizardHost& host, const Platform& platform)
    : host_(host), platform_(platform) {}

void Systempruefung::Run(const ShowFn& show) {
    Pruefergebnis result;
    try {
        result = Check();
        show(result);
    } catch (const CheckFailure& e) {
        result = Failed(e.text, e.detail);
    } catch (const NameListDuplicateError& e) {
        result = Failed(kIniBroken, e.message());
    } catch (const SupportedVersionsError&) {
        result = Failed(kIniBroken, L"");
    } catch (...) {
        result = Failed(kCheckFailed, DescribeCurrentException());
    }
    HandOver(result);
}

Pruefergebnis Systempruefung::Check() const {
    checkVersions check(platform_);
    const AccessReport report = Step(kIniUnreadable, [&] { return check.CheckAccessVersion(); });
    if (report.status != AccessReport::kSupported) return AccessMissing(report.status);

    const std::wstring osSection =
        L"osVer_" + Step(kOsVersionFailed, [&] { return check.GetOSVersion(); });
    const std::wstring accessSection = L"accessVer_" + Step(kAccessVersionFailed, [&] {
                                           return check.GetAccessVersionNr(report.commandLine);
                                       });
    const ini settings(platform_.fs, platform_.ui);
    Pruefergebnis result;
    for (const std::wstring& section :
         Step(kIniUnreadable, [&] { return settings.GetSections(); })) {
        const bool os = section == osSection;
        if (!os && section != accessSection) continue;
        result.blocks.push_back(
            ReadBlock(os ? MessageBlock::Kind::OperatingSystem : MessageBlock::Kind::Access,
                      section, settings));
        // A warning wins over OK whatever the order of the sections.
        result.icon = std::max(result.icon, result.blocks.back().icon);
    }
    result.weiter = true;
    result.accessPath = report.commandLine;
    return result;
}

void Systempruefung::HandOver(const Pruefergebnis& result) {
    if (!result.failure.empty()) platform_.ui.MsgBox(result.failure, MsgCritical);
    if (!result.weiter) {
        // Without a finished check the installation must not go on.
        host_.EnableButtonBeenden();
        return;
    }
    host_.SetAccessPath(result.accessPath);
    host_.EnableButtonWeiter();
}
