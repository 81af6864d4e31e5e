#pragma once
// The three request operations. Each is a blocking call for job threads (never the window
// thread); a stopped job's request throws StopRequested, within a tenth of a second also in
// the middle of a transfer. No cookie, cache or credential survives a call; only the
// connection may be reused by the next request of the same thread.
//
// Optional arguments are the members of an options record, so a call names only what it
// gives: WebAccessDirect(url, {.method = 1, .postData = body}). An output pointer left null
// is an omitted output; `cookies` left null is an omitted cookie text, which differs from a
// given empty one (only a given one is merged with the answer's cookies).

#include <string>
#include <string_view>

#include "net/stop_token.h"

namespace quillet {

using Bytes = std::string;  // raw bytes: bodies, pictures, files

// Failure texts of WebAccessDirect, written to statusText.
inline constexpr std::string_view kDirectFailure700 = "700 当前系统不支持WinHttp服务!";
inline constexpr std::string_view kDirectFailure701 = "701 解析URL地址失败!";
inline constexpr std::string_view kDirectFailure702 = "702 创建WinHttp会话失败!";
inline constexpr std::string_view kDirectFailure703 = "703 创建WinHttp连接失败!";
inline constexpr std::string_view kDirectFailure704 = "704 创建WinHttp请求失败!";
inline constexpr std::string_view kDirectFailure705 = "705 设置超时时间失败!";
inline constexpr std::string_view kDirectFailure707 = "707 设置代理凭证失败!";
inline constexpr std::string_view kDirectFailure708 = "708 禁止自动设置Cookies失败!";
inline constexpr std::string_view kDirectFailure709 = "709 重定向设置失败!";
inline constexpr std::string_view kDirectFailure710 = "710 设置协议头失败!";
inline constexpr std::string_view kDirectFailure711 = "711 发送请求失败!";
inline constexpr std::string_view kDirectFailure712 = "712 服务器未响应!";
inline constexpr std::string_view kDirectFailure713 = "713 读取数据失败!";

struct DirectOptions {
    int method = 0;  // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT
    std::string postData{};                  // sent for any method but HEAD when not empty
    std::string* cookies = nullptr;          // in/out: receives the merged cookie text
    std::string* returnedCookies = nullptr;  // out
    std::string extraHeaders{};              // header lines separated by CR LF
    std::string* returnedHeaders = nullptr;  // out: raw headers of the final answer
    bool noRedirect = false;
    std::string serverUser{};  // Basic at the server when user and password are both given
    std::string serverPassword{};
    std::string proxy{};      // host:port; empty: a direct connection
    std::string proxyUser{};  // Basic at the proxy when user and password are both given
    std::string proxyPassword{};
    int timeoutSeconds = 0;             // limit of each phase; below 1 means 30
    std::string* location = nullptr;    // out: target of a Location line, else left as it was
    std::string* statusText = nullptr;  // out: "200 OK", or the failure text
    Bytes* responseBytes = nullptr;     // out: the body as received
    bool mergeCookies = true;
};

// The body as text (decoded from the charset the page declares), or the empty text on
// failure, with the failure text in statusText. Any HTTP status is a success.
std::string WebAccessDirect(std::string_view url, const DirectOptions& options = {});

struct ObjectOptions {
    int method = 0;                          // as for WebAccessDirect; outside 0..7 means GET
    std::string postData{};                  // sent when postBytes is empty
    std::string* cookies = nullptr;          // in/out
    std::string* returnedCookies = nullptr;  // out
    std::string* extraHeaders = nullptr;     // in/out: receives the completed header text
    std::string* returnedHeaders = nullptr;  // out: the header lines (no status line)
    int* status = nullptr;                   // out: the HTTP status, 0 on failure
    bool noRedirect = false;
    Bytes postBytes{};
    std::string proxy{};      // host:port; empty: a direct connection
    int timeoutSeconds = 0;   // limit of each phase; -1 the defaults of the platform object
                              // (60 s to connect, 30 s idle); otherwise below 1 means 15
    std::string proxyUser{};  // Basic at the proxy when set (and proxyAuthMode is 1)
    std::string proxyPassword{};
    int proxyAuthMode = 1;
    bool mergeCookies = true;
};

// The body bytes; empty on failure (status 0). Certificate errors are ignored.
Bytes WebAccessObject(std::string_view url, const ObjectOptions& options = {});

struct InetOptions {
    int method = 0;                          // as for WebAccessDirect; outside 0..7 means GET
    std::string postData{};                  // used when postBytes is empty
    std::string* cookies = nullptr;          // in/out
    std::string* returnedCookies = nullptr;  // out
    std::string* extraHeaders = nullptr;     // in/out: receives the completed header text
    std::string* returnedHeaders = nullptr;  // out: raw headers, status line first
    bool noRedirect = false;
    Bytes* postBytes = nullptr;  // in/out: receives postData's bytes when empty (not for GET)
    std::string proxy{};         // host:port; empty: a direct connection
    bool mergeCookies = true;
};

// The body bytes of the address (scheme optional, http assumed); empty bytes and no output
// written when the address names no usable host.
Bytes WebAccessInet(std::string_view url, const InetOptions& options = {});

}  // namespace quillet
