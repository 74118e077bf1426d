#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ArchiveTrust.h"
#include "platform/PlatformError.h"
#include "platform/PortableFileSystem.h"

// An ArchiveTrust for tests: every file checked has the signature the test
// sets; a file that does not exist cannot be opened, as on Windows. heldFiles
// counts the checked files not yet let go.
class FakeArchiveTrust : public ArchiveTrust {
public:
    std::wstring pinned;
    SignatureState state = SignatureState::None;
    std::wstring signer;
    std::vector<std::wstring> checked;
    int heldFiles = 0;

    const std::wstring& PinnedSigner() const override { return pinned; }
    std::unique_ptr<CheckedFile> Check(const std::wstring& path) override {
        if (!PortableFileSystem().FileExists(path)) {
            throw PlatformError(2, L"Nicht gefunden: " + path);
        }
        checked.push_back(path);
        return std::make_unique<Held>(*this);
    }

private:
    class Held : public CheckedFile {
    public:
        explicit Held(FakeArchiveTrust& trust) : trust_(trust) { ++trust_.heldFiles; }
        ~Held() override { --trust_.heldFiles; }
        SignatureState State() const override { return trust_.state; }
        const std::wstring& Signer() const override { return trust_.signer; }

    private:
        FakeArchiveTrust& trust_;
    };
};
