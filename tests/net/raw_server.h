#pragma once
// A loopback HTTP server for tests that records the exact bytes of every request and answers
// with whatever bytes the test scripts, when it likes (stalls and slow bodies included). It
// can speak TLS with a freshly made self-signed certificate.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillet::testing {

struct RecordedRequest {
    std::string head;  // request line and header lines, up to and including the blank line
    std::string body;  // by Content-Length

    std::string requestLine() const { return head.substr(0, head.find("\r\n")); }
    // The header lines after the request line, in order, without line ends.
    std::vector<std::string> headerLines() const;
    // The value of the first header of that name (ASCII case ignored); empty when missing.
    std::string header(std::string_view name) const;
    bool hasHeader(std::string_view name) const;
};

class RawServer;

// One accepted connection, as the test's handler sees it.
class RawConnection {
public:
    virtual ~RawConnection() = default;
    // False once the peer is gone.
    virtual bool send(std::string_view bytes) = 0;
    // Waits, waking early (and returning false) when the server shuts down.
    virtual bool pause(int milliseconds) = 0;
    // Serve the next request on this connection after the handler returns (default: close).
    void keepAlive() { keepAlive_ = true; }
    bool keepAliveRequested() const { return keepAlive_; }
    void resetKeepAlive() { keepAlive_ = false; }

private:
    bool keepAlive_ = false;
};

class RawServer {
public:
    using Handler = std::function<void(const RecordedRequest&, RawConnection&)>;

    explicit RawServer(Handler handler, bool tls = false);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" + path (https when the server speaks TLS).
    std::string url(std::string_view path = "/") const;
    std::vector<RecordedRequest> requests() const;
    int connectionCount() const { return connections_.load(); }

    // A handler that sends the same bytes to every request and closes.
    static Handler reply(std::string bytes);

private:
    friend class ConnectionImpl;
    void acceptLoop();
    void serve(int fd);
    bool waitStopping(int milliseconds);

    Handler handler_;
    bool tls_;
    struct Tls;
    std::unique_ptr<Tls> tlsContext_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<RecordedRequest> requests_;
    std::vector<std::thread> threads_;
    std::thread acceptThread_;
};

// A complete answer: status line, the given header lines, Content-Length, the body.
std::string HttpAnswer(std::string_view status, std::string_view headerLines,
                       std::string_view body);

}  // namespace quillet::testing
