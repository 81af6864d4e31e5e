#include <string>

#include "net/http_transfer.h"
#include "net/url_split.h"
#include "net/web_access.h"
#include "net/web_access_common.h"
#include "text/text_between.h"
#include "text/text_util.h"

namespace quillet {

namespace {

constexpr std::string_view kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
// The session library's own limits; this operation takes none from its caller.
constexpr long kConnectTimeoutMs = 60000;
constexpr long kIdleTimeoutMs = 30000;

std::string agentOf(std::string_view headers) {
    if (!net::ContainsText(headers, "User-Agent:", true)) {
        return std::string(kDefaultAgent);
    }
    std::string agent(
        trimBlanks(TextBetween(std::string(headers) + "\r\n", "User-Agent:", "\r\n")));
    if (agent.empty()) {
        // A lower-case line: the text after the first colon. It ends with its line, so that an
        // agent can never carry a line break into the request.
        std::string_view rest = headers.substr(headers.find(':') + 1);
        agent = std::string(trimBlanks(rest.substr(0, rest.find_first_of("\r\n"))));
    }
    return agent;
}

void completeHeaders(std::string& headers, std::string_view url, int method,
                     const std::string* cookies) {
    if (headers.empty()) {
        headers = "Accept: */*";
    } else if (!net::ContainsText(headers, "Accept:", false)) {
        headers += "\r\nAccept: */*";
    }
    if (!net::ContainsText(headers, "Referer:", false)) {
        headers += "\r\nReferer: ";
        headers += url;
    }
    if (!net::ContainsText(headers, "Accept-Language:", false)) {
        headers += "\r\nAccept-Language: zh-cn";
    }
    if (method == 1 && !net::ContainsText(headers, "Content-Type:", false)) {
        headers += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
    if (cookies != nullptr && !cookies->empty()) {
        headers += net::ContainsText(*cookies, "Cookie:", false) ? "\r\n" : "\r\nCookie: ";
        headers += *cookies;
    }
}

}  // namespace

Bytes WebAccessInet(std::string_view url, const InetOptions& o) {
    AssertNotWindowThread();
    ThrowIfStopRequested();
    int method = (o.method < 0 || o.method > 7) ? 0 : o.method;
    bool secure = findText(url.substr(0, 8), "https://", 0, true) == 0;
    std::string agent = agentOf(o.extraHeaders != nullptr ? *o.extraHeaders : std::string());

    // Without a usable host and port there is no connection to open: nothing is written.
    std::string host = UrlHost(url);
    int port = UrlPort(url);
    if (host.empty() || port < 0) {
        return {};
    }
    if (port == 0) {
        port = secure ? 443 : 80;
    }
    net::TransferRequest request;
    request.url = net::EscapeSpaces(std::string(secure ? "https://" : "http://") + host + ":" +
                                    std::to_string(port) + UrlPath(url));
    if (!net::IsHttpUrl(request.url)) {
        return {};
    }
    request.verb = std::string(net::VerbOf(method));
    request.followRedirects = !o.noRedirect;
    request.proxy = o.proxy;
    request.connectTimeoutMs = kConnectTimeoutMs;
    request.idleTimeoutMs = kIdleTimeoutMs;

    std::string headers = o.extraHeaders != nullptr ? *o.extraHeaders : std::string();
    completeHeaders(headers, url, method, o.cookies);
    // The agent is sent once, as the last line, whatever form the caller's line had.
    request.headerLines = net::HeaderLinesFromBlock(headers);
    std::erase_if(request.headerLines, [](const std::string& line) {
        return findText(line, "user-agent", 0, true) == 0 &&
               trimBlanks(std::string_view(line).substr(10)).starts_with(':');
    });
    if (!agent.empty()) {
        request.headerLines.push_back("User-Agent: " + agent);
    }
    if (o.extraHeaders != nullptr) {
        *o.extraHeaders = std::move(headers);
    }

    Bytes postBytes = o.postBytes != nullptr ? *o.postBytes : Bytes();
    if (method != 0) {
        if (postBytes.empty()) {
            postBytes = o.postData;
            if (o.postBytes != nullptr) {
                *o.postBytes = postBytes;
            }
        }
        request.body = postBytes;
        request.hasBody = !postBytes.empty();
    }

    net::TransferResult answer = net::PerformTransfer(request);
    if (answer.error != net::TransferError::None && answer.error != net::TransferError::BodyRead) {
        answer = net::TransferResult{};
    }

    std::string returned = std::move(answer.rawHeaders);
    std::string returnedCookies = net::CollectSetCookies(returned);
    if (o.returnedHeaders != nullptr) {
        *o.returnedHeaders = std::move(returned);
    }
    net::HandOutCookies(std::move(returnedCookies), o.cookies, o.mergeCookies, o.returnedCookies);
    return std::move(answer.body);
}

}  // namespace quillet
