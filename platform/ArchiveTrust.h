#pragma once
#include <memory>
#include <string>

// What a program file's Authenticode signature says.
enum class SignatureState {
    // No signature at all.
    None,
    // A signature that does not match the file's bytes, or cannot be read.
    Broken,
    // Intact, but its certificate leads to no root authority the machine trusts.
    Untrusted,
    // Intact, from a certificate under a trusted root authority.
    Trusted,
};

// A checked file, held open so that nobody can write, replace or delete it
// until the object goes: the program started from it is the program checked.
class CheckedFile {
public:
    virtual ~CheckedFile() = default;
    virtual SignatureState State() const = 0;
    // The signing certificate's subject common name; empty without a readable signature.
    virtual const std::wstring& Signer() const = 0;
};

// Checks downloaded programs before they run. Revocation lists are never
// fetched: the archive arrives while the line may be slow or filtered.
class ArchiveTrust {
public:
    virtual ~ArchiveTrust() = default;
    // The signer's common name this program was built to demand; empty: any
    // intact signature, or none at all, will do.
    virtual const std::wstring& PinnedSigner() const = 0;
    // Opens the file without write or delete sharing and checks its signature.
    // Throws PlatformError when the file cannot be opened.
    virtual std::unique_ptr<CheckedFile> Check(const std::wstring& path) = 0;
};
