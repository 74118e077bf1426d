#include "platform/ArchiveTrust_win.h"

#include <utility>
#include <vector>

#include "platform/Handles_win.h"

#include <wincrypt.h>

#include <softpub.h>
#include <wintrust.h>

namespace {

class WinCheckedFile : public CheckedFile {
public:
    WinCheckedFile(UniqueFileHandle file, SignatureState state, std::wstring signer)
        : file_(std::move(file)), state_(state), signer_(std::move(signer)) {}
    SignatureState State() const override { return state_; }
    const std::wstring& Signer() const override { return signer_; }

private:
    UniqueFileHandle file_;
    SignatureState state_;
    std::wstring signer_;
};

// WinVerifyTrust's state data, closed again when the check is over.
class TrustState {
public:
    TrustState(const std::wstring& path, HANDLE file) {
        fileInfo_.cbStruct = sizeof fileInfo_;
        fileInfo_.pcwszFilePath = path.c_str();
        fileInfo_.hFile = file;
        data_.cbStruct = sizeof data_;
        data_.dwUIChoice = WTD_UI_NONE;
        data_.fdwRevocationChecks = WTD_REVOKE_NONE;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &fileInfo_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        data_.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        result_ = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    ~TrustState() {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    TrustState(const TrustState&) = delete;
    TrustState& operator=(const TrustState&) = delete;

    LONG Result() const { return result_; }
    // The first signer as the provider read it; null when there is none.
    CRYPT_PROVIDER_SGNR* Signer() const {
        if (data_.hWVTStateData == nullptr) return nullptr;
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data_.hWVTStateData);
        if (provider == nullptr) return nullptr;
        CRYPT_PROVIDER_SGNR* signer = ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
        if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr ||
            signer->pasCertChain[0].pCert == nullptr) {
            return nullptr;
        }
        return signer;
    }
    HCERTSTORE MessageStore() const {
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data_.hWVTStateData);
        return provider != nullptr && provider->chStores > 0 ? provider->pahStores[0] : nullptr;
    }

private:
    GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO fileInfo_ = {};
    WINTRUST_DATA data_ = {};
    LONG result_ = 0;
};

std::wstring CommonName(PCCERT_CONTEXT cert) {
    char oid[] = szOID_COMMON_NAME;
    const DWORD size = ::CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, 0, oid, nullptr, 0);
    std::vector<wchar_t> name(size > 0 ? size : 1, L'\0');
    ::CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, 0, oid, name.data(), size);
    return std::wstring(name.data());
}

// Whether the signer's certificate, for code signing and at the time the
// signature speaks for, leads to a root the machine trusts. Revocation is
// not looked up, so its unknown state counts for nothing.
bool ChainTrusted(const CRYPT_PROVIDER_SGNR& signer, HCERTSTORE messageStore) {
    char codeSigning[] = szOID_PKIX_KP_CODE_SIGNING;
    LPSTR usages[] = {codeSigning};
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    FILETIME asOf = signer.sftVerifyAsOf;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!::CertGetCertificateChain(nullptr, signer.pasCertChain[0].pCert, &asOf, messageStore,
                                   &para, 0, nullptr, &chain)) {
        return false;
    }
    const DWORD ignored = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
    const bool trusted = (chain->TrustStatus.dwErrorStatus & ~ignored) == 0;
    ::CertFreeCertificateChain(chain);
    return trusted;
}

SignatureState StateOf(const TrustState& trust, const CRYPT_PROVIDER_SGNR* signer) {
    switch (trust.Result()) {
        case ERROR_SUCCESS:
            break;
        case TRUST_E_NOSIGNATURE:
        case TRUST_E_SUBJECT_FORM_UNKNOWN:
        case TRUST_E_PROVIDER_UNKNOWN:
            return SignatureState::None;
        // An intact signature whose certificate nobody vouches for.
        case CERT_E_UNTRUSTEDROOT:
        case CERT_E_CHAINING:
        case CERT_E_UNTRUSTEDTESTROOT:
            return SignatureState::Untrusted;
        default:
            return SignatureState::Broken;
    }
    if (signer == nullptr) return SignatureState::Broken;
    return ChainTrusted(*signer, trust.MessageStore()) ? SignatureState::Trusted
                                                       : SignatureState::Untrusted;
}

}  // namespace

std::unique_ptr<CheckedFile> WinArchiveTrust::Check(const std::wstring& path) {
    // Read sharing only: the program can still be started from it, but nobody
    // can change, replace or delete it while it is held.
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError(L"Die heruntergeladene Datei konnte nicht geöffnet werden: " + path);
    const TrustState trust(path, file.get());
    const CRYPT_PROVIDER_SGNR* signer = trust.Signer();
    const SignatureState state = StateOf(trust, signer);
    std::wstring name = signer != nullptr ? CommonName(signer->pasCertChain[0].pCert) : L"";
    return std::make_unique<WinCheckedFile>(std::move(file), state, std::move(name));
}
