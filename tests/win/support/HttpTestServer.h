#pragma once
// tests/fixtures/server.py for the tests that run under Wine.
//
// Wine starts a Linux program when CreateProcess is given one, so the test
// program itself starts "python3 server.py" (as Z:\usr\bin\python3). The
// server writes its port into a file in the build tree, which the test reads
// through Z:. The server ends on GET /shutdown (sent by the destructor), and
// by itself when the test program has gone or it has been idle for a while,
// so a crashed test leaves nothing behind. Its process cannot be waited for
// from the Windows side; it is never killed by name.
#include <cstddef>
#include <string>

namespace wintest {

class HttpTestServer {
public:
    HttpTestServer();
    // Also serves the files of this host folder as /files/<name>, and their
    // byte counts to the size query.
    explicit HttpTestServer(const std::string& filesFolder);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    unsigned short port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::wstring Url(const std::wstring& path) const;

private:
    unsigned short port_ = 0;
    std::wstring portFile_;
};

// Bytes offset .. offset + count - 1 of every body the server sends (i % 251).
std::string ServerBytes(std::size_t offset, std::size_t count);

// An address on 127.0.0.1 where nothing listens.
std::wstring UnreachableUrl(const std::wstring& path);

}  // namespace wintest
