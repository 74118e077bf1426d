#include "download/DownloadProgram.h"

#include <utility>

#include "download/DownloadCause.h"
#include "download/DownloadTexts.h"
#include "download/InstallNames.h"
#include "net/ResumePlan.h"
#include "platform/Path.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"

namespace {

constexpr unsigned kRangeNotSatisfiable = 416;

// The downloaded archive is written as <temporary folder>\<name>; a name that
// could leave that folder, or none at all, is not written anywhere.
bool IsPlainFileName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    return name.find_first_of(L"\\/:") == std::wstring::npos;
}

// How long one look at the running archive program may keep the window from its messages.
constexpr unsigned kProgramLookMs = 100;
// After the archive program ended, its file is tried this often until it can go.
constexpr unsigned kReleaseLookMs = 100;
constexpr unsigned kReleaseWaitMs = 2000;

// Why the checked archive must not run; empty when it may.
std::wstring SignatureRefusal(const CheckedFile& archive, const std::wstring& pinned) {
    switch (archive.State()) {
        case SignatureState::Broken:
            return DownloadTexts::SignatureBroken();
        case SignatureState::Untrusted:
            return DownloadTexts::SignatureUntrusted(archive.Signer());
        case SignatureState::None:
            // The archives are unsigned unless the publisher demands a signer.
            return pinned.empty() ? std::wstring() : DownloadTexts::SignatureMissing(pinned);
        case SignatureState::Trusted:
            break;
    }
    if (pinned.empty() || archive.Signer() == pinned) return std::wstring();
    return DownloadTexts::SignatureByOther(archive.Signer(), pinned);
}

}  // namespace

DownloadProgram::DownloadProgram(WizardHost& host, const Platform& platform, DownloadPageView& view,
                                 TransferControl& oInet)
    : host_(host),
      platform_(platform),
      view_(view),
      oInet_(oInet),
      settings_(platform.fs, platform.ui),
      oWeb_(platform.ui, platform.fs) {
    oWeb_.StateChanged = [this](Datei& oDatei) { oWeb_StateChanged(oDatei); };
    oWeb_.cancelled = [this] { oWeb_Cancelled(); };
}

void DownloadProgram::Initialize() {
    try {
        if (!platform_.fs.FolderExists(kDefaultFolder)) platform_.fs.CreateFolder(kDefaultFolder);
    } catch (const PlatformError&) {
        // A drive C: the user may not write to is no reason to refuse the
        // page: the download tells so when it finds no folder, and another
        // folder can be chosen.
    }
    view_.SetLabelPfad(kDefaultFolder);
}

void DownloadProgram::Show() {
    host_.SetZelbarPath(Path::WithTrailingBackslash(view_.LabelPfad()));
}

void DownloadProgram::buttonOrdnerAuswaehlen_Click() {
    const std::wstring r = view_.ChooseFolder();
    if (!r.empty()) {
        view_.SetLabelPfad(r);
        host_.SetZelbarPath(Path::WithTrailingBackslash(r));
        view_.EnableDownloadButton(true);
    } else {
        view_.SetLabelPfad(L"");
        view_.EnableDownloadButton(false);
    }
}

void DownloadProgram::buttonDownload_Click() {
    view_.EnableFolderButton(false);
    view_.EnableDownloadButton(false);
    try {
        RunAttempt();
    } catch (...) {
        const bool abandoned = Abandoned();
        phase_ = Phase::Idle;
        // The window names the error; the user can then try again.
        if (!abandoned) FailureEnding();
        throw;
    }
    phase_ = Phase::Idle;
}

void DownloadProgram::RunAttempt() {
    const std::wstring installationFolder = Path::WithTrailingBackslash(view_.LabelPfad());
    if (!platform_.fs.FolderExists(installationFolder)) {
        // Only another folder helps here, so the folder button comes back.
        FailWith(DownloadTexts::FolderMissing(view_.LabelPfad()), MsgCritical);
        view_.EnableFolderButton(true);
        return;
    }
    std::wstring name;
    try {
        name = InstallNames::CreateTempFolder(platform_.fs, installationFolder, platform_.ui.Now());
    } catch (const PlatformError& e) {
        FailWith(DownloadTexts::TempFolderFailed(view_.LabelPfad(), e.message()), MsgCritical);
        view_.EnableFolderButton(true);
        return;
    }
    // Only a failed attempt lets the button be pressed again.
    if (!attemptFolder_.empty()) earlierFolders_.push_back(attemptFolder_);
    tempFolder_ = name;
    attemptFolder_ = installationFolder + tempFolder_;
    host_.RecordTempFolder(attemptFolder_);

    Datei oDatei(platform_.fs);
    oDatei.FolderLokal(attemptFolder_);
    host_.SetTempFolder(tempFolder_);

    phase_ = Phase::Transfer;
    DownloadProgramFile(oDatei);
}

void DownloadProgram::DownloadProgramFile(Datei& oDatei) {
    oWeb_.Inet(oInet_);
    decimalSeparator_ = platform_.ui.DecimalSeparator();
    const std::wstring sizeUrl = Text::TrimBlanks(settings_.GetValue(L"GetFileSize", L"URL"));
    oDatei.url(settings_.GetValue(L"ProgramFile", L"URL"));
    if (sizeUrl.empty()) {
        // The start-up check lets a section without its address through; the
        // button must not then do nothing at all.
        FailWith(DownloadTexts::kSizeAddressMissing, MsgCritical);
        return;
    }
    if (!IsPlainFileName(oDatei.filename())) {
        FailWith(DownloadTexts::NoFileName(oDatei.url()), MsgCritical);
        return;
    }

    const bool sized = oWeb_.GetFilesize(sizeUrl, oDatei);
    // A request cut short by Cancel may end without its cancelled event;
    // the wizard must close all the same.
    if (Abandoned()) {
        oWeb_Cancelled();
        return;
    }
    if (!sized) {
        FailWith(DownloadTexts::DownloadFailed(
                     DownloadCause::OfError(oWeb_.LastError(), sizeUrl, false)),
                 MsgOkOnly);
        return;
    }

    const std::int64_t resumable = ResumableBytes(oDatei);
    if (!RoomForArchive(oDatei, resumable)) return;
    const std::wstring validator = resumable > 0 ? MovePartial(oDatei) : std::wstring();
    const std::int64_t startBytes = validator.empty() ? 0 : resumable;

    view_.SetLabelFilename(oDatei.filename());
    bool downloaded = false;
    try {
        downloaded = oWeb_.DownloadFile(oDatei, validator);
    } catch (const PlatformError& e) {
        view_.SetLabelFilename(L"");
        if (Abandoned()) {
            oWeb_Cancelled();
            return;
        }
        KeepPartial(oDatei);
        FailWith(DownloadCause::IsDiskFull(e.code())
                     ? DownloadTexts::DownloadFailed(DownloadTexts::kDiskFull)
                     : DownloadTexts::DownloadBroken(e.message()),
                 MsgCritical);
        return;
    }
    view_.SetLabelFilename(L"");
    if (Abandoned()) {
        oWeb_Cancelled();
        return;
    }

    if (!downloaded) {
        // Silence here would leave the user with an empty size line and no idea why.
        FailWith(DownloadTexts::DownloadFailed(CauseOfFailedDownload(oDatei, startBytes)),
                 MsgOkOnly);
        return;
    }
    view_.SetLabelFilesize(DownloadTexts::kAllDownloaded);
    InstallProgramFiles(oDatei);
}

// false: the attempt ends here, the user was told or chose to stop.
bool DownloadProgram::RoomForArchive(const Datei& oDatei, std::int64_t resumable) {
    const std::int64_t archive = oDatei.GetFilesizeInBytes();
    if (archive <= 0) return true;
    std::int64_t free = 0;
    try {
        free = platform_.fs.FreeSpace(oDatei.FolderLokal());
    } catch (const PlatformError&) {
        // A drive that does not tell is no reason to refuse; should it fill
        // up, the download names that.
        return true;
    }
    const std::int64_t needed = archive - resumable;
    if (free < needed) {
        FailWith(DownloadTexts::NotEnoughSpace(SizeText(needed), SizeText(free)), MsgCritical);
        // The message offers another folder.
        view_.EnableFolderButton(true);
        return false;
    }
    // The archive unpacks beside itself, so about its size again is needed.
    if (free >= needed + archive) return true;
    const MsgBoxResult answer = platform_.ui.MsgBox(
        DownloadTexts::LittleSpace(SizeText(free), SizeText(needed + archive)), MsgYesNoQuestion);
    if (answer == MsgBoxResult::Yes) return true;
    FailureEnding();
    // Besides making room, another folder is the way on.
    view_.EnableFolderButton(true);
    return false;
}

std::int64_t DownloadProgram::ResumableBytes(const Datei& oDatei) const {
    if (!partial_ || !ResumePlan::Continues({partial_->url, partial_->validator, partial_->size},
                                            oDatei.url(), oDatei.GetFilesizeInBytes())) {
        return 0;
    }
    return platform_.fs.FileExists(partial_->path) ? partial_->size : 0;
}

// The validator to continue with; empty when the attempt starts from zero.
std::wstring DownloadProgram::MovePartial(const Datei& oDatei) {
    const Partial partial = *std::exchange(partial_, std::nullopt);
    try {
        platform_.fs.MoveFile(partial.path, oDatei.FolderLokal());
        return partial.validator;
    } catch (const PlatformError&) {
        // Starting from zero costs time, not the installation.
        return std::wstring();
    }
}

// Remembers what the failed attempt left on disk for the next one; returns
// whether that can be continued.
bool DownloadProgram::KeepPartial(const Datei& oDatei) {
    partial_.reset();
    // Remembered under the release of the bytes on disk, which is not always
    // the last reply's: a restart may have failed to empty the file.
    const std::wstring validator = oWeb_.WrittenValidator();
    const std::wstring path = oDatei.PfadLokal();
    if (validator.empty() || !platform_.fs.FileExists(path)) return false;
    std::int64_t size = 0;
    try {
        size = platform_.fs.GetFileSize(path);
    } catch (const PlatformError&) {
        return false;
    }
    if (!ResumePlan::Continues({oDatei.url(), validator, size}, oDatei.url(),
                               oDatei.GetFilesizeInBytes())) {
        return false;
    }
    partial_ = Partial{path, oDatei.url(), validator, size};
    return true;
}

// The cause paragraph of a download that returned false; empty when unknown.
std::wstring DownloadProgram::CauseOfFailedDownload(const Datei& oDatei, std::int64_t startBytes) {
    const bool webPage = DownloadCause::IsWebPage(oInet_.ContentType(), oDatei.FirstBytes());
    // Bytes of this attempt: past where it began, or a body the server began
    // anew at byte 0 (the file changed), which may break before that place.
    const bool bodyBegun =
        oDatei.GetAktFilesizeInBytes() > startBytes || !oDatei.FirstBytes().empty();
    if (SizeDisagrees(oDatei, webPage, bodyBegun)) {
        // No later attempt brings what the size answer promised; continuing
        // would fail the same way at every press.
        partial_.reset();
        return DownloadTexts::SizeDisagrees(SizeText(oDatei.GetFilesizeInBytes()));
    }
    // A web page is no beginning of the archive, so nothing of it is continued.
    const bool resumable = !webPage && KeepPartial(oDatei);
    const std::wstring cause = DownloadCause::OfError(oWeb_.LastError(), oDatei.url(), bodyBegun);
    if (!cause.empty()) return cause;
    if (webPage) return DownloadTexts::kWebPage;
    // Promised only where the next attempt really continues.
    if (resumable) {
        return DownloadTexts::Incomplete(SizeText(partial_->size),
                                         SizeText(oDatei.GetFilesizeInBytes()));
    }
    return std::wstring();
}

// The server contradicts its own size answer: it ended a body of another
// length without an error, or refused a range that begins where the part
// already here ends (416: the file is no longer than that part).
bool DownloadProgram::SizeDisagrees(const Datei& oDatei, bool webPage, bool bodyBegun) const {
    if (oWeb_.LastError() == TransferControl::kErrorHttpStatusBase + kRangeNotSatisfiable) {
        return true;
    }
    return !oWeb_.Failed() && !webPage && bodyBegun && oDatei.GetFilesizeInBytes() > 0 &&
           oDatei.GetAktFilesizeInBytes() != oDatei.GetFilesizeInBytes();
}

bool DownloadProgram::FreeSpaceBelow(const std::wstring& folder, std::int64_t bytes) {
    try {
        return platform_.fs.FreeSpace(folder) < bytes;
    } catch (const PlatformError&) {
        return false;
    }
}

void DownloadProgram::LeaveFolders() {
    // The wizard closes: the parts that failed attempts kept for a retry go too.
    host_.DeleteTempFolder();
    RemoveEarlierFolders();
}

void DownloadProgram::RemoveEarlierFolders() {
    for (const std::wstring& folder : std::exchange(earlierFolders_, {})) {
        try {
            if (platform_.fs.FolderExists(folder)) {
                platform_.fs.DeleteFolder(InstallNames::UnpackFolder(folder), true);
            }
        } catch (const PlatformError&) {
            // A folder still in use stays; the installation needs nothing of it.
        }
    }
    partial_.reset();
}

std::wstring DownloadProgram::SizeText(std::int64_t bytes) const {
    return Datei::FormatSize(bytes, decimalSeparator_);
}

void DownloadProgram::oWeb_StateChanged(Datei& oDatei) {
    view_.SetProgress(InstallNames::ProgressValue(oDatei.GetProgress()));
    view_.SetLabelFilesize(InstallNames::SizeLine(oDatei.GetFormattedAktFilesize(decimalSeparator_),
                                                  oDatei.GetFormattedFilesize(decimalSeparator_)));
}

void DownloadProgram::oWeb_Cancelled() {
    // Only a transfer the user stopped closes the wizard, and only once.
    if (phase_ != Phase::StoppingTransfer) return;
    phase_ = Phase::Cancelled;
    LeaveFolders();
    host_.CloseWithoutPrompt();
}

void DownloadProgram::InstallProgramFiles(Datei& oDatei) {
    host_.SetButtonCancelEnabled(false);
    phase_ = Phase::Installing;
    const auto leave = [this] {
        phase_ = phase_ == Phase::StoppingInstall ? Phase::Cancelled : Phase::Transfer;
        if (host_.Visible()) host_.SetButtonCancelEnabled(true);
    };
    try {
        if (Unpack(oDatei)) {
            RemoveEarlierFolders();
            view_.SetLabelFilename(L"");
            view_.SetLabelFilesize(DownloadTexts::kDone);
            host_.EnableButtonWeiter();
        }
    } catch (...) {
        leave();
        throw;
    }
    leave();
}

bool DownloadProgram::Unpack(const Datei& oDatei) {
    FileSystem& fs = platform_.fs;
    const std::wstring archive = oDatei.PfadLokal();
    // Held from the check until its program has started, so that the program
    // that runs is the one checked.
    std::unique_ptr<CheckedFile> checked;
    try {
        checked = platform_.trust.Check(archive);
    } catch (const PlatformError& e) {
        FailWith(DownloadTexts::UnpackNotStarted(e.message()), MsgCritical);
        return false;
    }
    const std::wstring refusal = SignatureRefusal(*checked, platform_.trust.PinnedSigner());
    if (!refusal.empty()) {
        checked.reset();
        Discard(archive);
        FailWith(refusal, MsgCritical);
        return false;
    }

    const std::wstring folderLokal = oDatei.FolderLokal();
    const std::wstring installationFolder =
        InstallNames::InstallationFolder(folderLokal, tempFolder_);
    try {
        const std::wstring dataFile = installationFolder + kDataFile;
        if (fs.FileExists(dataFile)) {
            // Page 3 moves the copy into the installation folder, where an
            // earlier backup of the same name would be replaced.
            const std::wstring backup = InstallNames::FreeBackupName(
                fs, {folderLokal, installationFolder}, platform_.ui.Now());
            fs.CopyFile(dataFile, folderLokal + backup);
        }
        const std::wstring settingsFile = settings_.filename();
        fs.CopyFile(settingsFile, InstallNames::SettingsCopyPath(folderLokal, settingsFile));
    } catch (const PlatformError& e) {
        FailWith(DownloadTexts::PrepareFailed(e.message()), MsgCritical);
        return false;
    }

    const std::wstring unpackFolder = InstallNames::UnpackFolder(folderLokal);
    view_.SetLabelFilesize(DownloadTexts::kUnpacking);

    std::unique_ptr<RunningProgram> program;
    try {
        program = platform_.shell.Start(InstallNames::UnpackCommandLine(archive, unpackFolder),
                                        WindowStyle::Hidden);
    } catch (const PlatformError& e) {
        checked.reset();
        FailWith(DownloadTexts::UnpackNotStarted(e.message()), MsgCritical);
        return false;
    }
    checked.reset();
    // The window goes on answering meanwhile: it repaints, and a close asks
    // its question. Its buttons stay off until the step ends.
    while (!program->Ended(kProgramLookMs)) platform_.ui.DoEvents();
    const unsigned long exitCode = program->ExitCode();
    if (!InstallNames::UnpackSucceeded(exitCode)) {
        // The program files did not all arrive: page 3 would move half an
        // installation into place.
        const bool diskFull = FreeSpaceBelow(folderLokal, oDatei.GetFilesizeInBytes());
        FailWith(diskFull ? DownloadTexts::UnpackFailedBecause(DownloadTexts::kDiskFull)
                          : DownloadTexts::UnpackFailed(exitCode),
                 MsgCritical);
        return false;
    }
    // Left while the archive program ran: what is left of the step is skipped.
    if (phase_ == Phase::StoppingInstall) return false;

    // The archive program may still hold its own file for a moment after it ended.
    for (unsigned waited = 0; fs.FileExists(archive); waited += kReleaseLookMs) {
        try {
            fs.DeleteFile(archive, true);
            break;
        } catch (const PlatformError&) {
            // The archive then stays in the temporary folder; nothing depends on it.
            if (waited >= kReleaseWaitMs) break;
        }
        platform_.ui.Pause(kReleaseLookMs);
    }
    return true;
}

// A refused archive goes, and with it any chance of continuing its bytes.
void DownloadProgram::Discard(const std::wstring& archive) {
    partial_.reset();
    try {
        platform_.fs.DeleteFile(archive, true);
    } catch (const PlatformError&) {
        // It stays in the attempt's temporary folder, which goes when the wizard does.
    }
}

void DownloadProgram::FailureEnding() {
    view_.EnableDownloadButton(true);
    view_.SetLabelFilesize(L"");
    view_.SetProgress(0);
}

void DownloadProgram::FailWith(const std::wstring& text, unsigned style) {
    platform_.ui.MsgBox(text, style);
    FailureEnding();
}

bool DownloadProgram::Cancel() {
    switch (phase_) {
        case Phase::Idle:
        case Phase::Cancelled:
            LeaveFolders();
            return false;
        case Phase::Transfer: {
            const bool dataFlowing = oWeb_.isDownloading();
            oWeb_.CancelDownload();
            // Stops a stalled request at once instead of after its time-out; a
            // body being read ends after the chunk in hand.
            oInet_.Cancel();
            if (dataFlowing) {
                phase_ = Phase::StoppingTransfer;
                return true;
            }
            // A request has started but no data has come yet: the wizard closes
            // now, so the request must end without writing into the folder that
            // is about to go, and without a word.
            phase_ = Phase::Cancelled;
            LeaveFolders();
            return false;
        }
        case Phase::Installing:
            phase_ = Phase::StoppingInstall;
            return true;
        case Phase::StoppingTransfer:
        case Phase::StoppingInstall:
            return true;
    }
    return false;
}
