#pragma once
// tests/fixtures/server.py, started by the test (Wine runs Z:\usr\bin\python3 as a
// Linux program). It ends on GET /shutdown, sent by the destructor, or by itself
// once the test program has gone or it has idled: it is never killed by name.
#include <cstddef>
#include <string>

namespace wintest {

class HttpTestServer {
public:
    // Also serves the files of this host folder as /files/<name>, and their
    // byte counts to the size query.
    explicit HttpTestServer(const std::string& filesFolder = std::string());
    ~HttpTestServer();

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
