#include "raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace quillet::testing {

namespace {

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string trim(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

}  // namespace

std::vector<std::string> RecordedRequest::headerLines() const {
    std::vector<std::string> lines;
    std::size_t at = head.find("\r\n");
    while (at != std::string::npos) {
        std::size_t next = head.find("\r\n", at + 2);
        if (next == std::string::npos || next == at + 2) {
            break;
        }
        lines.push_back(head.substr(at + 2, next - at - 2));
        at = next;
    }
    return lines;
}

std::string RecordedRequest::header(std::string_view name) const {
    for (const std::string& line : headerLines()) {
        std::size_t colon = line.find(':');
        if (colon != std::string::npos && equalsIgnoreCase(trim(line.substr(0, colon)), name)) {
            return trim(std::string_view(line).substr(colon + 1));
        }
    }
    return {};
}

bool RecordedRequest::hasHeader(std::string_view name) const {
    for (const std::string& line : headerLines()) {
        std::size_t colon = line.find(':');
        if (colon != std::string::npos && equalsIgnoreCase(trim(line.substr(0, colon)), name)) {
            return true;
        }
    }
    return false;
}

struct RawServer::Tls {
    SSL_CTX* context = nullptr;
    ~Tls() { SSL_CTX_free(context); }
};

namespace {

// A self-signed certificate for "localhost", valid for an hour: exactly what a client that
// verifies certificates must refuse.
SSL_CTX* selfSignedContext() {
    EVP_PKEY* key = EVP_EC_gen("prime256v1");
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509_sign(cert, key, EVP_sha256());
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    bool ok = context != nullptr && SSL_CTX_use_certificate(context, cert) == 1 &&
              SSL_CTX_use_PrivateKey(context, key) == 1;
    X509_free(cert);
    EVP_PKEY_free(key);
    if (!ok) {
        SSL_CTX_free(context);
        throw std::runtime_error("cannot make a TLS context");
    }
    return context;
}

}  // namespace

class ConnectionImpl : public RawConnection {
public:
    ConnectionImpl(RawServer& server, int fd, SSL* ssl) : server_(server), fd_(fd), ssl_(ssl) {}

    bool send(std::string_view bytes) override {
        while (!bytes.empty()) {
            long n = ssl_ != nullptr ? SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()))
                                     : ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    bool pause(int milliseconds) override { return !server_.waitStopping(milliseconds); }

    // Reads more bytes into buffer; false on end of stream, error or shutdown.
    bool readMore(std::string& buffer) {
        while (!server_.stopping_) {
            if (ssl_ == nullptr || SSL_pending(ssl_) == 0) {
                pollfd p{fd_, POLLIN, 0};
                int ready = ::poll(&p, 1, 50);
                if (ready == 0) {
                    continue;
                }
                if (ready < 0) {
                    return false;
                }
            }
            char chunk[16384];
            long n = ssl_ != nullptr ? SSL_read(ssl_, chunk, sizeof chunk)
                                     : ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0) {
                return false;
            }
            buffer.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
        return false;
    }

private:
    RawServer& server_;
    int fd_;
    SSL* ssl_;
};

RawServer::RawServer(Handler handler, bool tls) : handler_(std::move(handler)), tls_(tls) {
    if (tls_) {
        tlsContext_ = std::make_unique<Tls>();
        tlsContext_->context = selfSignedContext();
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 64) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

RawServer::~RawServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    acceptThread_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        threads.swap(threads_);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    ::close(listenFd_);
}

std::string RawServer::url(std::string_view path) const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) +
           std::string(path);
}

std::vector<RecordedRequest> RawServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

RawServer::Handler RawServer::reply(std::string bytes) {
    return [bytes = std::move(bytes)](const RecordedRequest&, RawConnection& connection) {
        connection.send(bytes);
    };
}

bool RawServer::waitStopping(int milliseconds) {
    std::unique_lock lock(mutex_);
    return wake_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                          [this] { return stopping_.load(); });
}

void RawServer::acceptLoop() {
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) {
            continue;
        }
        int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0) {
            continue;
        }
        ++connections_;
        std::lock_guard lock(mutex_);
        threads_.emplace_back([this, fd] { serve(fd); });
    }
}

void RawServer::serve(int fd) {
    SSL* ssl = nullptr;
    if (tls_) {
        ssl = SSL_new(tlsContext_->context);
        SSL_set_fd(ssl, fd);
        if (SSL_accept(ssl) != 1) {
            SSL_free(ssl);
            ::close(fd);
            return;
        }
    }
    ConnectionImpl connection(*this, fd, ssl);
    std::string buffer;
    while (!stopping_) {
        std::size_t end;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (!connection.readMore(buffer)) {
                end = std::string::npos;
                break;
            }
        }
        if (end == std::string::npos) {
            break;
        }
        RecordedRequest request;
        request.head = buffer.substr(0, end + 4);
        buffer.erase(0, end + 4);
        std::size_t length =
            static_cast<std::size_t>(std::atoll(request.header("Content-Length").c_str()));
        while (buffer.size() < length && connection.readMore(buffer)) {
        }
        request.body = buffer.substr(0, std::min(length, buffer.size()));
        buffer.erase(0, request.body.size());
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        connection.resetKeepAlive();
        handler_(request, connection);
        if (!connection.keepAliveRequested()) {
            break;
        }
    }
    if (ssl != nullptr) {
        SSL_shutdown(ssl);
        SSL_free(ssl);
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

std::string HttpAnswer(std::string_view status, std::string_view headerLines,
                       std::string_view body) {
    std::string answer = "HTTP/1.1 " + std::string(status) + "\r\n" + std::string(headerLines);
    answer += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    answer += body;
    return answer;
}

}  // namespace quillet::testing
