#pragma once
// tests/fixtures/server.py, started by the test (Wine runs Z:\usr\bin\python3 as a
// Linux program). It ends on GET /shutdown, sent by the destructor, or by itself
// once the test program has gone or it has idled: it is never killed by name.
#include <string>

namespace wintest {

class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();

    std::wstring Url(const std::wstring& path) const;

private:
    unsigned short port_ = 0;
    std::wstring portFile_;
};

}  // namespace wintest
