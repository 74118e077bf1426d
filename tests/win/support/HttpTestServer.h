#pragma once
// tests/fixtures/server.py (or another server there), started by the test (Wine
// runs Z:\usr\bin\python3 as a Linux program). It ends on GET /shutdown, sent by
// the destructor, or by itself once the test program has gone or it has idled: it
// is never killed by name.
#include <string>
#include <vector>

namespace wintest {

class HttpTestServer {
public:
    // `arguments` follow the script's own; the script names its ports in the
    // port file: the plain one first, then one per TLS server.
    explicit HttpTestServer(const std::wstring& arguments = L"",
                            const std::string& script = "server.py");
    ~HttpTestServer();

    std::wstring Url(const std::wstring& path) const;
    // `path` from the index-th TLS server, by the name its certificates are for.
    std::wstring SecureUrl(std::size_t index, const std::wstring& path) const;
    unsigned short Port() const { return ports_.front(); }

private:
    std::vector<unsigned short> ports_;
    std::wstring portFile_;
};

}  // namespace wintest
