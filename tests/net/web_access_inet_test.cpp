#include <gtest/gtest.h>

#include <string>

#include "net/web_access.h"
#include "net_test_util.h"

namespace quillet {
namespace {

using testing::HttpAnswer;
using testing::RawServer;
using testing::RecordedRequest;

TEST(WebAccessInet, SchemeLessAddressIsPlainHttpWithTheDefaultHeaders) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "v1.0")));
    const std::string url = "127.0.0.1:" + std::to_string(server.port()) + "/yz/bb.txt";
    EXPECT_EQ(WebAccessInet(url), "v1.0");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].head, "GET /yz/bb.txt HTTP/1.1\r\n" + testing::HostLine(server) +
                                             "Accept: */*\r\n"
                                             "Referer: " +
                                             url +
                                             "\r\n"
                                             "Accept-Language: zh-cn\r\n"
                                             "User-Agent: " +
                                             testing::kObjectAgent + "\r\n\r\n");
}

TEST(WebAccessInet, HostIsLowerCasedAndAnEmptyPathIsSlash) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "")));
    const std::string port = std::to_string(server.port());
    WebAccessInet("http://LocalHost:" + port + "/X?Y=1");
    WebAccessInet("http://localhost:" + port);
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0].requestLine(), "GET /X?Y=1 HTTP/1.1");
    EXPECT_EQ(server.requests()[0].header("Host"), "localhost:" + port);
    EXPECT_EQ(server.requests()[1].requestLine(), "GET / HTTP/1.1");
}

TEST(WebAccessInet, CallersAgentIsSentOnceAsTheLastLine) {
    struct Row {
        const char* headers;
        const char* agent;
    };
    const Row rows[] = {
        {"User-Agent: Updater/2", "Updater/2"},
        {"user-agent: lower/1", "lower/1"},
        {"X-A: 1\r\nUser-Agent:   spaced  ", "spaced"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.headers);
        RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "")));
        std::string headers = row.headers;
        WebAccessInet(server.url("/"), {.extraHeaders = &headers});
        ASSERT_EQ(server.requests().size(), 1u);
        std::vector<std::string> lines = server.requests()[0].headerLines();
        EXPECT_EQ(lines.back(), std::string("User-Agent: ") + row.agent);
        int agents = 0;
        for (const std::string& line : lines) {
            agents += line.starts_with("User-Agent") || line.starts_with("user-agent");
        }
        EXPECT_EQ(agents, 1);
        EXPECT_TRUE(headers.starts_with(row.headers));
    }
}

TEST(WebAccessInet, GetNeverSendsABodyPostFillsPostBytes) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "")));
    Bytes postBytes;
    WebAccessInet(server.url("/g"), {.postData = "ignored", .postBytes = &postBytes});
    EXPECT_EQ(postBytes, "");

    std::string headers;
    std::string cookies = "t=1";
    WebAccessInet(server.url("/p"), {.method = 1,
                                     .postData = "a=b",
                                     .cookies = &cookies,
                                     .extraHeaders = &headers,
                                     .postBytes = &postBytes});
    EXPECT_EQ(postBytes, "a=b");
    EXPECT_EQ(headers, "Accept: */*\r\nReferer: " + server.url("/p") +
                           "\r\nAccept-Language: zh-cn\r\n"
                           "Content-Type: application/x-www-form-urlencoded\r\nCookie: t=1");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0].body, "");
    EXPECT_FALSE(server.requests()[0].hasHeader("Content-Length"));
    EXPECT_EQ(server.requests()[1].body, "a=b");
    EXPECT_EQ(server.requests()[1].header("Cookie"), "t=1");
}

TEST(WebAccessInet, ReturnsHeadersCookiesAndPartialBodies) {
    RawServer server([](const RecordedRequest& request, testing::RawConnection& c) {
        if (request.requestLine().starts_with("GET /full")) {
            c.send(
                HttpAnswer("500 Internal Server Error", "set-Cookie: s=9; HttpOnly\r\n", "oops"));
        } else {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhalf");
            // Closing early breaks the body off.
        }
    });
    std::string headers, returnedCookies;
    EXPECT_EQ(WebAccessInet(server.url("/full"),
                            {.returnedCookies = &returnedCookies, .returnedHeaders = &headers}),
              "oops");
    EXPECT_EQ(headers,
              "HTTP/1.1 500 Internal Server Error\r\nSet-Cookie: s=9; HttpOnly\r\n"
              "Content-Length: 4\r\n\r\n");
    EXPECT_EQ(returnedCookies, "s=9");
    EXPECT_EQ(WebAccessInet(server.url("/cut")), "half");
}

TEST(WebAccessInet, NoHostMeansNoRequestAndNoOutput) {
    for (const char* url : {"", "http:///x", "http://:80/"}) {
        SCOPED_TRACE(url);
        std::string headers = "mine", returned = "old";
        std::string cookies = "a = 1";
        EXPECT_EQ(
            WebAccessInet(
                url, {.cookies = &cookies, .extraHeaders = &headers, .returnedHeaders = &returned}),
            "");
        EXPECT_EQ(headers, "mine");
        EXPECT_EQ(returned, "old");
        EXPECT_EQ(cookies, "a = 1");
    }
}

}  // namespace
}  // namespace quillet
