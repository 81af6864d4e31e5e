#include <string>

#include "net/http_transfer.h"
#include "net/web_access.h"
#include "net/web_access_common.h"
#include "text/codepage.h"
#include "text/text_util.h"

namespace quillet {

namespace {

using net::TransferError;

// The failure numbers name the step of the request that failed. Over libcurl they mean:
//   700  libcurl could not be initialised, or gave no easy or multi handle
//   701  the address is not an absolute http or https address (curl_url refuses it)
//   702  the proxy options were refused
//   703  the address options were refused; or, on the wire, resolving the host or proxy,
//        connecting, the proxy tunnel or the time limit of connecting failed
//   704  the verb, body or protocol options were refused
//   705  the time-limit options were refused
//   707  the server or proxy credentials were refused
//   708  emptying the cookie store (so that libcurl keeps no cookies) was refused
//   709  the redirect options were refused
//   710  the header list could not be built or was refused
//   711  the TLS handshake (certificate checks included) or sending the request failed
//   712  no complete answer header arrived: the server closed, answered garbage, went idle
//        longer than the time limit, or sent more than 20 redirects
//   713  the body broke off after the header (the bytes so far are kept and the status line
//        replaces this text); or the body passed the size limit, which fails the request
std::string_view failureText(TransferError error) {
    switch (error) {
        case TransferError::SetupLibrary:
            return kDirectFailure700;
        case TransferError::SetupProxy:
            return kDirectFailure702;
        case TransferError::SetupConnection:
        case TransferError::Connect:
            return kDirectFailure703;
        case TransferError::SetupRequest:
            return kDirectFailure704;
        case TransferError::SetupTimeouts:
            return kDirectFailure705;
        case TransferError::SetupCredentials:
            return kDirectFailure707;
        case TransferError::SetupCookies:
            return kDirectFailure708;
        case TransferError::SetupRedirects:
            return kDirectFailure709;
        case TransferError::SetupHeaders:
            return kDirectFailure710;
        case TransferError::Send:
            return kDirectFailure711;
        case TransferError::NoResponse:
            return kDirectFailure712;
        case TransferError::BodyRead:
        case TransferError::TooLarge:
        case TransferError::None:
            break;
    }
    return kDirectFailure713;
}

// Browser-like defaults, each added only when the caller's lines lack it.
std::string headerBlock(const DirectOptions& o) {
    std::string block;
    if (!o.extraHeaders.empty()) {
        block = o.extraHeaders + "\r\n";
    }
    auto addUnless = [&](std::string_view present, bool ignoreCase, std::string_view line) {
        if (!net::ContainsText(block, present, ignoreCase)) {
            block += line;
        }
    };
    addUnless("User-Agent: ", true,
              "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
              "Trident/5.0)\r\n");
    addUnless("Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n");
    addUnless("Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n");
    addUnless("Accept-Language: ", true, "Accept-Language: zh-cn\r\n");
    if (o.method == 1) {
        // Case-sensitive and without a blank, unlike the others: a lower-case content-type
        // line does not keep the form type out.
        addUnless("Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n");
    }
    addUnless("Cache-Control: ", true, "Cache-Control: no-cache\r\n");
    if (o.cookies != nullptr && !o.cookies->empty()) {
        addUnless("Cookie: ", true, "Cookie: " + *o.cookies + "\r\n");
    }
    return block;
}

}  // namespace

std::string WebAccessDirect(std::string_view url, const DirectOptions& o) {
    AssertNotWindowThread();
    ThrowIfStopRequested();
    auto fail = [&](std::string_view text) {
        if (o.statusText != nullptr) {
            *o.statusText = std::string(text);
        }
        return std::string();
    };

    std::string address = net::EscapeSpaces(url);
    if (!net::IsHttpUrl(address)) {
        return fail(kDirectFailure701);
    }

    net::TransferRequest request;
    request.url = std::move(address);
    request.verb = std::string(net::VerbOf(o.method));
    request.hasBody = !o.postData.empty();
    request.body = o.postData;
    request.followRedirects = !o.noRedirect;
    request.proxy = o.proxy;
    if (!o.serverUser.empty() && !o.serverPassword.empty()) {
        request.serverUser = utf8ToGbk(o.serverUser);
        request.serverPassword = utf8ToGbk(o.serverPassword);
    }
    if (!o.proxyUser.empty() && !o.proxyPassword.empty()) {
        request.proxyUser = utf8ToGbk(o.proxyUser);
        request.proxyPassword = utf8ToGbk(o.proxyPassword);
    }
    long limitMs = (o.timeoutSeconds < 1 ? 30L : static_cast<long>(o.timeoutSeconds)) * 1000L;
    request.connectTimeoutMs = limitMs;
    request.idleTimeoutMs = limitMs;
    request.headerLines = net::HeaderLinesFromBlock(headerBlock(o));

    net::TransferResult answer = net::PerformTransfer(request);
    if (answer.error != TransferError::None && answer.error != TransferError::BodyRead) {
        return fail(failureText(answer.error));
    }
    if (!answer.headersArrived()) {
        return fail(kDirectFailure712);
    }

    std::string headers = answer.rawHeaders;
    if (o.returnedHeaders != nullptr) {
        *o.returnedHeaders = headers;
    }
    if (o.statusText != nullptr) {
        std::string_view statusLine = std::string_view(headers).substr(0, headers.find("\r\n"));
        *o.statusText = statusLine.size() > 9 ? std::string(statusLine.substr(9)) : std::string();
    }
    std::string returnedCookies = net::CollectSetCookies(headers);
    if (o.location != nullptr) {
        for (std::string_view line : splitText(headers, "\r\n")) {
            if (line.size() >= 10 && findText(line.substr(0, 10), "Location: ", 0, true) == 0) {
                *o.location = std::string(line.substr(10));
            }
        }
    }
    if (o.responseBytes != nullptr) {
        *o.responseBytes = answer.body;
    }
    net::HandOutCookies(std::move(returnedCookies), o.cookies, o.mergeCookies, o.returnedCookies);
    ThrowIfStopRequested();

    std::string text = decodePageText(answer.body, answer.contentType);
    // The result is a text: it ends at the first zero character.
    if (std::size_t zero = text.find('\0'); zero != std::string::npos) {
        text.resize(zero);
    }
    return text;
}

}  // namespace quillet
