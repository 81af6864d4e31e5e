#include <gtest/gtest.h>

#include <string>

#include "net/web_access.h"
#include "net_test_util.h"
#include "text/codepage.h"

namespace quillet {
namespace {

using testing::HttpAnswer;
using testing::RawServer;
using testing::RecordedRequest;

TEST(WebAccessDirect, GetSendsExactlyTheDefaultHeadersAndFillsEveryOutput) {
    RawServer server(RawServer::reply(
        HttpAnswer("200 OK", "Content-Type: text/plain\r\nX-Extra: 1\r\n", "hello")));
    std::string statusText, returnedHeaders, location = "untouched";
    Bytes bytes;
    std::string text = WebAccessDirect(server.url("/p?q=1"), {.returnedHeaders = &returnedHeaders,
                                                              .location = &location,
                                                              .statusText = &statusText,
                                                              .responseBytes = &bytes});
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(bytes, "hello");
    EXPECT_EQ(statusText, "200 OK");
    EXPECT_EQ(returnedHeaders,
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nX-Extra: 1\r\n"
              "Content-Length: 5\r\n\r\n");
    EXPECT_EQ(location, "untouched");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].head, "GET /p?q=1 HTTP/1.1\r\n" + testing::HostLine(server) +
                                             testing::kDirectAgent +
                                             "Accept: text/html, application/xhtml+xml, */*\r\n"
                                             "Accept-Encoding: gbk, GB2312\r\n"
                                             "Accept-Language: zh-cn\r\n"
                                             "Cache-Control: no-cache\r\n\r\n");
}

TEST(WebAccessDirect, PostAddsTheFormTypeBeforeCacheControl) {
    RawServer server(RawServer::reply(HttpAnswer("201 Created", "", "ok")));
    std::string statusText;
    WebAccessDirect(server.url("/form"),
                    {.method = 1, .postData = "a=1&b=2", .statusText = &statusText});
    EXPECT_EQ(statusText, "201 Created");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].head, "POST /form HTTP/1.1\r\n" + testing::HostLine(server) +
                                             testing::kDirectAgent +
                                             "Accept: text/html, application/xhtml+xml, */*\r\n"
                                             "Accept-Encoding: gbk, GB2312\r\n"
                                             "Accept-Language: zh-cn\r\n"
                                             "Content-Type: application/x-www-form-urlencoded\r\n"
                                             "Cache-Control: no-cache\r\n"
                                             "Content-Length: 7\r\n\r\n");
    EXPECT_EQ(server.requests()[0].body, "a=1&b=2");
}

TEST(WebAccessDirect, CallerHeaderLinesAndTheirLetterCase) {
    struct Row {
        const char* name;
        int method;
        std::string extraHeaders;
        std::vector<std::string> expectedLines;  // after the Host line
    };
    const std::string accept = "Accept: text/html, application/xhtml+xml, */*";
    const Row rows[] = {
        // Any letter case of User-Agent keeps the default agent out.
        {"lower user-agent",
         0,
         "user-agent: X",
         {"user-agent: X", accept, "Accept-Encoding: gbk, GB2312", "Accept-Language: zh-cn",
          "Cache-Control: no-cache"}},
        // The Content-Type check is case-sensitive: the form type is still added, and as the
        // later line of the same name it is the one sent.
        {"lower content-type",
         1,
         "content-type: x",
         {std::string(testing::kDirectAgent)
              .substr(0, std::string(testing::kDirectAgent).size() - 2),
          accept, "Accept-Encoding: gbk, GB2312", "Accept-Language: zh-cn",
          "Content-Type: application/x-www-form-urlencoded", "Cache-Control: no-cache",
          "Content-Length: 1"}},
        // Caller lines come first and replace the defaults they name.
        {"own accept and cookie",
         0,
         "Accept: */*\r\nCookie: s=1\r\nX-Trace: 7",
         {"Accept: */*", "Cookie: s=1", "X-Trace: 7",
          std::string(testing::kDirectAgent)
              .substr(0, std::string(testing::kDirectAgent).size() - 2),
          "Accept-Encoding: gbk, GB2312", "Accept-Language: zh-cn", "Cache-Control: no-cache"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "")));
        WebAccessDirect(server.url("/"), {.method = row.method,
                                          .postData = row.method == 1 ? "z" : "",
                                          .extraHeaders = row.extraHeaders});
        ASSERT_EQ(server.requests().size(), 1u);
        std::vector<std::string> lines = server.requests()[0].headerLines();
        ASSERT_FALSE(lines.empty());
        lines.erase(lines.begin());  // Host
        EXPECT_EQ(lines, row.expectedLines);
    }
}

TEST(WebAccessDirect, MethodNumbers) {
    struct Row {
        int method;
        const char* requestLine;
        const char* body;
    };
    const Row rows[] = {
        {9, "GET /m HTTP/1.1", "data"},    {-1, "GET /m HTTP/1.1", "data"},
        {2, "HEAD /m HTTP/1.1", ""},       {3, "PUT /m HTTP/1.1", "data"},
        {5, "DELETE /m HTTP/1.1", "data"}, {0, "GET /m HTTP/1.1", "data"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.method);
        RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "")));
        std::string statusText;
        WebAccessDirect(server.url("/m"),
                        {.method = row.method, .postData = "data", .statusText = &statusText});
        EXPECT_EQ(statusText, "200 OK");
        ASSERT_EQ(server.requests().size(), 1u);
        const RecordedRequest request = server.requests()[0];
        EXPECT_EQ(request.requestLine(), row.requestLine);
        EXPECT_EQ(request.body, row.body);
        // Only a POST is a form: other bodies go without a Content-Type, and nobody waits for
        // a 100 Continue.
        EXPECT_FALSE(request.hasHeader("Content-Type"));
        EXPECT_FALSE(request.hasHeader("Expect"));
    }
}

TEST(WebAccessDirect, CollectsCookiesInAnyLetterCaseAndMergesGivenOnes) {
    const std::string answer = HttpAnswer("200 OK",
                                          "Set-Cookie: a=1; path=/\r\n"
                                          "set-cookie: b=2\r\n"
                                          "SET-COOKIE:c=3;HttpOnly\r\n",
                                          "x");
    RawServer server([&](const RecordedRequest&, testing::RawConnection& c) { c.send(answer); });

    // Omitted cookies: nothing is merged, and the raw headers keep the server's spelling.
    std::string returnedCookies, returnedHeaders;
    WebAccessDirect(server.url("/"),
                    {.returnedCookies = &returnedCookies, .returnedHeaders = &returnedHeaders});
    EXPECT_EQ(returnedCookies, "a=1; b=2; c=3");
    EXPECT_NE(returnedHeaders.find("set-cookie: b=2"), std::string::npos);

    // Given cookies are sent and receive the merge, like returnedCookies.
    std::string cookies = "b=0; d=4";
    WebAccessDirect(server.url("/"), {.cookies = &cookies, .returnedCookies = &returnedCookies});
    EXPECT_EQ(returnedCookies, "a=1; b=2; c=3; d=4");
    EXPECT_EQ(cookies, "a=1; b=2; c=3; d=4");
    EXPECT_EQ(server.requests().back().header("Cookie"), "b=0; d=4");

    // A given empty text is still given: it receives the merge, but no Cookie line is sent.
    std::string empty;
    WebAccessDirect(server.url("/"), {.cookies = &empty});
    EXPECT_EQ(empty, "a=1; b=2; c=3");
    EXPECT_FALSE(server.requests().back().hasHeader("Cookie"));

    // mergeCookies false leaves the caller's cookies alone.
    std::string kept = "d=4";
    WebAccessDirect(server.url("/"),
                    {.cookies = &kept, .returnedCookies = &returnedCookies, .mergeCookies = false});
    EXPECT_EQ(kept, "d=4");
    EXPECT_EQ(returnedCookies, "a=1; b=2; c=3");
}

TEST(WebAccessDirect, RedirectsFollowedOrReported) {
    RawServer server([](const RecordedRequest& request, testing::RawConnection& c) {
        if (request.requestLine().starts_with("GET /start ")) {
            c.send(HttpAnswer("302 Found", "Location: /next\r\nSet-Cookie: hop=1\r\n", "moved"));
        } else {
            c.send(HttpAnswer("200 OK", "Set-Cookie: end=2\r\n", "final"));
        }
    });

    std::string statusText, headers, cookies, location = "before";
    std::string text = WebAccessDirect(server.url("/start"), {.returnedCookies = &cookies,
                                                              .returnedHeaders = &headers,
                                                              .location = &location,
                                                              .statusText = &statusText});
    EXPECT_EQ(text, "final");
    EXPECT_EQ(statusText, "200 OK");
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;
    EXPECT_EQ(headers.find("302"), std::string::npos);
    EXPECT_EQ(cookies, "end=2");
    EXPECT_EQ(location, "before");
    EXPECT_EQ(server.requests().size(), 2u);

    text = WebAccessDirect(server.url("/start"), {.returnedCookies = &cookies,
                                                  .noRedirect = true,
                                                  .location = &location,
                                                  .statusText = &statusText});
    EXPECT_EQ(text, "moved");
    EXPECT_EQ(statusText, "302 Found");
    EXPECT_EQ(location, "/next");
    EXPECT_EQ(cookies, "hop=1");
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST(WebAccessDirect, EndlessRedirectsStopAfterTwenty) {
    RawServer server(
        RawServer::reply(HttpAnswer("302 Found", "Location: /again\r\nConnection: close\r\n", "")));
    std::string statusText;
    EXPECT_EQ(WebAccessDirect(server.url("/again"), {.statusText = &statusText}), "");
    EXPECT_EQ(statusText, kDirectFailure712);
    EXPECT_EQ(server.requests().size(), 21u);
}

TEST(WebAccessDirect, DecodesTheCharsetDeclaredInTheFirst1024Bytes) {
    // UTF-8 bytes: kept as they are unless a page declares another charset in time.
    const std::string utf8Bytes = "\xE4\xB8\xAD\xE6\x96\x87";
    const std::string meta =
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">";
    const std::size_t nameEnd = meta.find("gbk") + 3;
    struct Row {
        const char* name;
        std::string body;
        bool decodedAsGbk;
    };
    const Row rows[] = {
        {"declared at the start", meta + utf8Bytes, true},
        {"charset name ends at byte 1024", std::string(1024 - nameEnd, ' ') + meta + utf8Bytes,
         true},
        {"charset name cut by byte 1024", std::string(1025 - nameEnd, ' ') + meta + utf8Bytes,
         false},
        {"declared after byte 1024", std::string(1024, ' ') + meta + utf8Bytes, false},
        {"no declaration", utf8Bytes, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawServer server(
            RawServer::reply(HttpAnswer("200 OK", "Content-Type: text/html\r\n", row.body)));
        Bytes bytes;
        std::string text = WebAccessDirect(server.url("/"), {.responseBytes = &bytes});
        EXPECT_EQ(bytes, row.body);
        EXPECT_EQ(text, row.decodedAsGbk ? gbkToUtf8(row.body) : row.body);
    }
}

TEST(WebAccessDirect, TextEndsAtTheFirstZeroByteButBytesAreWhole) {
    const std::string body("ab\0cd", 5);
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", body)));
    Bytes bytes;
    EXPECT_EQ(WebAccessDirect(server.url("/"), {.responseBytes = &bytes}), "ab");
    EXPECT_EQ(bytes, body);
}

TEST(WebAccessDirect, AnyHttpStatusIsASuccess) {
    RawServer server(RawServer::reply(HttpAnswer("404 Not Found", "", "missing")));
    std::string statusText;
    EXPECT_EQ(WebAccessDirect(server.url("/"), {.statusText = &statusText}), "missing");
    EXPECT_EQ(statusText, "404 Not Found");
}

TEST(WebAccessDirect, AddressesThatCannotBeSplitFailWith701) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "x")));
    const std::string port = std::to_string(server.port());
    for (std::string url :
         {std::string(), "127.0.0.1:" + port + "/x", "ftp://127.0.0.1:" + port + "/",
          "http://127.0.0.1:" + port + "/a\r\nb"}) {
        SCOPED_TRACE(url);
        std::string statusText = "unchanged", returnedHeaders = "unchanged";
        EXPECT_EQ(
            WebAccessDirect(url, {.returnedHeaders = &returnedHeaders, .statusText = &statusText}),
            "");
        EXPECT_EQ(statusText, kDirectFailure701);
        EXPECT_EQ(returnedHeaders, "unchanged");
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST(WebAccessDirect, SpacesInTheAddressAreSentEncoded) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "x")));
    EXPECT_EQ(WebAccessDirect(server.url("/a b?q=c d")), "x");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].requestLine(), "GET /a%20b?q=c%20d HTTP/1.1");
}

TEST(WebAccessDirect, ServerCredentialsAreBasicInGbk) {
    RawServer server(RawServer::reply(HttpAnswer("200 OK", "", "")));
    WebAccessDirect(server.url("/"), {.serverUser = "用户", .serverPassword = "pw"});
    // Both are needed; a user alone sends nothing.
    WebAccessDirect(server.url("/"), {.serverUser = "用户"});
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0].header("Authorization"), "Basic 08O7pzpwdw==");
    EXPECT_FALSE(server.requests()[1].hasHeader("Authorization"));
}

TEST(WebAccessDirect, RefusedConnectionFailsWith703) {
    std::string statusText;
    std::string url = "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/";
    EXPECT_EQ(WebAccessDirect(url, {.statusText = &statusText}), "");
    EXPECT_EQ(statusText, kDirectFailure703);
}

TEST(WebAccessDirect, StalledServerHitsTheTimeLimit) {
    // No answer at all: 712 and nothing else written.
    RawServer silent([](const RecordedRequest&, testing::RawConnection& c) { c.pause(60000); });
    std::string statusText, headers = "unchanged";
    EXPECT_EQ(WebAccessDirect(
                  silent.url("/"),
                  {.returnedHeaders = &headers, .timeoutSeconds = 1, .statusText = &statusText}),
              "");
    EXPECT_EQ(statusText, kDirectFailure712);
    EXPECT_EQ(headers, "unchanged");

    // The body stops half way: the bytes so far are kept and the status line is reported.
    RawServer halfway([](const RecordedRequest&, testing::RawConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
        c.pause(60000);
    });
    Bytes bytes;
    EXPECT_EQ(
        WebAccessDirect(halfway.url("/"),
                        {.timeoutSeconds = 1, .statusText = &statusText, .responseBytes = &bytes}),
        "partial");
    EXPECT_EQ(statusText, "200 OK");
    EXPECT_EQ(bytes, "partial");
}

}  // namespace
}  // namespace quillet
