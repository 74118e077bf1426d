// WinArchiveTrust against Wine's wintrust and crypt32, with archives that
// osslsigncode signed at build time under the test authority the sandbox
// trusts (and under none).
#include <gtest/gtest.h>

#include "platform/ArchiveTrust_win.h"
#include "platform/Shell_win.h"
#include "support/TestSupport.h"

using namespace wintest;

namespace {

std::wstring Signed(const std::wstring& name) {
    return WinPath(ZELBAR_BINARY_DIR) + L"\\tests\\fixtures\\trust_cert\\signed\\" + name + L".exe";
}

class WinArchiveTrustTest : public ::testing::Test {
protected:
    // The test authority, trusted as a company's own is.
    static void SetUpTestSuite() {
        const std::wstring trustCert =
            QuoteArgument(FixtureExe(L"trust_cert")) + L" " +
            QuoteArgument(WinPath(ZELBAR_BINARY_DIR "/tests/fixtures/trust_cert/certs/ca.der"));
        ASSERT_EQ(WinShell().Run(trustCert, WindowStyle::Hidden, true), 0u);
    }
    TempFolder temp;
    WinArchiveTrust trust{L"Zelbar Test Publisher"};
};

struct Case {
    std::wstring archive;
    SignatureState state;
    std::wstring signer;
};

TEST_F(WinArchiveTrustTest, TellsEverySignatureApart) {
    const Case cases[] = {
        {WinPath(ZELBAR_BINARY_DIR "/tests/fixtures/extractor/demo_archive.exe"),
         SignatureState::None, L""},
        {Signed(L"publisher"), SignatureState::Trusted, L"Zelbar Test Publisher"},
        {Signed(L"other"), SignatureState::Trusted, L"Fremder Herausgeber"},
        {Signed(L"changed"), SignatureState::Broken, L""},
        // WinVerifyTrust alone lets this one pass under Wine.
        {Signed(L"selfsigned"), SignatureState::Untrusted, L"Zelbar Test Publisher"},
    };
    for (const Case& c : cases) {
        const auto checked = trust.Check(c.archive);
        EXPECT_EQ(checked->State(), c.state) << Narrow(c.archive);
        if (c.state != SignatureState::Broken) {
            EXPECT_EQ(checked->Signer(), c.signer) << Narrow(c.archive);
        }
    }
    EXPECT_EQ(trust.PinnedSigner(), L"Zelbar Test Publisher");
    EXPECT_THROW(trust.Check(temp / L"fehlt.exe"), PlatformError);
}

// Between the check and the start nobody can swap the file; the program
// itself still starts from it.
TEST_F(WinArchiveTrustTest, CheckedFileCanBeStartedButNotChangedUntilLetGo) {
    const std::wstring archive = temp / L"ZelbarSetup11.exe";
    ASSERT_TRUE(::CopyFileW(Signed(L"publisher").c_str(), archive.c_str(), FALSE));
    auto checked = trust.Check(archive);
    ASSERT_EQ(checked->State(), SignatureState::Trusted);

    const UniqueFileHandle writer(::CreateFileW(
        archive.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer);
    EXPECT_FALSE(::DeleteFileW(archive.c_str()));
    EXPECT_FALSE(::MoveFileExW(archive.c_str(), (temp / L"weg.exe").c_str(), 0));

    const std::wstring unpacked = temp / L"entpackt";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::wstring line = QuoteArgument(archive) + L" -o -q -d " + QuoteArgument(unpacked);
    ASSERT_TRUE(::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &started));
    const UniqueKernelHandle process(started.hProcess), thread(started.hThread);
    checked.reset();
    ASSERT_EQ(::WaitForSingleObject(process.get(), 300000), WAIT_OBJECT_0);  // only a hang cap
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);  // the signed archive still unpacks
    EXPECT_TRUE(PathExists(unpacked + L"\\ZelbarProg.mdb"));
    EXPECT_TRUE(::DeleteFileW(archive.c_str()));
}

}  // namespace
