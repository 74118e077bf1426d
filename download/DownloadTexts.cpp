#include "download/DownloadTexts.h"

#include "platform/Text.h"

namespace DownloadTexts {
namespace {

const wchar_t kTryAgain[] = L"Bitte versuchen Sie es erneut.";

std::wstring WithDetail(const std::wstring& text, const std::wstring& detail) {
    return detail.empty() ? text : text + L"\r\n\r\n" + detail;
}

const wchar_t kFirstSentence[] = L"Beim Herunterladen der Datei ist ein Fehler aufgetreten.";
const wchar_t kAskAdministrator[] = L"Bitte wenden Sie sich an Ihren Administrator.";
const wchar_t kNothingDownloaded[] = L"Aus Sicherheitsgründen wurde nichts heruntergeladen. ";
const wchar_t kTryLater[] = L"Bitte versuchen Sie es später erneut.";
const wchar_t kAskSupport[] = L"Bitte wenden Sie sich an den Zelbar-Support.";

std::wstring Quoted(const std::wstring& text) {
    return L"\u201e" + text + L"\u201c";
}

const wchar_t kNotRun[] = L" Die Datei wurde gelöscht und nicht ausgeführt. ";

}  // namespace

const wchar_t* const kDownloadError =
    L"Beim Herunterladen der Datei ist ein Fehler aufgetreten. Überprüfen Sie bitte, ob eine "
    L"Verbindung zum Internet besteht und versuchen Sie es erneut.";
const wchar_t* const kAllDownloaded = L"Alle Dateien erfolgreich heruntergeladen.";
const wchar_t* const kUnpacking = L"Entpacke Dateien...";
const wchar_t* const kDone = L"Fertig.";

std::wstring FolderMissing(const std::wstring& folder) {
    return L"Der Installationsordner \u201e" + folder +
           L"\u201c ist nicht vorhanden. Bitte wählen Sie mit \u201eVerzeichnis wechseln\u201c "
           L"einen vorhandenen Ordner aus.";
}

std::wstring TempFolderFailed(const std::wstring& folder, const std::wstring& detail) {
    return WithDetail(L"Im Installationsordner \u201e" + folder +
                          L"\u201c konnte kein Ordner für den Download angelegt werden. Bitte "
                          L"wählen Sie einen Ordner, in dem Sie Dateien anlegen dürfen.",
                      detail);
}

std::wstring DownloadBroken(const std::wstring& detail) {
    return WithDetail(
        L"Die heruntergeladene Datei konnte nicht gespeichert werden. " + std::wstring(kTryAgain),
        detail);
}

std::wstring PrepareFailed(const std::wstring& detail) {
    return WithDetail(
        L"Die Installation konnte nicht vorbereitet werden. " + std::wstring(kTryAgain), detail);
}

std::wstring NoFileName(const std::wstring& url) {
    return L"Die Adresse der Programmdatei \u201e" + url +
           L"\u201c in der ini-Datei nennt keinen Dateinamen, unter dem sie gespeichert werden "
           L"kann.";
}

std::wstring UnpackNotStarted(const std::wstring& detail) {
    return WithDetail(L"Die heruntergeladenen Programmdateien konnten nicht entpackt werden. " +
                          std::wstring(kTryAgain),
                      detail);
}

std::wstring UnpackFailed(unsigned long exitCode) {
    return L"Die heruntergeladenen Programmdateien konnten nicht entpackt werden (Fehlercode " +
           Text::FromInt(static_cast<long long>(exitCode)) + L"). " + kTryAgain;
}

std::wstring UnpackFailedBecause(const std::wstring& cause) {
    return WithDetail(
        L"Die Datei wurde vollständig heruntergeladen, aber die Programmdateien "
        L"konnten nicht entpackt werden.",
        cause);
}

const wchar_t* const kSizeAddressMissing =
    L"In der ini-Datei fehlt die Adresse für die Abfrage der Dateigröße (Abschnitt "
    L"\u201e[GetFileSize]\u201c, Eintrag \u201eURL\u201c). Bitte wenden Sie sich an den "
    L"Zelbar-Support.";

std::wstring SignatureBroken() {
    return L"Die digitale Signatur der heruntergeladenen Datei ist ungültig: Die Datei wurde beim "
           L"Herunterladen beschädigt oder unterwegs verändert." +
           std::wstring(kNotRun) +
           L"Bitte klicken Sie erneut auf \u201eDateien herunterladen\u201c, um sie neu "
           L"herunterzuladen. Tritt der Fehler wieder auf, wenden Sie sich bitte an den "
           L"Zelbar-Support.";
}

std::wstring SignatureMissing(const std::wstring& pinned) {
    return L"Die heruntergeladene Datei ist nicht digital signiert. Dieses Setup führt nur "
           L"Dateien aus, die von " +
           Quoted(pinned) + L" signiert sind." + kNotRun + kAskSupport;
}

std::wstring SignatureByOther(const std::wstring& signer, const std::wstring& pinned) {
    return L"Die heruntergeladene Datei ist von " + Quoted(signer) + L" signiert, nicht von " +
           Quoted(pinned) + L". Dieses Setup führt nur Dateien von " + Quoted(pinned) + L" aus." +
           kNotRun + kAskSupport;
}

std::wstring SignatureUntrusted(const std::wstring& signer) {
    const std::wstring by = signer.empty() ? std::wstring() : L" von " + Quoted(signer);
    return L"Das Zertifikat, mit dem die heruntergeladene Datei" + by +
           L" signiert ist, stammt von keiner Zertifizierungsstelle, der dieser Computer "
           L"vertraut." +
           kNotRun + kAskSupport;
}

std::wstring DownloadFailed(const std::wstring& cause) {
    return cause.empty() ? std::wstring(kDownloadError) : WithDetail(kFirstSentence, cause);
}

std::wstring NameNotResolved(const std::wstring& host) {
    return L"Der Servername " + Quoted(host) +
           L" konnte nicht aufgelöst werden. Überprüfen Sie bitte, ob eine Verbindung zum "
           L"Internet besteht.";
}

std::wstring ConnectionRefused(const std::wstring& host) {
    return L"Der Server " + Quoted(host) +
           L" ist nicht erreichbar: Die Verbindung wurde abgelehnt oder kam nicht zustande. "
           L"Überprüfen Sie bitte die Internetverbindung und ob eine Firewall die Verbindung "
           L"sperrt.";
}

const wchar_t* const kTimedOut =
    L"Der Server hat zu lange nicht geantwortet. Bitte versuchen Sie es später erneut.";

std::wstring HttpStatus(unsigned status) {
    const std::wstring lead =
        L"Der Server meldet den HTTP-Status " + Text::FromInt(static_cast<long long>(status));
    if (status == 404) {
        return lead + L": Die Datei ist auf dem Server nicht vorhanden. " + kAskSupport;
    }
    if (status == 403) {
        return lead + L": Der Zugriff auf die Datei wurde verweigert. " + kAskSupport;
    }
    if (status >= 500 && status <= 599) {
        return lead + L": Auf dem Server ist ein Fehler aufgetreten. " + kTryLater;
    }
    return lead + L".";
}

const wchar_t* const kProxyLogin =
    L"Der Proxyserver verlangt eine Anmeldung (HTTP-Status 407). Bitte wenden Sie sich an Ihren "
    L"Administrator.";

std::wstring CertificateUntrusted(const std::wstring& host) {
    return L"Das Zertifikat des Servers " + Quoted(host) + L" ist nicht vertrauenswürdig. " +
           kNothingDownloaded + kAskAdministrator;
}

std::wstring CertificateForOtherName(const std::wstring& host) {
    return L"Das Zertifikat des Servers gilt nicht für den Namen " + Quoted(host) + L". " +
           kNothingDownloaded + kAskAdministrator;
}

std::wstring CertificateOutOfDate(const std::wstring& host) {
    return L"Das Zertifikat des Servers " + Quoted(host) +
           L" ist abgelaufen oder noch nicht gültig. Überprüfen Sie bitte auch Datum und Uhrzeit "
           L"dieses Computers.";
}

std::wstring SecureConnectionFailed(const std::wstring& host) {
    return L"Die sichere Verbindung zum Server " + Quoted(host) +
           L" kam nicht zustande; sein Zertifikat konnte nicht geprüft werden. " +
           kAskAdministrator;
}

std::wstring Incomplete(const std::wstring& got, const std::wstring& total) {
    return L"Die Datei ist unvollständig angekommen (" + got + L" von " + total +
           L"). Wenn Sie es erneut versuchen, wird der Download an dieser Stelle fortgesetzt.";
}

std::wstring SizeDisagrees(const std::wstring& announced) {
    return L"Der Server nennt für die Datei eine Größe von " + announced +
           L", sendet aber eine Datei anderer Größe. Bitte versuchen Sie es später erneut; "
           L"besteht der Fehler weiter, wenden Sie sich bitte an den Zelbar-Support.";
}

const wchar_t* const kWebPage =
    L"Der Server hat statt des Programms eine Webseite gesendet. Das geschieht zum Beispiel in "
    L"einem WLAN, das zuerst eine Anmeldung im Browser verlangt: Melden Sie sich bitte im "
    L"Browser an und versuchen Sie es erneut.";

const wchar_t* const kDiskFull =
    L"Auf dem Laufwerk des Installationsordners ist nicht mehr genug Platz frei. Bitte schaffen "
    L"Sie Platz und versuchen Sie es erneut.";

std::wstring NotEnoughSpace(const std::wstring& needed, const std::wstring& free) {
    return L"Auf dem Laufwerk des Installationsordners ist nicht genug Platz frei: Benötigt "
           L"werden " +
           needed + L", frei sind " + free +
           L". Bitte schaffen Sie Platz oder wählen Sie mit \u201eVerzeichnis wechseln\u201c "
           L"einen anderen Ordner.";
}

std::wstring LittleSpace(const std::wstring& free, const std::wstring& twice) {
    return L"Auf dem Laufwerk des Installationsordners sind nur " + free +
           L" frei. Zum Entpacken werden etwa " + twice +
           L" benötigt. Möchten Sie trotzdem fortfahren?";
}

}  // namespace DownloadTexts
