#include "fake-marketplace/server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <stdexcept>

namespace quillet::fake {

namespace {

using namespace std::chrono_literals;

constexpr auto kReadTimeout = 10s;
constexpr auto kWriteTimeout = 10s;
constexpr auto kKeepAliveTimeout = 5s;

thread_local Connection* t_connection = nullptr;

// Waits for the socket in short slices so that a stopping server is never held up.
bool waitSocket(int fd, short events, std::chrono::milliseconds timeout,
                const std::atomic<bool>& stopping) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!stopping.load(std::memory_order_acquire)) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, 50);
        if (r > 0) {
            return true;
        }
        if (r < 0 && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
    }
    return false;
}

class ConnectionStream : public httplib::Stream {
public:
    ConnectionStream(int fd, SSL* ssl, const std::atomic<bool>& stopping)
        : fd_(fd), ssl_(ssl), stopping_(stopping) {}

    bool is_readable() const override {
        return buffered() || waitSocket(fd_, POLLIN, kReadTimeout, stopping_);
    }
    bool is_writable() const override { return waitSocket(fd_, POLLOUT, kWriteTimeout, stopping_); }

    ssize_t read(char* ptr, size_t size) override {
        if (pos_ == buffer_.size()) {
            if (!buffered() && !waitSocket(fd_, POLLIN, kReadTimeout, stopping_)) {
                return -1;
            }
            buffer_.resize(16384);
            ssize_t n = 0;
            if (ssl_ != nullptr) {
                n = SSL_read(ssl_, buffer_.data(), static_cast<int>(buffer_.size()));
            } else {
                do {
                    n = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
                } while (n < 0 && errno == EINTR);
            }
            if (n <= 0) {
                buffer_.clear();
                pos_ = 0;
                return n < 0 ? -1 : 0;
            }
            buffer_.resize(static_cast<std::size_t>(n));
            pos_ = 0;
        }
        const std::size_t n = std::min(size, buffer_.size() - pos_);
        std::copy_n(buffer_.data() + pos_, n, ptr);
        if (recording_) {
            record_.append(ptr, n);
        }
        pos_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!waitSocket(fd_, POLLOUT, kWriteTimeout, stopping_)) {
            return -1;
        }
        if (ssl_ != nullptr) {
            const int n = SSL_write(ssl_, ptr, static_cast<int>(std::min<size_t>(size, INT_MAX)));
            return n > 0 ? n : -1;
        }
        ssize_t n = 0;
        do {
            n = ::send(fd_, ptr, size, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        return n;
    }
    using httplib::Stream::write;

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
            describe(addr, ip, port);
        }
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
            describe(addr, ip, port);
        }
    }
    socket_t socket() const override { return fd_; }

    bool waitForRequest() const {
        return buffered() || waitSocket(fd_, POLLIN, kKeepAliveTimeout, stopping_);
    }
    void startRecording() {
        record_.clear();
        recording_ = true;
    }
    std::string takeRecording() {
        recording_ = false;
        return std::move(record_);
    }

private:
    bool buffered() const {
        return pos_ < buffer_.size() || (ssl_ != nullptr && SSL_pending(ssl_) > 0);
    }
    static void describe(const sockaddr_storage& addr, std::string& ip, int& port) {
        char text[INET6_ADDRSTRLEN] = {};
        if (addr.ss_family == AF_INET) {
            const auto* a = reinterpret_cast<const sockaddr_in*>(&addr);
            ::inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
            port = ntohs(a->sin_port);
        } else if (addr.ss_family == AF_INET6) {
            const auto* a = reinterpret_cast<const sockaddr_in6*>(&addr);
            ::inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
            port = ntohs(a->sin6_port);
        }
        ip = text;
    }

    int fd_;
    SSL* ssl_;
    const std::atomic<bool>& stopping_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    bool recording_ = false;
    std::string record_;
};

void addExtension(X509* cert, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (ext == nullptr) {
        throw std::runtime_error("certificate extension refused");
    }
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

TlsIdentity makeIdentity(const std::vector<std::string>& hostNames) {
    // P-256 keys are made in well under a millisecond, unlike RSA, so start-up stays quick.
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    if (key == nullptr || cert == nullptr) {
        throw std::runtime_error("cannot make a TLS key");
    }
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 0x51ED);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3650L * 86400);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Quillet fake marketplace"),
                               -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    std::string altNames = "DNS:localhost,IP:127.0.0.1";
    for (const auto& host : hostNames) {
        altNames += ",DNS:" + host;
    }
    addExtension(cert, NID_subject_alt_name, altNames);
    // Usable as its own trust anchor, so clients may verify against it.
    addExtension(cert, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(cert, NID_key_usage, "critical,digitalSignature,keyCertSign");
    addExtension(cert, NID_ext_key_usage, "serverAuth");
    X509_sign(cert, key, EVP_sha256());

    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    if (ctx == nullptr || SSL_CTX_use_certificate(ctx, cert) != 1 ||
        SSL_CTX_use_PrivateKey(ctx, key) != 1) {
        throw std::runtime_error("cannot set up TLS");
    }
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);

    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    const long len = BIO_get_mem_data(bio, &data);
    TlsIdentity identity;
    identity.certificatePem.assign(data, static_cast<std::size_t>(len));
    BIO_free(bio);
    X509_free(cert);
    EVP_PKEY_free(key);
    identity.context.reset(ctx, SSL_CTX_free);
    return identity;
}

void setTimeout(int fd, int option, std::chrono::seconds timeout) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(timeout.count());
    ::setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv);
}

}  // namespace

Connection* currentConnection() {
    return t_connection;
}

void dropCurrentConnection() {
    if (t_connection != nullptr && !t_connection->dropped) {
        t_connection->dropped = true;
        ::shutdown(t_connection->socket, SHUT_RDWR);
    }
}

const TlsIdentity& tlsIdentity(const std::vector<std::string>& hostNames) {
    static const TlsIdentity identity = makeIdentity(hostNames);
    return identity;
}

LoopbackServer::LoopbackServer(SSL_CTX* tls, const std::atomic<bool>& stopping)
    : tls_(tls), stopping_(stopping) {}

bool LoopbackServer::process_and_close_socket(socket_t sock) {
    // A peer that goes away makes SSL_write raise SIGPIPE; keep it pending on this thread
    // (and drop it below) instead of letting it end the process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    setTimeout(sock, SO_RCVTIMEO, std::chrono::duration_cast<std::chrono::seconds>(kReadTimeout));
    setTimeout(sock, SO_SNDTIMEO, std::chrono::duration_cast<std::chrono::seconds>(kWriteTimeout));
    int one = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

    Connection connection;
    connection.socket = sock;
    t_connection = &connection;
    SSL* ssl = nullptr;
    bool ok = false;
    bool usable = waitSocket(sock, POLLIN, kReadTimeout, stopping_);
    if (usable) {
        // A TLS connection starts with a handshake record (type 22); anything else is HTTP.
        unsigned char first = 0;
        if (::recv(sock, &first, 1, MSG_PEEK) == 1 && first == 0x16 && tls_ != nullptr) {
            ssl = SSL_new(tls_);
            SSL_set_fd(ssl, sock);
            usable = SSL_accept(ssl) == 1;
            connection.tls = true;
        }
    }
    if (usable) {
        ConnectionStream stream(sock, ssl, stopping_);
        for (std::size_t count = keep_alive_max_count_; count > 0; --count) {
            if (stopping_.load(std::memory_order_acquire) || !stream.waitForRequest()) {
                break;
            }
            stream.startRecording();
            bool closed = false;
            ok = process_request(stream, count == 1, closed, [&](httplib::Request&) {
                connection.rawHead = stream.takeRecording();
            });
            if (!ok || closed || connection.dropped) {
                break;
            }
        }
    }
    if (ssl != nullptr) {
        if (!connection.dropped) {
            SSL_shutdown(ssl);
        }
        SSL_free(ssl);
    }
    if (!connection.dropped) {
        ::shutdown(sock, SHUT_RDWR);
    }
    ::close(sock);
    t_connection = nullptr;
    const timespec zero{};
    while (sigtimedwait(&pipe, nullptr, &zero) == SIGPIPE) {
    }
    return ok;
}

}  // namespace quillet::fake
