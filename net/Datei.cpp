#include "net/Datei.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/PlatformError.h"
#include "platform/Text.h"

namespace {

constexpr std::int64_t kKilobyte = 1024;
constexpr std::int64_t kMegabyte = 1024 * 1024;
// ERROR_INVALID_HANDLE: writing without an open output file.
constexpr std::uint32_t kErrorNoOutputFile = 6;
// Enough to tell a program ("MZ") from a web page that came instead.
constexpr std::size_t kFirstBytes = 2;

bool IsWhiteSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// size / divisor in hundredths, rounded half to even at the second decimal.
// Integer arithmetic keeps 9765.625 an exact tie, so it becomes 9765.62.
std::int64_t RoundedHundredths(std::int64_t size, std::int64_t divisor) {
    const bool negative = size < 0;
    const std::int64_t scaled = (negative ? -size : size) * 100;
    std::int64_t quotient = scaled / divisor;
    const std::int64_t twiceRemainder = (scaled % divisor) * 2;
    if (twiceRemainder > divisor || (twiceRemainder == divisor && quotient % 2 == 1)) ++quotient;
    return negative ? -quotient : quotient;
}

std::optional<std::int64_t> KilobyteHundredths(std::int64_t size) {
    if (size <= 0) return std::nullopt;
    return RoundedHundredths(size, kKilobyte);
}

// Shortest form: no trailing zeros, no separator for whole numbers.
std::wstring FormatHundredths(std::int64_t hundredths, const std::wstring& separator) {
    std::wstring sign = hundredths < 0 ? L"-" : L"";
    const std::int64_t magnitude = hundredths < 0 ? -hundredths : hundredths;
    std::wstring text = sign + Text::FromInt(magnitude / 100);
    const std::int64_t fraction = magnitude % 100;
    if (fraction == 0) return text;
    const wchar_t digits[] = {static_cast<wchar_t>(L'0' + fraction / 10),
                              static_cast<wchar_t>(L'0' + fraction % 10), L'\0'};
    std::wstring fractionText(digits);
    if (fractionText.back() == L'0') fractionText.pop_back();
    return text + separator + fractionText;
}

std::wstring FormatBytes(std::int64_t size, const std::wstring& separator) {
    const auto kb = KilobyteHundredths(size);
    if (!kb || *kb < 1000 * 100) {
        return (kb ? FormatHundredths(*kb, separator) : std::wstring()) + L" KB";
    }
    return FormatHundredths(RoundedHundredths(size, kMegabyte), separator) + L" MB";
}

std::optional<double> ToValue(std::optional<std::int64_t> hundredths) {
    if (!hundredths) return std::nullopt;
    return static_cast<double>(*hundredths) / 100.0;
}

}  // namespace

Datei::Datei(FileSystem& fs) : fs_(fs) {}

void Datei::url(const std::wstring& value) {
    const auto slash = value.rfind(L'/');
    const std::size_t split = slash == std::wstring::npos ? 0 : slash + 1;
    filename_ = value.substr(split);
    folder_ = value.substr(0, split);
}

void Datei::Filesize(const std::wstring& text) {
    sizeText_ = text;
    total_ = 0;
    const auto value = NumericValue(text);
    if (value && FitsTotalSize(*value)) total_ = static_cast<std::int32_t>(std::nearbyint(*value));
}

void Datei::OpenFileForWrite() {
    output_ = fs_.OpenBinaryForWrite(PfadLokal());
}

void Datei::OpenFileForAppend() {
    output_ = fs_.OpenBinaryForAppend(PfadLokal());
    current_ = fs_.GetFileSize(PfadLokal());
}

void Datei::WriteBytesToFile(const std::vector<std::uint8_t>& b) {
    if (b.empty()) return;
    if (!output_) {
        throw PlatformError(kErrorNoOutputFile,
                            L"Die Datei ist nicht zum Schreiben geöffnet: " + PfadLokal());
    }
    output_->Write(b.data(), b.size());
    if (current_ == 0) firstBytes_.assign(b.begin(), b.begin() + std::min(kFirstBytes, b.size()));
    current_ += static_cast<std::int64_t>(b.size());
}

void Datei::StartOver() {
    // Writing over the old bytes would leave their tail behind when the new
    // body is shorter; only a new file is surely empty.
    CloseFile();
    fs_.DeleteFile(PfadLokal(), true);
    current_ = 0;
    OpenFileForWrite();
}

void Datei::CloseFile() {
    if (!output_) return;
    // Forget the writer even when closing fails, so a second close cannot
    // touch a half-closed file.
    auto output = std::move(output_);
    output->Close();
}

std::optional<double> Datei::GetProgress() const {
    if (total_ <= 0) return std::nullopt;
    const double percent = static_cast<double>(current_) / static_cast<double>(total_) * 100.0;
    return percent < 100.0 ? percent : 100.0;
}

std::optional<double> Datei::GetAktFilesizeInKB() const {
    return ToValue(KilobyteHundredths(current_));
}

std::optional<double> Datei::GetFilesizeInKB() const {
    return ToValue(KilobyteHundredths(total_));
}

double Datei::GetAktFilesizeInMB() const {
    return static_cast<double>(RoundedHundredths(current_, kMegabyte)) / 100.0;
}

double Datei::GetFilesizeInMB() const {
    return static_cast<double>(RoundedHundredths(total_, kMegabyte)) / 100.0;
}

std::wstring Datei::GetFormattedFilesize(const std::wstring& decimalSeparator) const {
    return FormatBytes(total_, decimalSeparator);
}

std::wstring Datei::GetFormattedAktFilesize(const std::wstring& decimalSeparator) const {
    return FormatBytes(current_, decimalSeparator);
}

std::optional<double> Datei::NumericValue(const std::wstring& text) {
    std::size_t pos = 0;
    std::size_t end = text.size();
    while (pos < end && IsWhiteSpace(text[pos])) ++pos;
    while (end > pos && IsWhiteSpace(text[end - 1])) --end;
    bool negative = false;
    if (pos < end && (text[pos] == L'+' || text[pos] == L'-')) negative = text[pos++] == L'-';

    double value = 0.0;
    std::size_t digits = 0;
    for (; pos < end && IsDigit(text[pos]); ++pos, ++digits)
        value = value * 10 + (text[pos] - L'0');
    if (pos < end && text[pos] == L'.') {
        double scale = 0.1;
        for (++pos; pos < end && IsDigit(text[pos]); ++pos, ++digits, scale /= 10) {
            value += (text[pos] - L'0') * scale;
        }
    }
    if (digits == 0 || pos != end) return std::nullopt;
    return negative ? -value : value;
}

std::wstring Datei::FormatSize(std::int64_t bytes, const std::wstring& decimalSeparator) {
    return FormatBytes(bytes, decimalSeparator);
}

bool Datei::FitsTotalSize(double value) {
    const double rounded = std::nearbyint(value);
    return rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
           rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}
