#include "support/HttpTestServer.h"

#include <stdexcept>

#include "platform/Handles_win.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace wintest {

HttpTestServer::HttpTestServer(const std::string& filesFolder) {
    const std::string portFile = std::string(ZELBAR_BINARY_DIR) + "/server-" +
                                 std::to_string(::GetCurrentProcessId()) + "-" +
                                 std::to_string(::GetTickCount64()) + ".port";
    portFile_ = WinPath(portFile);
    std::wstring commandLine =
        L"Z:\\usr\\bin\\python3 " +
        QuoteArgument(Text::FromUtf8(ZELBAR_SOURCE_DIR "/tests/fixtures/server.py")) +
        L" --idle 600 --port-file " + QuoteArgument(Text::FromUtf8(portFile));
    if (!filesFolder.empty()) {
        commandLine += L" --files " + QuoteArgument(Text::FromUtf8(filesFolder));
    }
    StartProcess(commandLine);
    if (!PollUntil([&] { return PathExists(portFile_); })) {
        throw std::runtime_error("the test server did not start (no port file)");
    }
    port_ = static_cast<unsigned short>(std::stoi(ReadBytes(portFile_)));
}

HttpTestServer::~HttpTestServer() {
    UniqueInternetHandle session(
        ::InternetOpenW(L"ZelbarTests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    UniqueInternetHandle shutdown(::InternetOpenUrlW(session.get(), Url(L"/shutdown").c_str(),
                                                     nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    ::DeleteFileW(portFile_.c_str());
}

std::wstring HttpTestServer::Url(const std::wstring& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
}

std::string ServerBytes(std::size_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>((offset + i) % 251);
    return bytes;
}

std::wstring UnreachableUrl(const std::wstring& path) {
    // Port 1 (tcpmux) is not served on a test machine: the connection is refused.
    return L"http://127.0.0.1:1" + path;
}

}  // namespace wintest
