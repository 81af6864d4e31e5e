#include "net/http_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

#include "net/stop_token.h"
#include "text/cookies.h"
#include "text/text_between.h"
#include "text/text_util.h"

namespace quillet::net {

namespace {

using Clock = std::chrono::steady_clock;

// Headers beyond this size are an attack, not an answer.
constexpr std::size_t kMaxHeaderBytes = std::size_t{1} << 20;
// How often a running transfer looks at the stop flag and the idle clock.
constexpr int kPollMs = 25;

std::atomic<std::size_t> maxBodyForTesting{0};

bool globalInit() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

// One multi handle per thread keeps that thread's connections alive between requests; the easy
// handle is reset before each use, so no option, cookie or credential carries over.
struct ThreadHandles {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    ThreadHandles() = default;
    ThreadHandles(const ThreadHandles&) = delete;
    ThreadHandles& operator=(const ThreadHandles&) = delete;
    ~ThreadHandles() {
        if (easy != nullptr) {
            curl_easy_cleanup(easy);
        }
        if (multi != nullptr) {
            curl_multi_cleanup(multi);
        }
    }
};

thread_local ThreadHandles threadHandles;

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

bool append(Slist& list, const char* line) {
    curl_slist* grown = curl_slist_append(list.get(), line);
    if (grown == nullptr) {
        return false;
    }
    list.release();
    list.reset(grown);
    return true;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

std::string_view trimSpaceTab(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string_view headerName(std::string_view line) {
    return trimSpaceTab(line.substr(0, line.find(':')));
}

bool hasHeader(const std::vector<std::string>& lines, std::string_view name) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return equalsIgnoreCase(headerName(line), name);
    });
}

enum class Stage {
    Connecting,   // no connection for the current request yet
    Requesting,   // connected; the request is going out or the answer header is coming in
    HeadersDone,  // the final answer header arrived; the body follows
};

struct TransferState {
    const TransferRequest* request = nullptr;
    std::size_t maxBody = kMaxBodyBytes;
    Stage stage = Stage::Connecting;
    std::string headers;
    Bytes body;
    bool tooLarge = false;
    bool stopped = false;
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastUp = 0;
    curl_off_t lastDown = 0;
    CURL* easy = nullptr;
};

long statusOf(std::string_view headers) {
    // "HTTP/1.1 200 OK": the digits after the first space.
    std::size_t space = headers.find(' ');
    long code = 0;
    for (std::size_t i = space + 1; space != std::string_view::npos && i < headers.size(); ++i) {
        if (headers[i] < '0' || headers[i] > '9') {
            break;
        }
        code = code * 10 + (headers[i] - '0');
        if (code > 999) {
            break;
        }
    }
    return code;
}

bool hasLocationLine(std::string_view headers) {
    for (std::string_view line : splitText(headers, "\r\n")) {
        if (equalsIgnoreCase(headerName(line), "location") && line.find(':') != line.npos) {
            return true;
        }
    }
    return false;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<TransferState*>(user);
    std::string_view line(data, size * count);
    state->lastActivity = Clock::now();
    if (line.starts_with("HTTP/")) {
        // Every hop and every interim answer starts over: only the final answer is kept.
        state->headers.clear();
        state->stage = Stage::Requesting;
    }
    if (state->headers.size() + line.size() > kMaxHeaderBytes) {
        return 0;
    }
    state->headers.append(line);
    if (line == "\r\n" || line == "\n") {
        long code = statusOf(state->headers);
        if (code >= 200) {
            bool followed = state->request->followRedirects && code >= 300 && code < 400 &&
                            code != 304 && hasLocationLine(state->headers);
            state->stage = followed ? Stage::Connecting : Stage::HeadersDone;
        }
    }
    return line.size();
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<TransferState*>(user);
    std::size_t n = size * count;
    state->lastActivity = Clock::now();
    if (n > state->maxBody - state->body.size()) {
        state->tooLarge = true;
        return 0;  // libcurl ends the transfer with a write error
    }
    if (state->body.empty()) {
        curl_off_t length = -1;
        if (curl_easy_getinfo(state->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) ==
                CURLE_OK &&
            length > 0) {
            state->body.reserve(
                std::min<std::size_t>(static_cast<std::size_t>(length), state->maxBody));
        }
    }
    state->body.append(data, n);
    return n;
}

int onPrerequest(void* user, char*, char*, int, int) {
    auto* state = static_cast<TransferState*>(user);
    state->stage = Stage::Requesting;
    state->headers.clear();
    state->lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

int onProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
    auto* state = static_cast<TransferState*>(user);
    if (up != state->lastUp || down != state->lastDown) {
        state->lastUp = up;
        state->lastDown = down;
        state->lastActivity = Clock::now();
    }
    if (StopRequestedOnThisThread()) {
        state->stopped = true;
        return 1;  // aborts the transfer at once
    }
    return 0;
}

bool isTlsFailure(CURLcode code) {
    switch (code) {
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_ENGINE_INITFAILED:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_USE_SSL_FAILED:
            return true;
        default:
            return false;
    }
}

TransferError classify(const TransferState& state, CURLcode code, bool idleTimedOut) {
    if (state.tooLarge) {
        return TransferError::TooLarge;
    }
    if (!idleTimedOut && code == CURLE_TOO_MANY_REDIRECTS) {
        return TransferError::NoResponse;
    }
    switch (state.stage) {
        case Stage::Connecting:
            return !idleTimedOut && isTlsFailure(code) ? TransferError::Send
                                                       : TransferError::Connect;
        case Stage::Requesting:
            return !idleTimedOut && code == CURLE_SEND_ERROR ? TransferError::Send
                                                             : TransferError::NoResponse;
        case Stage::HeadersDone:
            break;
    }
    return TransferError::BodyRead;
}

// Applies one option; remembers the first refusal so that the caller can name the step.
class Options {
public:
    explicit Options(CURL* easy) : easy_(easy) {}
    template <typename T>
    void set(CURLoption option, T value, TransferError step) {
        if (failed_ == TransferError::None && curl_easy_setopt(easy_, option, value) != CURLE_OK) {
            failed_ = step;
        }
    }
    void fail(TransferError step) {
        if (failed_ == TransferError::None) {
            failed_ = step;
        }
    }
    TransferError failed() const { return failed_; }

private:
    CURL* easy_;
    TransferError failed_ = TransferError::None;
};

}  // namespace

TransferResult PerformTransfer(const TransferRequest& request) {
    AssertNotWindowThread();
    ThrowIfStopRequested();

    TransferResult result;
    ThreadHandles& handles = threadHandles;
    if (!globalInit()) {
        result.error = TransferError::SetupLibrary;
        return result;
    }
    if (handles.multi == nullptr) {
        handles.multi = curl_multi_init();
    }
    if (handles.easy == nullptr) {
        handles.easy = curl_easy_init();
    }
    if (handles.multi == nullptr || handles.easy == nullptr) {
        result.error = TransferError::SetupLibrary;
        return result;
    }
    CURL* easy = handles.easy;
    curl_easy_reset(easy);

    TransferState state;
    state.request = &request;
    state.easy = easy;
    std::size_t testLimit = maxBodyForTesting.load(std::memory_order_relaxed);
    state.maxBody = testLimit != 0 ? testLimit : kMaxBodyBytes;

    Options opt(easy);
    using E = TransferError;

    // Proxy: a direct connection ignores the environment's proxies too; a named proxy is used
    // for every host, with no bypass list.
    if (request.proxy.empty()) {
        opt.set(CURLOPT_PROXY, "", E::SetupProxy);
    } else {
        opt.set(CURLOPT_PROXY, request.proxy.c_str(), E::SetupProxy);
        opt.set(CURLOPT_NOPROXY, "", E::SetupProxy);
        opt.set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L, E::SetupProxy);
    }

    // Connection.
    opt.set(CURLOPT_URL, request.url.c_str(), E::SetupConnection);
    opt.set(CURLOPT_PROTOCOLS_STR, "http,https", E::SetupConnection);
    opt.set(CURLOPT_NOSIGNAL, 1L, E::SetupConnection);
    opt.set(CURLOPT_SSL_VERIFYPEER, request.verifyTls ? 1L : 0L, E::SetupConnection);
    opt.set(CURLOPT_SSL_VERIFYHOST, request.verifyTls ? 2L : 0L, E::SetupConnection);

    // Request: HTTP/1.1 keeps the header bytes exactly as given; the path is sent as written.
    opt.set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1), E::SetupRequest);
    opt.set(CURLOPT_PATH_AS_IS, 1L, E::SetupRequest);
    bool sendsBody = request.verb != "HEAD" && (request.verb == "POST" || request.hasBody);
    if (request.verb == "HEAD") {
        opt.set(CURLOPT_NOBODY, 1L, E::SetupRequest);
    } else if (sendsBody) {
        opt.set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()),
                E::SetupRequest);
        opt.set(CURLOPT_POSTFIELDS, request.body.data(), E::SetupRequest);
        if (request.verb != "POST") {
            opt.set(CURLOPT_CUSTOMREQUEST, request.verb.c_str(), E::SetupRequest);
        }
    } else if (request.verb != "GET") {
        opt.set(CURLOPT_CUSTOMREQUEST, request.verb.c_str(), E::SetupRequest);
    }
    opt.set(CURLOPT_HEADERFUNCTION, &onHeader, E::SetupRequest);
    opt.set(CURLOPT_HEADERDATA, &state, E::SetupRequest);
    opt.set(CURLOPT_WRITEFUNCTION, &onBody, E::SetupRequest);
    opt.set(CURLOPT_WRITEDATA, &state, E::SetupRequest);
    opt.set(CURLOPT_PREREQFUNCTION, &onPrerequest, E::SetupRequest);
    opt.set(CURLOPT_PREREQDATA, &state, E::SetupRequest);
    opt.set(CURLOPT_XFERINFOFUNCTION, &onProgress, E::SetupRequest);
    opt.set(CURLOPT_XFERINFODATA, &state, E::SetupRequest);
    opt.set(CURLOPT_NOPROGRESS, 0L, E::SetupRequest);

    // Time limits: libcurl times the connection; the idle clock is kept below, per poll.
    if (request.connectTimeoutMs > 0) {
        opt.set(CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs, E::SetupTimeouts);
    }

    // Credentials are sent as Basic right away, and only to the host or proxy they belong to.
    if (!request.serverUser.empty()) {
        opt.set(CURLOPT_HTTPAUTH, static_cast<unsigned long>(CURLAUTH_BASIC), E::SetupCredentials);
        opt.set(CURLOPT_USERNAME, request.serverUser.c_str(), E::SetupCredentials);
        opt.set(CURLOPT_PASSWORD, request.serverPassword.c_str(), E::SetupCredentials);
    }
    if (!request.proxy.empty() && !request.proxyUser.empty()) {
        opt.set(CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_BASIC), E::SetupCredentials);
        opt.set(CURLOPT_PROXYUSERNAME, request.proxyUser.c_str(), E::SetupCredentials);
        opt.set(CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str(), E::SetupCredentials);
    }

    // No cookie store: cookies travel only in the header lines the caller builds.
    opt.set(CURLOPT_COOKIELIST, "ALL", E::SetupCookies);

    opt.set(CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L, E::SetupRedirects);
    opt.set(CURLOPT_MAXREDIRS, kMaxRedirects, E::SetupRedirects);
    opt.set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https", E::SetupRedirects);

    // Header lines: libcurl's own defaults are switched off by naming them empty (such lines
    // are not sent).
    Slist headers;
    Slist proxyHeaders;
    for (const std::string& line : request.headerLines) {
        if (!append(headers, line.c_str())) {
            opt.fail(E::SetupHeaders);
        }
    }
    if (!hasHeader(request.headerLines, "Accept") && !append(headers, "Accept:")) {
        opt.fail(E::SetupHeaders);
    }
    if (sendsBody) {
        if (!hasHeader(request.headerLines, "Content-Type") && !append(headers, "Content-Type:")) {
            opt.fail(E::SetupHeaders);
        }
        if (!hasHeader(request.headerLines, "Expect") && !append(headers, "Expect:")) {
            opt.fail(E::SetupHeaders);
        }
    }
    if (!append(proxyHeaders, "Proxy-Connection:")) {
        opt.fail(E::SetupHeaders);
    }
    opt.set(CURLOPT_HTTPHEADER, headers.get(), E::SetupHeaders);
    opt.set(CURLOPT_PROXYHEADER, proxyHeaders.get(), E::SetupHeaders);

    if (opt.failed() != E::None) {
        result.error = opt.failed();
        return result;
    }

    if (curl_multi_add_handle(handles.multi, easy) != CURLM_OK) {
        result.error = E::SetupLibrary;
        return result;
    }
    state.lastActivity = Clock::now();
    bool idleTimedOut = false;
    bool multiFailed = false;
    int running = 1;
    while (true) {
        if (StopRequestedOnThisThread()) {
            state.stopped = true;
            break;
        }
        if (curl_multi_perform(handles.multi, &running) != CURLM_OK) {
            multiFailed = true;
            break;
        }
        if (running == 0 || state.stopped) {
            break;
        }
        if (request.idleTimeoutMs > 0 && state.stage != Stage::Connecting &&
            Clock::now() - state.lastActivity > std::chrono::milliseconds(request.idleTimeoutMs)) {
            idleTimedOut = true;
            break;
        }
        if (curl_multi_poll(handles.multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK) {
            multiFailed = true;
            break;
        }
    }

    CURLcode code = CURLE_OK;
    if (running == 0 && !state.stopped && !multiFailed) {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(handles.multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                code = message->data.result;
            }
        }
    } else if (idleTimedOut) {
        code = CURLE_OPERATION_TIMEDOUT;
    } else {
        code = CURLE_ABORTED_BY_CALLBACK;
    }
    // Removing an unfinished transfer closes its connection; a finished one stays for reuse.
    curl_multi_remove_handle(handles.multi, easy);
    if (state.stopped) {
        throw StopRequested{};
    }

    result.curlCode = code;
    if (code != CURLE_OK) {
        result.error = multiFailed ? E::NoResponse : classify(state, code, idleTimedOut);
    }
    if (state.stage == Stage::HeadersDone && !state.tooLarge) {
        result.rawHeaders = std::move(state.headers);
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &result.status);
        char* contentType = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK &&
            contentType != nullptr) {
            result.contentType = contentType;
        }
        result.body = std::move(state.body);
    }
    return result;
}

std::vector<std::string> HeaderLinesFromBlock(std::string_view block) {
    std::vector<std::string> lines;
    for (std::string_view piece : splitText(block, "\n")) {
        if (piece.ends_with('\r')) {
            piece.remove_suffix(1);
        }
        std::size_t colon = piece.find(':');
        if (piece.find('\r') != std::string_view::npos || colon == std::string_view::npos ||
            headerName(piece).empty()) {
            continue;
        }
        std::string line(piece);
        // libcurl takes "Name:" as "do not send Name"; "Name;" sends it with an empty value.
        if (trimSpaceTab(piece.substr(colon + 1)).empty()) {
            line = std::string(piece.substr(0, colon)) + ";";
        }
        std::string_view name = headerName(piece);
        std::erase_if(lines, [&](const std::string& earlier) {
            return equalsIgnoreCase(headerName(earlier), name);
        });
        lines.push_back(std::move(line));
    }
    return lines;
}

void HandOutCookies(std::string collected, std::string* cookies, bool merge,
                    std::string* returnedCookies) {
    if (merge && cookies != nullptr) {
        collected = MergeCookieTexts(*cookies, collected);
    }
    if (returnedCookies != nullptr) {
        *returnedCookies = std::move(collected);
    }
}

std::string CollectSetCookies(std::string& headers) {
    headers = replaceText(headers, "Set-Cookie", "Set-Cookie", 0, true);
    std::string cookies;
    for (std::string_view line : splitText(headers, "\r\n")) {
        if (line.find("Set-Cookie") == std::string_view::npos) {
            continue;
        }
        std::string pair = line.find(';') != std::string_view::npos
                               ? TextBetween(line, "Set-Cookie:", ";")
                               : replaceText(line, "Set-Cookie:", "");
        cookies.append(trimBlanks(pair));
        cookies.append("; ");
    }
    if (cookies.size() >= 2) {
        cookies.resize(cookies.size() - 2);
    }
    return cookies;
}

bool IsHttpUrl(std::string_view url) {
    CURLU* parsed = curl_url();
    if (parsed == nullptr) {
        return false;
    }
    std::string text(url);
    bool ok = !text.empty() && curl_url_set(parsed, CURLUPART_URL, text.c_str(), 0) == CURLUE_OK;
    char* scheme = nullptr;
    char* host = nullptr;
    if (ok && curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK) {
        std::string_view s(scheme);
        ok = (s == "http" || s == "https") && *host != '\0';
    } else {
        ok = false;
    }
    curl_free(scheme);
    curl_free(host);
    curl_url_cleanup(parsed);
    return ok;
}

std::string EscapeSpaces(std::string_view url) {
    return replaceText(url, " ", "%20");
}

void SetMaxBodyBytesForTesting(std::size_t limit) {
    maxBodyForTesting.store(limit, std::memory_order_relaxed);
}

}  // namespace quillet::net
