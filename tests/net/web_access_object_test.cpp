#include <gtest/gtest.h>

#include <string>

#include "net/web_access.h"
#include "net_test_util.h"

namespace quillet {
namespace {

using testing::HttpAnswer;
using testing::RawServer;
using testing::RecordedRequest;

TEST(WebAccessObject, GetSendsExactlyTheDefaultHeaders) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "body")));
    const std::string url = server.url("/item.htm?id=5");
    int status = 0;
    EXPECT_EQ(WebAccessObject(url, {.status = &status}), "body");
    EXPECT_EQ(status, 200);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].head, "GET /item.htm?id=5 HTTP/1.1\r\n" +
                                             testing::HostLine(server) +
                                             "Accept: */*\r\n"
                                             "Referer: " +
                                             url +
                                             "\r\n"
                                             "Accept-Language: zh-cn\r\n"
                                             "User-Agent: " +
                                             testing::kObjectAgent + "\r\n\r\n");
}

TEST(WebAccessObject, PostCompletesTheCallersHeaderTextInPlace) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "")));
    const std::string url = server.url("/get");
    // A lower-case referer does not count: the search is case-sensitive.
    std::string headers = "X-Requested-With: XMLHttpRequest\r\nreferer: x";
    std::string cookies = "sid=1";
    WebAccessObject(
        url, {.method = 1, .postData = "k=v", .cookies = &cookies, .extraHeaders = &headers});
    EXPECT_EQ(headers,
              "X-Requested-With: XMLHttpRequest\r\nreferer: x\r\nAccept: */*\r\nReferer: " + url +
                  "\r\nAccept-Language: zh-cn\r\nUser-Agent: " + testing::kObjectAgent +
                  "\r\nContent-Type: application/x-www-form-urlencoded");
    ASSERT_EQ(server.requests().size(), 1u);
    const RecordedRequest request = server.requests()[0];
    EXPECT_EQ(request.requestLine(), "POST /get HTTP/1.1");
    EXPECT_EQ(request.body, "k=v");
    // The cookie comes first; the appended Referer replaces the caller's line of that name.
    std::vector<std::string> lines = request.headerLines();
    std::vector<std::string> expected = {"Host: 127.0.0.1:" + std::to_string(server.port()),
                                         "Cookie: sid=1",
                                         "X-Requested-With: XMLHttpRequest",
                                         "Accept: */*",
                                         "Referer: " + url,
                                         "Accept-Language: zh-cn",
                                         std::string("User-Agent: ") + testing::kObjectAgent,
                                         "Content-Type: application/x-www-form-urlencoded",
                                         "Content-Length: 3"};
    EXPECT_EQ(lines, expected);
}

TEST(WebAccessObject, BodySourceAndMethodNumbers) {
    struct Row {
        int method;
        std::string postData;
        Bytes postBytes;
        const char* requestLine;
        std::string body;
    };
    const Row rows[] = {
        {1, "text", Bytes("\x01\x00\x02", 3), "POST /b HTTP/1.1", Bytes("\x01\x00\x02", 3)},
        {1, "text", {}, "POST /b HTTP/1.1", "text"},
        {-1, "", {}, "GET /b HTTP/1.1", ""},
        {8, "", {}, "GET /b HTTP/1.1", ""},
        {4, "", {}, "OPTIONS /b HTTP/1.1", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.method);
        RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "")));
        WebAccessObject(
            server.url("/b"),
            {.method = row.method, .postData = row.postData, .postBytes = row.postBytes});
        ASSERT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(server.requests()[0].requestLine(), row.requestLine);
        EXPECT_EQ(server.requests()[0].body, row.body);
    }
}

TEST(WebAccessObject, ErrorStatusReturnsItsBodyAndHeaderLines) {
    RawServer server(RawServer::reply(
        HttpAnswer("404 Not Found", "set-cookie: a=1; path=/\r\nSET-COOKIE: b=2\r\n", "gone")));
    int status = 0;
    std::string headers, returnedCookies;
    std::string cookies = "a=0; c=3";
    EXPECT_EQ(WebAccessObject(server.url("/"), {.cookies = &cookies,
                                                .returnedCookies = &returnedCookies,
                                                .returnedHeaders = &headers,
                                                .status = &status}),
              "gone");
    EXPECT_EQ(status, 404);
    // The header lines without the status line, Set-Cookie spelled one way.
    EXPECT_EQ(headers, "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nContent-Length: 4\r\n\r\n");
    EXPECT_EQ(returnedCookies, "a=1; b=2; c=3");
    EXPECT_EQ(cookies, "a=1; b=2; c=3");
}

TEST(WebAccessObject, FailureLeavesEveryOutputEmpty) {
    RawServer silent([](const RecordedRequest&, testing::RawConnection& c) { c.pause(60000); });
    const std::string refused = "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/";
    struct Row {
        const char* name;
        std::string url;
        int timeoutSeconds;
    };
    const Row rows[] = {
        {"refused", refused, 0},
        {"no answer within the limit", silent.url("/"), 1},
        {"no scheme", "127.0.0.1/x", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int status = 7;
        std::string headers = "old", returnedCookies = "old", cookies = "a = 1";
        std::string extra;
        EXPECT_EQ(WebAccessObject(row.url, {.cookies = &cookies,
                                            .returnedCookies = &returnedCookies,
                                            .extraHeaders = &extra,
                                            .returnedHeaders = &headers,
                                            .status = &status,
                                            .timeoutSeconds = row.timeoutSeconds}),
                  "");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(headers, "");
        // The merge still runs: the given cookies lose their blanks.
        EXPECT_EQ(returnedCookies, "a=1");
        EXPECT_EQ(cookies, "a=1");
        EXPECT_TRUE(extra.starts_with("Accept: */*\r\nReferer: ")) << extra;
    }
}

}  // namespace
}  // namespace quillet
