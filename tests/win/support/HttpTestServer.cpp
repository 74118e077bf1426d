#include "support/HttpTestServer.h"

#include <sstream>
#include <stdexcept>

#include "platform/Handles_win.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace wintest {

HttpTestServer::HttpTestServer(const std::wstring& arguments, const std::string& script) {
    const std::string portFile = std::string(ZELBAR_BINARY_DIR) + "/server-" +
                                 std::to_string(::GetCurrentProcessId()) + "-" +
                                 std::to_string(::GetTickCount64()) + ".port";
    portFile_ = WinPath(portFile);
    std::wstring commandLine =
        L"Z:\\usr\\bin\\python3 " +
        QuoteArgument(Text::FromUtf8(ZELBAR_SOURCE_DIR "/tests/fixtures/" + script)) +
        L" --idle 600 --port-file " + QuoteArgument(Text::FromUtf8(portFile)) + L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started)) {
        throw std::runtime_error("cannot start the test server");
    }
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    if (!PollUntil([&] { return PathExists(portFile_); })) {
        throw std::runtime_error("the test server did not start (no port file)");
    }
    std::istringstream ports(ReadBytes(portFile_));
    for (unsigned port = 0; ports >> port;) ports_.push_back(static_cast<unsigned short>(port));
}

HttpTestServer::~HttpTestServer() {
    UniqueInternetHandle session(
        ::InternetOpenW(L"ZelbarTests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    UniqueInternetHandle shutdown(::InternetOpenUrlW(session.get(), Url(L"/shutdown").c_str(),
                                                     nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    ::DeleteFileW(portFile_.c_str());
}

std::wstring HttpTestServer::Url(const std::wstring& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(Port()) + path;
}

std::wstring HttpTestServer::SecureUrl(std::size_t index, const std::wstring& path) const {
    return L"https://localhost:" + std::to_wstring(ports_.at(index + 1)) + path;
}

}  // namespace wintest
