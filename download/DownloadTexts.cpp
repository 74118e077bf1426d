#include "download/DownloadTexts.h"

#include "platform/Text.h"

namespace DownloadTexts {
namespace {

const wchar_t kTryAgain[] = L"Bitte versuchen Sie es erneut.";

std::wstring WithDetail(const std::wstring& text, const std::wstring& detail) {
    return detail.empty() ? text : text + L"\r\n\r\n" + detail;
}

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

}  // namespace DownloadTexts
