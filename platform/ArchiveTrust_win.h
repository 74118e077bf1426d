#pragma once
#include "platform/ArchiveTrust.h"

// Authenticode on Win32: WinVerifyTrust for the signature and the file's
// digest, then the signer's own chain through crypt32, because a verdict of
// WinVerifyTrust alone does not everywhere mean that a trusted root vouches
// for the signer (Wine accepts a self-signed certificate).
class WinArchiveTrust : public ArchiveTrust {
public:
    explicit WinArchiveTrust(std::wstring pinnedSigner) : pinnedSigner_(std::move(pinnedSigner)) {}
    const std::wstring& PinnedSigner() const override { return pinnedSigner_; }
    std::unique_ptr<CheckedFile> Check(const std::wstring& path) override;

private:
    std::wstring pinnedSigner_;
};
