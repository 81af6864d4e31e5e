// The fake marketplace's knobs: faults, latency, custom answers, the request log with its
// header order, a prompt stop, threads, and the program form with its command line.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "client.h"
#include "fake-marketplace/fake_marketplace.h"

extern char** environ;

namespace quillet::fake::test {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;

// Sends bytes exactly as given and reads until the server closes the connection.
std::string rawExchange(int port, const std::string& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval tv{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(bytes.size())) {
        char buf[4096];
        ssize_t n = 0;
        while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) {
            answer.append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return answer;
}

std::filesystem::path tempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("quillet-fake-" + std::to_string(::getpid()) + "-" + name);
}

TEST(RequestLog, KeepsEachRequestsHeadersInTheOrderSent) {
    Options options;
    options.logFile = tempPath("log.jsonl");
    std::filesystem::remove(options.logFile);
    {
        FakeMarketplace market(options);
        const std::string host = "lookup.localhost:" + std::to_string(market.port());
        const std::string body = "account=%E5%BC%A0%E4%B8%89";
        // Two requests on one connection, with different orders and letter cases.
        const std::string first =
            "POST /credit2/index/get HTTP/1.1\r\n"
            "Host: " +
            host +
            "\r\n"
            "Connection: keep-alive\r\n"
            "Accept: application/json, text/javascript, */*; q=0.01\r\n"
            "X-Requested-With: XMLHttpRequest\r\n"
            "Content-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n"
            "accept-language: zh-CN,zh;q=0.9\r\n"
            "Content-Length: " +
            std::to_string(body.size()) +
            "\r\n"
            "\r\n" +
            body;
        const std::string second =
            "GET /credit2 HTTP/1.1\r\n"
            "Zeta: last letter first\r\n"
            "Host: " +
            host +
            "\r\n"
            "alpha: 1\r\n"
            "Connection: close\r\n"
            "\r\n";
        const std::string answer = rawExchange(market.port(), first + second);
        EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u);

        const auto log = market.requests();
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0].endpoint, kLookupService);
        EXPECT_EQ(log[0].method, "POST");
        EXPECT_EQ(log[0].target, "/credit2/index/get");
        EXPECT_EQ(log[0].body, body);
        EXPECT_EQ(log[0].headerNames(),
                  (std::vector<std::string>{"Host", "Connection", "Accept", "X-Requested-With",
                                            "Content-Type", "accept-language", "Content-Length"}));
        EXPECT_EQ(log[0].header("ACCEPT-LANGUAGE"), "zh-CN,zh;q=0.9");
        EXPECT_EQ(log[1].headerNames(),
                  (std::vector<std::string>{"Zeta", "Host", "alpha", "Connection"}));
        EXPECT_EQ(log[1].body, "");

        // libcurl puts Host first and then the given lines in their order.
        Request r;
        r.headers = {"X-B: 2", "X-A: 1", "Accept:"};
        fetch(market.baseUrl(kSuggest) + "/sug?q=%61%62", r);
        const auto sent = market.requests(kSuggest);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].headerNames(), (std::vector<std::string>{"Host", "X-B", "X-A"}));
        EXPECT_EQ(sent[0].query("q"), "ab");

        market.clearLog();
        EXPECT_TRUE(market.requests().empty());
    }
    // The same three requests as JSON lines in the file.
    std::ifstream in(options.logFile);
    std::vector<Json> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(Json::parse(line));
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["method"], "POST");
    EXPECT_EQ(lines[0]["body"], "account=%E5%BC%A0%E4%B8%89");
    EXPECT_EQ(lines[0]["headers"][5], Json::array({"accept-language", "zh-CN,zh;q=0.9"}));
    EXPECT_EQ(lines[1]["headers"][0], Json::array({"Zeta", "last letter first"}));
    EXPECT_EQ(lines[2]["endpoint"], "suggest");
    std::filesystem::remove(options.logFile);
}

TEST(Faults, EachKindSpoilsTheAnswerItsOwnWay) {
    FakeMarketplace market;
    const std::string url = market.baseUrl(kMobileSearch) + "/search?q=abc&page=1";
    const std::string clean = fetch(url).body;
    ASSERT_GT(clean.size(), 1000u);

    auto fault = [](Fault::Kind kind) {
        Fault f;
        f.kind = kind;
        return f;
    };
    Fault trickle = fault(Fault::Kind::TrickleBody);
    trickle.pieceBytes = clean.size() / 4 + 1;
    trickle.interval = 50ms;
    Fault stall = fault(Fault::Kind::StallBody);
    stall.stallFor = 300ms;

    const struct {
        const char* name;
        Fault fault;
        std::function<void(const Reply&)> check;
    } cases[] = {
        {"status 500", fault(Fault::Kind::Status500),
         [](const Reply& r) { EXPECT_EQ(r.status, 500); }},
        {"HTML error page", fault(Fault::Kind::HtmlErrorPage),
         [](const Reply& r) {
             EXPECT_EQ(r.status, 200);
             EXPECT_NE(r.body.find("<html>"), std::string::npos);
             EXPECT_FALSE(Json::accept(r.body));
         }},
        {"truncated body", fault(Fault::Kind::TruncatedBody),
         [&](const Reply& r) {
             EXPECT_EQ(r.code, CURLE_OK);
             EXPECT_EQ(r.body, clean.substr(0, clean.size() / 2));
             EXPECT_FALSE(Json::accept(r.body));
         }},
        {"trickled body", trickle,
         [&](const Reply& r) {
             EXPECT_EQ(r.code, CURLE_OK);
             EXPECT_EQ(r.body, clean);
             EXPECT_GE(r.elapsed, 150ms);  // four pieces, three pauses
         }},
        {"stalled body", stall,
         [&](const Reply& r) {
             EXPECT_EQ(r.code, CURLE_PARTIAL_FILE) << curl_easy_strerror(r.code);
             EXPECT_EQ(r.body, clean.substr(0, clean.size() / 2));
             EXPECT_GE(r.elapsed, 300ms);
         }},
        {"dropped connection", fault(Fault::Kind::DropConnection),
         [](const Reply& r) {
             EXPECT_EQ(r.code, CURLE_GOT_NOTHING) << curl_easy_strerror(r.code);
             EXPECT_TRUE(r.body.empty());
         }},
        {"punish page", fault(Fault::Kind::PunishPage),
         [](const Reply& r) {
             EXPECT_EQ(r.status, 302);
             EXPECT_NE(r.headers.find("/_____tmd_____/punish?"), std::string::npos);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        market.setFault(kMobileSearch, c.fault);
        c.check(fetch(url));
        market.clearFault(kMobileSearch);
        EXPECT_EQ(fetch(url).body, clean);
    }

    // Followed, the punish redirect ends on the access-denied page with a login link.
    market.setFault(kMobileSearch, fault(Fault::Kind::PunishPage));
    Request follow;
    follow.followRedirects = true;
    const Reply punished = fetch(url, follow);
    EXPECT_EQ(punished.status, 200);
    EXPECT_NE(punished.body.find("访问受限"), std::string::npos);
    EXPECT_NE(punished.body.find("login.jhtml"), std::string::npos);
    market.clearFaults();

    // A counted fault spoils that many answers; a path prefix limits it; other endpoints
    // are untouched.
    Fault twice = fault(Fault::Kind::Status500);
    twice.times = 2;
    market.setFault(kMobileSearch, twice);
    Fault elsewhere = fault(Fault::Kind::Status500);
    elsewhere.pathPrefix = "/other";
    market.setFault(kSuggest, elsewhere);
    EXPECT_EQ(fetch(market.baseUrl(kSuggest) + "/sug?q=a").status, 200);
    EXPECT_EQ(fetch(market.baseUrl(kUpdate) + "/yz/bb.txt").status, 200);
    EXPECT_EQ(fetch(url).status, 500);
    EXPECT_EQ(fetch(url).status, 500);
    EXPECT_EQ(fetch(url).status, 200);
    // Spoiled requests are logged like any other.
    EXPECT_EQ(market.requests(kMobileSearch).size(), 20u);
}

TEST(Latency, DelaysEveryAnswerOrOneEndpointsAnswers) {
    Options options;
    options.latency = 120ms;
    FakeMarketplace market(options);
    EXPECT_GE(fetch(market.baseUrl(kUpdate) + "/yz/bb.txt").elapsed, 120ms);
    market.setLatency(0ms);
    market.setLatency(kSuggest, 200ms);
    const Reply slow = fetch(market.baseUrl(kSuggest) + "/sug?q=a&callback=cb");
    EXPECT_GE(slow.elapsed, 200ms);
    EXPECT_EQ(slow.body.rfind("cb(", 0), 0u);
}

TEST(CustomHandler, AnswersWhatItChoosesAndLeavesTheRest) {
    FakeMarketplace market;
    market.setHandler(kTaobaoItem, [](const LoggedRequest& r) -> std::optional<Answer> {
        if (r.query("id") != "11111111111") {
            return std::nullopt;
        }
        Answer a;
        a.status = 404;
        a.body = "宝贝不存在";
        a.headers = {{"X-Reason", "gone"}};
        return a;
    });
    const Reply gone = fetch(market.itemPageUrl("11111111111", false));
    EXPECT_EQ(gone.status, 404);
    EXPECT_EQ(gone.body, "宝贝不存在");
    EXPECT_NE(gone.headers.find("X-Reason: gone"), std::string::npos);
    EXPECT_EQ(fetch(market.itemPageUrl("22222222222", false)).status, 200);
}

TEST(Stop, EndsPromptlyWhileAnAnswerStalls) {
    auto market = std::make_unique<FakeMarketplace>();
    Fault stall;
    stall.kind = Fault::Kind::StallBody;
    stall.stallFor = 60s;
    market->setFault(kMobileSearch, stall);
    Reply reply;
    std::thread client(
        [&, url = market->baseUrl(kMobileSearch) + "/search?q=a"] { reply = fetch(url); });
    ASSERT_TRUE(market->waitForRequests(kMobileSearch, 1, 5s));
    EXPECT_FALSE(market->waitForRequests(kMobileSearch, 2, 50ms));
    const auto start = std::chrono::steady_clock::now();
    market.reset();
    // A hang here would hold every test fixture that ends with a request in flight.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    client.join();
    EXPECT_NE(reply.code, CURLE_OK);
}

TEST(Threads, ManyClientsAndControlCallsAtOnce) {
    FakeMarketplace market;
    std::atomic<int> ok{0};
    std::vector<std::thread> clients;
    const std::vector<std::string> urls = {
        market.baseUrl(kMobileSearch) + "/search?q=a&page=1",
        market.baseUrl(kSuggest) + "/sug?q=b&callback=cb",
        market.itemPageUrl("523456789012", false),
        market.itemPageUrl("523456789013", true),
        market.baseUrl(kTaobaoRate) +
            "/feedRateList.htm?auctionNumId=523456789012&currentPageNum=2",
        "https://" + market.host(kPictures) + ":" + std::to_string(market.port()) +
            "/imgextra/i1/1/O1CN01m1x523456789012_!!1.jpg",
    };
    for (int t = 0; t < 6; ++t) {
        clients.emplace_back([&, t] {
            for (int i = 0; i < 8; ++i) {
                if (fetch(urls[static_cast<std::size_t>((t + i) % 6)]).status == 200) {
                    ++ok;
                }
            }
        });
    }
    for (int i = 0; i < 20; ++i) {
        market.setLatency(kSuggest, std::chrono::milliseconds(i % 3));
        market.setItem(market.item("523456789012"));
        (void)market.requests();
    }
    for (auto& c : clients) {
        c.join();
    }
    EXPECT_EQ(ok.load(), 48);
    EXPECT_EQ(market.requests().size(), 48u);
}

TEST(Program, PrintsItsPortWritesTheEndpointsAndStopsOnTerm) {
    const char* program = std::getenv("QUILLET_FAKE_MARKETPLACE");
    if (program == nullptr) {
        GTEST_SKIP() << "QUILLET_FAKE_MARKETPLACE is not set (CTest sets it)";
    }
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    const auto endpoints = tempPath("endpoints.txt");
    const auto log = tempPath("program-log.jsonl");
    std::filesystem::remove(log);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {program, "--port", "0", "--endpoints-file", endpoints, "--log",
                                     log,     "--seed", "7", "--latency-ms",     "1"};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') {
        line.push_back(c);
    }
    ::close(out[0]);
    ASSERT_EQ(line.rfind("listening on ", 0), 0u) << line;
    const std::string port = line.substr(13);

    std::ifstream in(endpoints);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("update=http://update.localhost:" + port + "\n"), std::string::npos);
    EXPECT_EQ(fetch("http://update.localhost:" + port + "/yz/bb.txt").body, "1.0");

    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::ifstream logIn(log);
    std::string logged;
    std::getline(logIn, logged);
    EXPECT_EQ(Json::parse(logged)["target"], "/yz/bb.txt");
    std::filesystem::remove(endpoints);
    std::filesystem::remove(log);

    // A bad option is refused with the usage text and exit code 2.
    std::vector<char*> bad = {const_cast<char*>(program), const_cast<char*>("--port"),
                              const_cast<char*>("many"), nullptr};
    ASSERT_EQ(posix_spawn(&pid, program, nullptr, nullptr, bad.data(), environ), 0);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace quillet::fake::test
