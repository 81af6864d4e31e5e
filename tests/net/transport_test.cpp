// Behaviour the three request operations share: TLS, proxies, the body limit, keep-alive,
// stopping and the window-thread rule.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "net/http_transfer.h"
#include "net/web_access.h"
#include "net_test_util.h"

namespace quillet {
namespace {

using namespace std::chrono_literals;
using testing::HttpAnswer;
using testing::RawServer;
using testing::RecordedRequest;

TEST(Transport, OnlyTheObjectRequestAcceptsASelfSignedCertificate) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "secret")), /*tls=*/true);
    const std::string url = server.url("/");
    ASSERT_TRUE(url.starts_with("https://"));

    int status = 0;
    EXPECT_EQ(WebAccessObject(url, {.status = &status}), "secret");
    EXPECT_EQ(status, 200);

    std::string statusText;
    EXPECT_EQ(WebAccessDirect(url, {.statusText = &statusText}), "");
    EXPECT_EQ(statusText, kDirectFailure711);

    std::string headers = "unchanged";
    EXPECT_EQ(WebAccessInet(url, {.returnedHeaders = &headers}), "");
    EXPECT_EQ(headers, "");
    // Only the object request got through the handshake.
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(Transport, NamedProxyGetsTheAbsoluteAddressAndBasicCredentials) {
    RawServer proxy(RawServer::reply(HttpAnswer("200 OK", "", "via proxy")));
    const std::string proxyAddress = "127.0.0.1:" + std::to_string(proxy.port());
    const std::string target = "http://target.localhost:8080/x?y=1";

    EXPECT_EQ(WebAccessDirect(
                  target, {.proxy = proxyAddress, .proxyUser = "代理", .proxyPassword = "密码"}),
              "via proxy");
    EXPECT_EQ(WebAccessObject(
                  target, {.proxy = proxyAddress, .proxyUser = "代理", .proxyPassword = "密码"}),
              "via proxy");
    EXPECT_EQ(WebAccessObject(target, {.proxy = proxyAddress,
                                       .proxyUser = "代理",
                                       .proxyPassword = "密码",
                                       .proxyAuthMode = 0}),
              "via proxy");
    EXPECT_EQ(WebAccessInet(target, {.proxy = proxyAddress}), "via proxy");

    std::vector<RecordedRequest> requests = proxy.requests();
    ASSERT_EQ(requests.size(), 4u);
    for (const RecordedRequest& request : requests) {
        EXPECT_EQ(request.requestLine(), "GET " + target + " HTTP/1.1");
        EXPECT_EQ(request.header("Host"), "target.localhost:8080");
        EXPECT_FALSE(request.hasHeader("Proxy-Connection"));
    }
    EXPECT_EQ(requests[0].header("Proxy-Authorization"), "Basic tPrA7TrD3MLr");
    EXPECT_EQ(requests[1].header("Proxy-Authorization"), "Basic tPrA7TrD3MLr");
    EXPECT_FALSE(requests[2].hasHeader("Proxy-Authorization"));
    EXPECT_FALSE(requests[3].hasHeader("Proxy-Authorization"));
}

TEST(Transport, ProxyCredentialsForHttpsGoInTheTunnelRequestOnly) {
    RawServer proxy(RawServer::reply(HttpAnswer("403 Forbidden", "", "")));
    int status = -1;
    EXPECT_EQ(WebAccessObject("https://target.localhost/secure",
                              {.status = &status,
                               .proxy = "127.0.0.1:" + std::to_string(proxy.port()),
                               .proxyUser = "u",
                               .proxyPassword = "p"}),
              "");
    EXPECT_EQ(status, 0);
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0].requestLine(), "CONNECT target.localhost:443 HTTP/1.1");
    EXPECT_EQ(proxy.requests()[0].header("Proxy-Authorization"), "Basic dTpw");
}

class BodyLimit : public ::testing::Test {
protected:
    void SetUp() override { net::SetMaxBodyBytesForTesting(1000); }
    void TearDown() override { net::SetMaxBodyBytesForTesting(0); }
};

TEST_F(BodyLimit, ABodyPastTheLimitFailsEveryOperation) {
    RawServer server([](const RecordedRequest& request, testing::RawConnection& c) {
        std::size_t size = request.requestLine().starts_with("GET /over") ? 1001 : 1000;
        c.send(HttpAnswer("200 OK", "", std::string(size, 'x')));
    });
    EXPECT_EQ(WebAccessDirect(server.url("/limit")).size(), 1000u);
    EXPECT_EQ(WebAccessObject(server.url("/limit")).size(), 1000u);
    EXPECT_EQ(WebAccessInet(server.url("/limit")).size(), 1000u);

    std::string statusText;
    Bytes bytes = "old";
    EXPECT_EQ(
        WebAccessDirect(server.url("/over"), {.statusText = &statusText, .responseBytes = &bytes}),
        "");
    EXPECT_EQ(statusText, kDirectFailure713);
    EXPECT_EQ(bytes, "old");
    int status = -1;
    EXPECT_EQ(WebAccessObject(server.url("/over"), {.status = &status}), "");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(WebAccessInet(server.url("/over")), "");
}

TEST(Transport, ConnectionIsReusedButNoCookieSurvives) {
    RawServer server([](const RecordedRequest&, testing::RawConnection& c) {
        c.send(HttpAnswer("200 OK", "Set-Cookie: session=abc\r\n", "ok"));
        c.keepAlive();
    });
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(WebAccessObject(server.url("/")), "ok");
    }
    EXPECT_EQ(WebAccessDirect(server.url("/")), "ok");
    EXPECT_EQ(server.connectionCount(), 1);
    for (const RecordedRequest& request : server.requests()) {
        EXPECT_FALSE(request.hasHeader("Cookie"));
    }
}

using Operation = std::function<void(const std::string&)>;

struct NamedOperation {
    const char* name;
    Operation run;
};

const NamedOperation kOperations[] = {
    {"direct", [](const std::string& url) { WebAccessDirect(url); }},
    {"object", [](const std::string& url) { WebAccessObject(url); }},
    {"inet", [](const std::string& url) { WebAccessInet(url); }},
};

TEST(Transport, StopDuringASlowBodyUnwindsTheJob) {
    std::atomic<int> bodiesStarted{0};
    RawServer server([&](const RecordedRequest&, testing::RawConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        ++bodiesStarted;
        // 30 seconds of trickle unless the client goes away.
        for (int i = 0; i < 300 && c.send(std::string(10, 'x')) && c.pause(100); ++i) {
        }
    });
    for (const NamedOperation& operation : kOperations) {
        SCOPED_TRACE(operation.name);
        int started = bodiesStarted;
        std::atomic<bool> stop{false};
        std::atomic<bool> unwound{false};
        std::chrono::steady_clock::time_point returnedAt;
        std::thread job([&] {
            SetThreadStopFlag(&stop);
            try {
                operation.run(server.url("/slow"));
            } catch (const StopRequested&) {
                unwound = true;
            }
            returnedAt = std::chrono::steady_clock::now();
            SetThreadStopFlag(nullptr);
        });
        while (bodiesStarted == started) {
            std::this_thread::sleep_for(5ms);
        }
        std::this_thread::sleep_for(150ms);
        auto stoppedAt = std::chrono::steady_clock::now();
        stop = true;
        job.join();
        EXPECT_TRUE(unwound);
        // Far below the 30 s the body would take; the latency itself is measured in bench/.
        EXPECT_LT(returnedAt - stoppedAt, 2s);
    }
}

TEST(Transport, AStoppedJobMakesNoRequest) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "")));
    std::atomic<bool> stop{true};
    SetThreadStopFlag(&stop);
    for (const NamedOperation& operation : kOperations) {
        SCOPED_TRACE(operation.name);
        EXPECT_THROW(operation.run(server.url("/")), StopRequested);
    }
    SetThreadStopFlag(nullptr);
    EXPECT_TRUE(server.requests().empty());
}

#ifndef NDEBUG
TEST(TransportDeathTest, ARequestOnTheWindowThreadAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const NamedOperation& operation : kOperations) {
        SCOPED_TRACE(operation.name);
        EXPECT_DEATH(
            {
                SetWindowThreadId(std::this_thread::get_id());
                operation.run("http://127.0.0.1:9/");
            },
            "window thread");
    }
}
#endif

}  // namespace
}  // namespace quillet
