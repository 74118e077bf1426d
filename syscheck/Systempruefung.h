#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "syscheck/MessageLinks.h"
#include "wizard/WizardHost.h"

// The picture beside page 1's messages. A warning outranks OK.
enum class StatusIcon { None, OK, Warning, Error };

// The message settings.ini holds for one detected version.
struct MessageBlock {
    enum class Kind { OperatingSystem, Access };
    Kind kind = Kind::OperatingSystem;
    std::wstring message;  // "Meldung" as read, shown bold
    // "LinkInfo" and "LinkSP" with their links; nothing where the line stays hidden.
    std::optional<LinkMarkup> info;
    std::optional<LinkMarkup> sp;
    StatusIcon icon = StatusIcon::None;  // what "Icon" asks for
};

// What one system check found and what page 1 shows for it.
struct Pruefergebnis {
    // Without a supported Access: the reason and the CD offer with its mail
    // link, beside the error picture.
    std::optional<LinkMarkup> accessMissing;
    // With a supported Access: the blocks in the order the settings file
    // names their sections.
    std::vector<MessageBlock> blocks;
    StatusIcon icon = StatusIcon::None;
    // Only a finished check with a supported Access lets the wizard go on
    // ("Weiter") with Access's command line; every other ending leaves only
    // "Beenden".
    bool weiter = false;
    std::wstring accessPath;
    // The message box of a check that could not finish; empty when it did.
    std::wstring failure;
};

// The system check of page 1 ("System prüfen"): finds Access and the Windows
// version, looks both up in settings.ini, lets the page show the outcome and
// then tells the wizard window whether the installation may go on.
class Systempruefung {
public:
    // Where the CD offer sends its e-mail.
    static const wchar_t* const kOrderAddress;

    using ShowFn = std::function<void(const Pruefergebnis&)>;

    Systempruefung(WizardHost& host, const Platform& platform);

    // Runs the check once. A step that fails, showing included, ends the
    // check with a German message box and leaves only "Beenden"; nothing
    // escapes.
    void Run(const ShowFn& show);

private:
    Pruefergebnis Check() const;
    void HandOver(const Pruefergebnis& result);

    WizardHost& host_;
    const Platform& platform_;
};
