#pragma once
// The HTTP layer: cpp-httplib's request handling over connections this file reads itself,
// so that the raw request head (header order included) is kept, TLS and plain HTTP share
// one port, and a handler can drop its connection.

#include <httplib.h>
#include <openssl/ssl.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace quillet::fake {

struct Connection {
    int socket = -1;
    bool tls = false;
    std::string rawHead;  // request line and header lines of the request being handled
    bool dropped = false;
};

// The connection whose request is being handled on this thread, or null.
Connection* currentConnection();
// Closes the current connection at once; nothing more is sent on it.
void dropCurrentConnection();

// A self-signed certificate naming the hosts, made once per process.
struct TlsIdentity {
    std::shared_ptr<SSL_CTX> context;
    std::string certificatePem;
};
const TlsIdentity& tlsIdentity(const std::vector<std::string>& hostNames);

class LoopbackServer : public httplib::Server {
public:
    LoopbackServer(SSL_CTX* tls, const std::atomic<bool>& stopping);

private:
    bool process_and_close_socket(socket_t sock) override;

    SSL_CTX* tls_;
    const std::atomic<bool>& stopping_;
};

}  // namespace quillet::fake
