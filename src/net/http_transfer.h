#pragma once
// The libcurl transfer behind the three request operations: one blocking HTTP/1.1 exchange
// that sends exactly the given header lines and hands back the final answer as a value. It is
// internal to the network layer; the operations in web_access.h decide defaults and outputs.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::net {

using Bytes = std::string;

// A hostile server must not exhaust memory: a longer body fails the request.
inline constexpr std::size_t kMaxBodyBytes = std::size_t{256} << 20;
inline constexpr long kMaxRedirects = 20;

struct TransferRequest {
    std::string url;   // absolute http or https address
    std::string verb;  // GET, POST, HEAD, PUT, OPTIONS, DELETE, TRACE or CONNECT
    // POST always carries a body (possibly empty); other verbs only when hasBody is set. HEAD
    // never does.
    bool hasBody = false;
    std::string_view body;
    // Sent after the Host line in this order, nothing else of libcurl's own but Content-Length
    // (and Authorization / Proxy-Authorization when credentials are given).
    std::vector<std::string> headerLines;
    bool followRedirects = true;
    std::string proxy;                     // host:port of an HTTP proxy; empty: a direct connection
    std::string proxyUser, proxyPassword;  // Basic at the proxy, used when proxyUser is set
    std::string serverUser, serverPassword;  // Basic at the server, used when serverUser is set
    long connectTimeoutMs = 0;               // resolving and connecting (TLS included); 0: none
    long idleTimeoutMs = 0;                  // no byte sent or received for this long; 0: none
    bool verifyTls = true;
};

// Where a transfer stopped. Setup* come before any network activity (an option libcurl
// refused); the others happen on the wire.
enum class TransferError {
    None,
    SetupLibrary,      // libcurl could not be initialised or gave no handle
    SetupProxy,        // proxy options
    SetupConnection,   // address and connection options
    SetupRequest,      // verb, body and protocol options
    SetupTimeouts,     // time-limit options
    SetupCredentials,  // server or proxy credentials
    SetupCookies,      // keeping the cookie store off
    SetupRedirects,    // redirect options
    SetupHeaders,      // the header list
    Connect,           // resolving, connecting or the proxy tunnel failed or timed out
    Send,              // the TLS handshake (certificate included) or sending the request failed
    NoResponse,        // no complete answer header arrived
    BodyRead,          // the answer header arrived, the body broke off (bytes so far are kept)
    TooLarge,          // the body passed the size limit (nothing is kept)
};

struct TransferResult {
    TransferError error = TransferError::None;
    int curlCode = 0;
    long status = 0;
    // Raw header block of the final answer (status line first, CR LF endings, the blank line
    // included) when it arrived whole; empty otherwise.
    std::string rawHeaders;
    std::string contentType;
    Bytes body;

    bool headersArrived() const { return !rawHeaders.empty(); }
};

// Performs the transfer on the calling thread, reusing this thread's connections. Throws
// StopRequested when the thread's job is stopped before or during the transfer.
TransferResult PerformTransfer(const TransferRequest& request);

// The header lines of a CR LF separated block: empty lines and lines without a colon dropped,
// a stray CR or LF never carried into a line, and of several lines with the same name
// (ignoring case) only the last kept, at its own position.
std::vector<std::string> HeaderLinesFromBlock(std::string_view block);

// Rewrites every "Set-Cookie" of the header text in any letter case as "Set-Cookie" and
// returns the name=value pairs of its cookie lines joined by "; ".
std::string CollectSetCookies(std::string& headers);

// Hands an answer's cookies to the caller: merged into the caller's cookie text when asked,
// and written to returnedCookies when that output was given.
void HandOutCookies(std::string collected, std::string* cookies, bool merge,
                    std::string* returnedCookies);

// Whether the address has scheme http or https and a host, as WebAccessDirect requires.
bool IsHttpUrl(std::string_view url);

// Spaces are not allowed in a request line; they are sent percent-encoded.
std::string EscapeSpaces(std::string_view url);

// Test hook: a smaller body limit, so that tests need not send 256 MiB. 0 restores the default.
void SetMaxBodyBytesForTesting(std::size_t limit);

}  // namespace quillet::net
