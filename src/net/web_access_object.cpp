#include <string>

#include "net/http_transfer.h"
#include "net/web_access.h"
#include "net/web_access_common.h"
#include "text/codepage.h"
#include "text/text_util.h"

namespace quillet {

namespace {

// Completes the caller's header text with the defaults that are missing (searches are
// case-sensitive), in this order.
void completeHeaders(std::string& headers, std::string_view url, int method) {
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
    if (!net::ContainsText(headers, "User-Agent:", false)) {
        headers += "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
    }
    if (method == 1 && !net::ContainsText(headers, "Content-Type:", false)) {
        headers += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
}

// Each line becomes one header, name and value trimmed of blanks; the cookie header comes
// first, and a later line of the same name replaces an earlier one.
std::vector<std::string> headerLines(std::string_view headers, const std::string* cookies) {
    std::string block;
    if (cookies != nullptr && !cookies->empty()) {
        block = "Cookie: " + *cookies + "\r\n";
    }
    for (std::string_view line : splitText(headers, "\r\n")) {
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        block.append(trimBlanks(line.substr(0, colon)));
        block.append(": ");
        block.append(trimBlanks(line.substr(colon + 1)));
        block.append("\r\n");
    }
    return net::HeaderLinesFromBlock(block);
}

}  // namespace

Bytes WebAccessObject(std::string_view url, const ObjectOptions& o) {
    AssertNotWindowThread();
    ThrowIfStopRequested();
    int method = (o.method < 0 || o.method > 7) ? 0 : o.method;

    net::TransferRequest request;
    request.verb = std::string(net::VerbOf(method));
    request.followRedirects = !o.noRedirect;
    // Like the platform's request object, this one accepts any certificate.
    request.verifyTls = false;
    if (o.timeoutSeconds == -1) {
        request.connectTimeoutMs = 60000;
        request.idleTimeoutMs = 30000;
    } else {
        long limitMs = (o.timeoutSeconds < 1 ? 15L : static_cast<long>(o.timeoutSeconds)) * 1000L;
        request.connectTimeoutMs = limitMs;
        request.idleTimeoutMs = limitMs;
    }
    request.proxy = o.proxy;
    // Proxy credentials go to the proxy alone (in the tunnel request for https), never to the
    // server; without a proxy there is nobody to send them to.
    if (!o.proxy.empty() && !o.proxyUser.empty() && o.proxyAuthMode == 1) {
        request.proxyUser = utf8ToGbk(o.proxyUser);
        request.proxyPassword = utf8ToGbk(o.proxyPassword);
    }

    std::string headers = o.extraHeaders != nullptr ? *o.extraHeaders : std::string();
    completeHeaders(headers, url, method);
    request.headerLines = headerLines(headers, o.cookies);
    if (o.extraHeaders != nullptr) {
        *o.extraHeaders = std::move(headers);
    }
    request.body = o.postBytes.empty() ? std::string_view(o.postData) : o.postBytes;
    request.hasBody = !request.body.empty();

    // A failed step does not end the sequence: the outputs are still written, empty.
    net::TransferResult answer;
    request.url = net::EscapeSpaces(url);
    if (net::IsHttpUrl(request.url)) {
        answer = net::PerformTransfer(request);
    } else {
        answer.error = net::TransferError::SetupConnection;
    }
    if (answer.error != net::TransferError::None) {
        answer = net::TransferResult{};
    }

    // The object reports the header lines without the status line.
    std::string returned = answer.rawHeaders;
    if (std::size_t end = returned.find("\r\n"); end != std::string::npos) {
        returned.erase(0, end + 2);
    }
    std::string returnedCookies = net::CollectSetCookies(returned);
    if (o.returnedHeaders != nullptr) {
        *o.returnedHeaders = std::move(returned);
    }
    if (o.status != nullptr) {
        *o.status = static_cast<int>(answer.status);
    }
    net::HandOutCookies(std::move(returnedCookies), o.cookies, o.mergeCookies, o.returnedCookies);
    return std::move(answer.body);
}

}  // namespace quillet
