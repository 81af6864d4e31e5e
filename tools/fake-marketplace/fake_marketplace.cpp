#include "fake-marketplace/fake_marketplace.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <thread>

#include "fake-marketplace/answers.h"
#include "fake-marketplace/catalog.h"
#include "fake-marketplace/pictures.h"
#include "fake-marketplace/server.h"

namespace quillet::fake {

namespace {

struct HostEntry {
    const char* endpoint;
    const char* host;
    bool https;  // served over https by the real marketplace
};

constexpr std::array<HostEntry, 12> kHosts = {{
    {kMobileSearch, "s.m.taobao.localhost", true},
    {kSuggest, "suggest.taobao.localhost", true},
    {kTaobaoItem, "item.taobao.localhost", true},
    {kTmallItem, "detail.tmall.localhost", true},
    {kDesktopSearch, "s.taobao.localhost", true},
    {kTaobaoRate, "rate.taobao.localhost", true},
    {kTmallRate, "rate.tmall.localhost", true},
    {kLookupService, "lookup.localhost", true},
    {kUpdate, "update.localhost", false},
    {kHomePage, "home.localhost", false},
    {kPictures, "img.alicdn.localhost", true},
    {kDescription, "desc.alicdn.localhost", true},
}};

const HostEntry* entryFor(const std::string& endpoint) {
    for (const auto& e : kHosts) {
        if (endpoint == e.endpoint) {
            return &e;
        }
    }
    return nullptr;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string endpointForHost(const std::string& hostHeader) {
    std::string host = lower(hostHeader);
    if (!host.empty() && host.front() != '[') {
        host = host.substr(0, host.find(':'));
    }
    if (!host.empty() && host.back() == '.') {
        host.pop_back();
    }
    for (const auto& e : kHosts) {
        if (host == e.host) {
            return e.endpoint;
        }
    }
    return "";
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string percentDecode(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2])));
            i += 2;
        } else if (s[i] == '+') {
            out.push_back(' ');
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// Value of a key in an application/x-www-form-urlencoded text.
std::string formValue(const std::string& text, const std::string& key) {
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('&', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string pair = text.substr(pos, end - pos);
        const std::size_t eq = pair.find('=');
        if (percentDecode(pair.substr(0, eq)) == key) {
            return eq == std::string::npos ? "" : percentDecode(pair.substr(eq + 1));
        }
        pos = end + 1;
    }
    return "";
}

int toInt(const std::string& text, int fallback) {
    if (text.empty()) {
        return fallback;
    }
    try {
        return std::stoi(text);
    } catch (const std::exception&) {
        return fallback;
    }
}

bool allDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

LoggedRequest parseHead(const std::string& raw) {
    LoggedRequest r;
    std::size_t pos = raw.find("\r\n");
    const std::string requestLine = raw.substr(0, pos);
    const std::size_t sp1 = requestLine.find(' ');
    const std::size_t sp2 = requestLine.rfind(' ');
    if (sp1 != std::string::npos && sp2 > sp1) {
        r.method = requestLine.substr(0, sp1);
        r.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    }
    while (pos != std::string::npos) {
        const std::size_t start = pos + 2;
        pos = raw.find("\r\n", start);
        const std::string line = raw.substr(start, pos == std::string::npos ? pos : pos - start);
        if (line.empty()) {
            break;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        std::string value = line.substr(colon + 1);
        const auto first = value.find_first_not_of(" \t");
        value = first == std::string::npos ? "" : value.substr(first);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
            value.pop_back();
        }
        r.headers.emplace_back(line.substr(0, colon), value);
    }
    return r;
}

// Reads "_60x60q90.jpg"-style size suffixes off a picture name.
bool takeSizeSuffix(std::string& name, int& width, int& height) {
    const std::size_t us = name.rfind('_');
    if (us == std::string::npos || name.size() < us + 4 ||
        lower(name.substr(name.size() - 4)) != ".jpg") {
        return false;
    }
    const std::string spec = name.substr(us + 1, name.size() - 4 - us - 1);
    const std::size_t x = spec.find('x');
    if (x == std::string::npos) {
        return false;
    }
    std::string h = spec.substr(x + 1);
    const std::size_t q = h.find('q');
    if (q != std::string::npos) {
        if (!allDigits(h.substr(q + 1))) {
            return false;
        }
        h = h.substr(0, q);
    }
    if (!allDigits(spec.substr(0, x)) || !allDigits(h) || x > 5 || h.size() > 5) {
        return false;
    }
    width = std::clamp(std::stoi(spec.substr(0, x)), 8, 800);
    height = std::clamp(std::stoi(h), 8, 800);
    if (height >= 800) {
        height = width;  // "_170x10000.jpg" scales by width only
    }
    name.resize(us);
    return true;
}

}  // namespace

std::string LoggedRequest::header(const std::string& name) const {
    const std::string wanted = lower(name);
    for (const auto& [n, v] : headers) {
        if (lower(n) == wanted) {
            return v;
        }
    }
    return "";
}

std::vector<std::string> LoggedRequest::headerNames() const {
    std::vector<std::string> names;
    for (const auto& h : headers) {
        names.push_back(h.first);
    }
    return names;
}

std::string LoggedRequest::query(const std::string& key) const {
    const std::size_t q = target.find('?');
    return q == std::string::npos ? "" : formValue(target.substr(q + 1), key);
}

std::string LoggedRequest::toJsonLine() const {
    nlohmann::ordered_json j;
    j["endpoint"] = endpoint;
    j["method"] = method;
    j["target"] = target;
    j["host"] = host;
    j["tls"] = tls;
    auto list = nlohmann::ordered_json::array();
    for (const auto& [n, v] : headers) {
        list.push_back(nlohmann::ordered_json::array({n, v}));
    }
    j["headers"] = std::move(list);
    j["body"] = body;
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

struct FakeMarketplace::Impl {
    Options options;
    Site site;
    Catalog catalog;
    std::atomic<bool> stopping{false};
    std::unique_ptr<LoopbackServer> server;
    std::thread thread;
    std::string certificatePem;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::chrono::milliseconds latency{0};
    std::map<std::string, std::chrono::milliseconds> endpointLatency;
    std::map<std::string, Fault> faults;
    std::map<std::string, CustomHandler> handlers;
    std::map<std::string, std::vector<SearchPage>> searchPages;
    std::map<std::string, ReviewScript> reviewScripts;
    std::map<std::string, SuggestAnswer> suggestions;
    std::map<std::string, std::string> creditAnswers;
    std::map<std::string, std::string> shelfAnswers;
    std::string versionText = "1.0";
    std::set<std::string> headerTokens;
    std::set<std::string> scriptTokens;
    std::uint64_t tokenCounter = 0;
    std::vector<LoggedRequest> log;
    std::ofstream logFile;
    std::map<std::string, std::string> pictureCache;

    explicit Impl(Options o) : options(std::move(o)), catalog(options.seed) {}

    // Waits, waking early when the server stops; false when it did.
    bool pause(std::chrono::milliseconds duration) const {
        if (duration.count() <= 0) {
            return !stopping.load();
        }
        std::unique_lock lock(mutex);
        return !changed.wait_for(lock, duration, [&] { return stopping.load(); });
    }

    std::optional<Fault> takeFault(const std::string& endpoint, const std::string& path) {
        std::lock_guard lock(mutex);
        auto it = faults.find(endpoint);
        if (it == faults.end() || !startsWith(path, it->second.pathPrefix)) {
            return std::nullopt;
        }
        Fault fault = it->second;
        if (it->second.times > 0 && --it->second.times == 0) {
            faults.erase(it);
        }
        return fault;
    }

    void record(const LoggedRequest& r) {
        std::lock_guard lock(mutex);
        if (options.keepLogInMemory) {
            log.push_back(r);
        }
        if (logFile.is_open()) {
            logFile << r.toJsonLine() << '\n';
            logFile.flush();
        }
        changed.notify_all();
    }

    void handle(const httplib::Request& req, httplib::Response& res);
    Answer defaultAnswer(const LoggedRequest& r, const httplib::Request& req);
    Answer mobileSearch(const httplib::Request& req);
    Answer desktopSearch(const httplib::Request& req);
    // A test's review script for the item, if it set one.
    std::optional<ReviewScript> reviewScript(const std::string& id);
    Answer taobaoReviews(const httplib::Request& req);
    Answer tmallReviews(const httplib::Request& req);
    Answer lookup(const LoggedRequest& r, const httplib::Request& req);
    Answer picture(const std::string& path);
};

namespace {

Answer html(std::string body, int status = 200, std::string type = "text/html;charset=UTF-8") {
    Answer a;
    a.status = status;
    a.contentType = std::move(type);
    a.body = std::move(body);
    return a;
}

Answer notFound() {
    return html(notFoundPage(), 404);
}

}  // namespace

void FakeMarketplace::Impl::handle(const httplib::Request& req, httplib::Response& res) {
    Connection* connection = currentConnection();
    LoggedRequest r = parseHead(connection != nullptr ? connection->rawHead : std::string());
    if (r.method.empty()) {
        r.method = req.method;
        r.target = req.target;
    }
    r.tls = connection != nullptr && connection->tls;
    r.path = req.path;
    r.host = req.get_header_value("Host");
    r.endpoint = endpointForHost(r.host);
    r.body = req.body;
    record(r);

    std::chrono::milliseconds delay;
    CustomHandler custom;
    {
        std::lock_guard lock(mutex);
        delay = latency;
        if (auto it = endpointLatency.find(r.endpoint); it != endpointLatency.end()) {
            delay += it->second;
        }
        if (auto it = handlers.find(r.endpoint); it != handlers.end()) {
            custom = it->second;
        }
    }
    if (!pause(delay)) {
        dropCurrentConnection();
        return;
    }
    const std::string scheme = r.tls ? "https://" : "http://";
    if (startsWith(r.path, "/_____tmd_____/punish")) {
        const Answer a = html(punishPage(site, r.host));
        res.set_content(a.body, a.contentType);
        return;
    }
    const std::optional<Fault> fault = takeFault(r.endpoint, r.path);
    if (fault && fault->kind == Fault::Kind::DropConnection) {
        dropCurrentConnection();
        return;
    }
    if (fault && fault->kind == Fault::Kind::PunishPage) {
        res.set_redirect(scheme + r.host + "/_____tmd_____/punish?x5secdata=" +
                             std::to_string(mix(options.seed, r.target)) + "&x5step=1",
                         302);
        return;
    }

    std::optional<Answer> custom_answer;
    if (custom) {
        custom_answer = custom(r);
    }
    Answer a = custom_answer ? std::move(*custom_answer) : defaultAnswer(r, req);
    if (fault) {
        switch (fault->kind) {
            case Fault::Kind::Status500:
                a = html("<html><body><h1>500 Internal Server Error</h1></body></html>", 500);
                break;
            case Fault::Kind::HtmlErrorPage:
                a = html(htmlErrorPage());
                break;
            case Fault::Kind::TruncatedBody:
                a.body.resize(a.body.size() / 2);
                break;
            default:
                break;
        }
    }
    res.status = a.status;
    res.set_header("Server", "Tengine");
    for (const auto& [name, value] : a.headers) {
        res.set_header(name, value);
    }
    if (fault &&
        (fault->kind == Fault::Kind::TrickleBody || fault->kind == Fault::Kind::StallBody)) {
        auto body = std::make_shared<std::string>(std::move(a.body));
        const std::size_t size = body->size();
        if (fault->kind == Fault::Kind::TrickleBody) {
            const std::size_t piece = std::max<std::size_t>(1, fault->pieceBytes);
            const auto interval = fault->interval;
            res.set_content_provider(size, a.contentType,
                                     [this, body, piece, interval](size_t offset, size_t length,
                                                                   httplib::DataSink& sink) {
                                         if (offset > 0 && !pause(interval)) {
                                             return false;
                                         }
                                         return sink.write(body->data() + offset,
                                                           std::min(piece, length));
                                     });
        } else {
            const std::size_t half = size / 2;
            const auto stallFor = fault->stallFor;
            res.set_content_provider(
                size, a.contentType,
                [this, body, half, stallFor](size_t offset, size_t, httplib::DataSink& sink) {
                    if (offset < half) {
                        return sink.write(body->data() + offset, half - offset);
                    }
                    pause(stallFor);
                    dropCurrentConnection();
                    return false;
                });
        }
        return;
    }
    res.set_content(a.body, a.contentType);
}

Answer FakeMarketplace::Impl::defaultAnswer(const LoggedRequest& r, const httplib::Request& req) {
    const std::string& e = r.endpoint;
    const std::string& path = r.path;
    if (e == kMobileSearch) {
        return path == "/search" ? mobileSearch(req) : notFound();
    }
    if (e == kSuggest) {
        if (path != "/sug") {
            return notFound();
        }
        const std::string q = req.get_param_value("q");
        SuggestAnswer answer;
        {
            std::lock_guard lock(mutex);
            auto it = suggestions.find(q);
            answer = it != suggestions.end() ? it->second : catalog.suggestions(q);
        }
        return html(suggestBody(req.get_param_value("callback"), answer), 200,
                    "text/javascript;charset=UTF-8");
    }
    if (e == kTaobaoItem || e == kTmallItem) {
        const std::string id = req.get_param_value("id");
        if (path != "/item.htm" || !allDigits(id)) {
            return notFound();
        }
        const Item it = catalog.item(id);
        return html(e == kTaobaoItem ? taobaoItemPage(site, it) : tmallItemPage(site, it), 200,
                    "text/html;charset=GBK");
    }
    if (e == kDescription) {
        const std::size_t end = path.find("/desc.htm");
        if (!startsWith(path, "/i7/") || end == std::string::npos) {
            return notFound();
        }
        const std::string id = path.substr(4, end - 4);
        if (!allDigits(id)) {
            return notFound();
        }
        return html(descriptionBody(site, catalog.item(id)), 200,
                    "application/x-javascript;charset=GBK");
    }
    if (e == kPictures) {
        return picture(path);
    }
    if (e == kDesktopSearch) {
        return path == "/search" ? desktopSearch(req) : notFound();
    }
    if (e == kTaobaoRate) {
        return path == "/feedRateList.htm" ? taobaoReviews(req) : notFound();
    }
    if (e == kTmallRate) {
        return path == "/list_detail_rate.htm" ? tmallReviews(req) : notFound();
    }
    if (e == kLookupService) {
        return lookup(r, req);
    }
    if (e == kUpdate) {
        if (path != "/yz/bb.txt") {
            return notFound();
        }
        std::lock_guard lock(mutex);
        return html(versionText, 200, "text/plain");
    }
    if (e == kHomePage) {
        return path == "/" ? html(homePage()) : notFound();
    }
    return notFound();
}

Answer FakeMarketplace::Impl::mobileSearch(const httplib::Request& req) {
    const std::string keyword = req.get_param_value("q");
    const int page = toInt(req.get_param_value("page"), 1);
    const int perPage = std::clamp(toInt(req.get_param_value("n"), 20), 1, 100);
    const std::string json = "application/json;charset=UTF-8";
    std::optional<std::vector<SearchPage>> scripted;
    {
        std::lock_guard lock(mutex);
        if (auto it = searchPages.find(keyword); it != searchPages.end()) {
            scripted = it->second;
        }
    }
    if (scripted) {
        const int pages = static_cast<int>(scripted->size());
        if (page < 1 || page > pages) {
            return html(mobileSearchBody(site, {}, keyword, pages), 200, json);
        }
        const SearchPage& p = (*scripted)[static_cast<std::size_t>(page - 1)];
        if (p.rawBody) {
            return html(*p.rawBody, p.status, json);
        }
        return html(mobileSearchBody(site, p.items, keyword, pages), p.status, json);
    }
    std::vector<SearchItem> rows;
    for (const auto& row : catalog.searchRows(keyword, page, perPage)) {
        rows.push_back(Catalog::searchItem(catalog.item(row.id), row.paid, row.withCommentCount));
    }
    return html(mobileSearchBody(site, rows, keyword, Catalog::kSearchPages), 200, json);
}

Answer FakeMarketplace::Impl::desktopSearch(const httplib::Request& req) {
    constexpr int kPerPage = 44;
    const std::string query = req.get_param_value("q");
    const int page = std::max(0, toInt(req.get_param_value("s"), 0)) / kPerPage;
    std::vector<Item> auctions;
    if (page < Catalog::kSearchPages) {
        for (const auto& id : catalog.desktopIds(query, page, kPerPage)) {
            auctions.push_back(catalog.item(id));
        }
        if (auto id = catalog.idForTitle(query)) {
            const Item target = catalog.item(*id);
            if (target.desktopSearchPage == page) {
                auctions[mix(options.seed, target.id) % kPerPage] = target;
            }
        }
    }
    return html(desktopSearchPage(site, query, auctions));
}

static int scriptedReviewCount(const ReviewScript& script) {
    int count = 0;
    for (const auto& p : script.pages) {
        count += static_cast<int>(p.reviews.size());
    }
    return count;
}

std::optional<ReviewScript> FakeMarketplace::Impl::reviewScript(const std::string& id) {
    std::lock_guard lock(mutex);
    if (auto it = reviewScripts.find(id); it != reviewScripts.end()) {
        return it->second;
    }
    return std::nullopt;
}

Answer FakeMarketplace::Impl::taobaoReviews(const httplib::Request& req) {
    const std::string id = req.get_param_value("auctionNumId");
    const int page = std::max(1, toInt(req.get_param_value("currentPageNum"), 1));
    const int pageSize = std::clamp(toInt(req.get_param_value("pageSize"), 20), 1, 100);
    std::string callback = req.get_param_value("callback");
    if (callback.empty()) {
        callback = "jsonp";
    }
    const std::string type = "application/javascript;charset=UTF-8";
    if (std::optional<ReviewScript> script = reviewScript(id)) {
        const int count = scriptedReviewCount(*script);
        std::vector<Review> reviews;
        if (page <= static_cast<int>(script->pages.size())) {
            const ReviewPage& p = script->pages[static_cast<std::size_t>(page - 1)];
            if (p.rawBody) {
                return html(*p.rawBody, 200, type);
            }
            reviews = p.reviews;
        }
        return html(taobaoReviewsBody(callback, script->total.value_or(count), page, pageSize,
                                      reviews, options.seed),
                    200, type);
    }
    if (!allDigits(id)) {
        return html(taobaoReviewsBody(callback, 0, page, pageSize, {}, options.seed), 200, type);
    }
    const auto all = catalog.reviews(catalog.item(id), site.pictureBase());
    const std::size_t from = std::min(all.size(), static_cast<std::size_t>((page - 1) * pageSize));
    const std::size_t to = std::min(all.size(), from + static_cast<std::size_t>(pageSize));
    return html(taobaoReviewsBody(callback, static_cast<int>(all.size()), page, pageSize,
                                  std::vector<Review>(all.begin() + static_cast<long>(from),
                                                      all.begin() + static_cast<long>(to)),
                                  options.seed),
                200, type);
}

Answer FakeMarketplace::Impl::tmallReviews(const httplib::Request& req) {
    constexpr int kPageSize = 20;
    const std::string id = req.get_param_value("itemId");
    const int page = std::max(1, toInt(req.get_param_value("currentPage"), 1));
    std::string callback = req.get_param_value("callback");
    if (callback.empty()) {
        callback = "jsonp";
    }
    const std::string type = "application/javascript;charset=UTF-8";
    if (std::optional<ReviewScript> script = reviewScript(id)) {
        const int count = scriptedReviewCount(*script);
        std::vector<Review> reviews;
        if (page <= static_cast<int>(script->pages.size())) {
            const ReviewPage& p = script->pages[static_cast<std::size_t>(page - 1)];
            if (p.rawBody) {
                return html(*p.rawBody, 200, type);
            }
            reviews = p.reviews;
        }
        const int lastPage = script->lastPage.value_or(static_cast<int>(script->pages.size()));
        return html(tmallReviewsBody(callback, lastPage, page, count, reviews, options.seed), 200,
                    type);
    }
    if (!allDigits(id)) {
        return html(tmallReviewsBody(callback, 1, page, 0, {}, options.seed), 200, type);
    }
    const auto all = catalog.reviews(catalog.item(id), site.pictureBase());
    const int total = static_cast<int>(all.size());
    const int lastPage = std::max(1, (total + kPageSize - 1) / kPageSize);
    const std::size_t from = std::min(all.size(), static_cast<std::size_t>((page - 1) * kPageSize));
    const std::size_t to = std::min(all.size(), from + kPageSize);
    return html(tmallReviewsBody(callback, lastPage, page, total,
                                 std::vector<Review>(all.begin() + static_cast<long>(from),
                                                     all.begin() + static_cast<long>(to)),
                                 options.seed),
                200, type);
}

Answer FakeMarketplace::Impl::lookup(const LoggedRequest& r, const httplib::Request& req) {
    const std::string& path = r.path;
    if (r.method == "GET" && (path == "/credit2" || path == "/shelf/index/init")) {
        std::string header;
        std::string script;
        {
            std::lock_guard lock(mutex);
            const std::uint64_t n = ++tokenCounter;
            header = std::to_string(mix(options.seed, "header", n));
            script = std::to_string(mix(options.seed, "script", n));
            headerTokens.insert(header);
            scriptTokens.insert(script);
        }
        Answer a =
            html(lookupPage(path == "/credit2" ? "信誉查询" : "上下架查询", "lk_verify=" + script));
        a.headers.emplace_back("Set-Cookie", "PHPSESSID=" + header + "; path=/");
        return a;
    }
    const bool credit = path == "/credit2/index/get";
    if (r.method != "POST" || (!credit && path != "/shelf/index/get")) {
        return notFound();
    }
    // The service answers only a client that carries both cookies its page set.
    bool headerOk = false;
    bool scriptOk = false;
    {
        std::lock_guard lock(mutex);
        for (const auto& [name, value] : r.headers) {
            if (lower(name) != "cookie") {
                continue;
            }
            std::size_t pos = 0;
            while (pos < value.size()) {
                std::size_t end = value.find(';', pos);
                if (end == std::string::npos) {
                    end = value.size();
                }
                std::string pair = value.substr(pos, end - pos);
                pair.erase(0, pair.find_first_not_of(' '));
                const std::size_t eq = pair.find('=');
                if (eq != std::string::npos) {
                    const std::string n = pair.substr(0, eq);
                    const std::string v = pair.substr(eq + 1);
                    headerOk = headerOk || (n == "PHPSESSID" && headerTokens.contains(v));
                    scriptOk = scriptOk || (n == "lk_verify" && scriptTokens.contains(v));
                }
                pos = end + 1;
            }
        }
    }
    const std::string type = "application/json;charset=UTF-8";
    if (!headerOk || !scriptOk) {
        return html(lookupErrorBody(), 200, type);
    }
    if (credit) {
        const std::string account = formValue(req.body, "account");
        {
            std::lock_guard lock(mutex);
            if (auto it = creditAnswers.find(account); it != creditAnswers.end()) {
                return html(it->second, 200, type);
            }
        }
        return html(creditBody(catalog.account(account)), 200, type);
    }
    const std::string goodid = formValue(req.body, "goodid");
    {
        std::lock_guard lock(mutex);
        if (auto it = shelfAnswers.find(goodid); it != shelfAnswers.end()) {
            return html(it->second, 200, type);
        }
    }
    if (!allDigits(goodid)) {
        return html(shelfBody(site, nullptr), 200, type);
    }
    const Item item = catalog.item(goodid);
    return html(shelfBody(site, &item), 200, type);
}

Answer FakeMarketplace::Impl::picture(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    int width = 0;
    int height = 0;
    bool thumbnail = false;
    while (takeSizeSuffix(name, width, height)) {
        thumbnail = true;
    }
    const std::size_t dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : lower(name.substr(dot + 1));
    PictureFormat format = PictureFormat::Jpeg;
    std::string type = "image/jpeg";
    if (!thumbnail) {
        if (ext == "png") {
            format = PictureFormat::Png;
            type = "image/png";
        } else if (ext == "gif") {
            format = PictureFormat::Gif;
            type = "image/gif";
        } else if (ext != "jpg" && ext != "jpeg") {
            return notFound();
        }
    }
    char kind = 'x';
    int number = 1;
    if (const std::size_t at = name.find("O1CN01");
        at != std::string::npos && at + 6 < name.size()) {
        kind = name[at + 6];
        std::size_t end = at + 7;
        while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end])) != 0 &&
               end < at + 12) {
            ++end;
        }
        number = toInt(name.substr(at + 7, end - at - 7), 1);
    }
    if (!thumbnail) {
        switch (kind) {
            case 'm':
                width = height = 320;
                break;
            case 'd':
                width = 480;
                height = 240;
                break;
            case 'r':
                width = height = 240;
                break;
            default:
                width = height = 160;
        }
    }
    Answer a;
    a.contentType = type;
    {
        std::lock_guard lock(mutex);
        if (auto it = pictureCache.find(path); it != pictureCache.end()) {
            a.body = it->second;
            return a;
        }
    }
    a.body = encodePicture(drawPicture(mix(options.seed, name), number, width, height), format);
    std::lock_guard lock(mutex);
    if (pictureCache.size() > 4096) {
        pictureCache.clear();
    }
    pictureCache.emplace(path, a.body);
    return a;
}

FakeMarketplace::FakeMarketplace(Options options)
    : impl_(std::make_unique<Impl>(std::move(options))) {
    Impl& d = *impl_;
    d.latency = d.options.latency;
    d.site.https = d.options.httpsEndpoints;
    d.site.tmallTitleDomain = d.options.tmallTitleDomain;
    if (!d.options.logFile.empty()) {
        d.logFile.open(d.options.logFile, std::ios::app | std::ios::binary);
        if (!d.logFile) {
            throw std::runtime_error("cannot open the request log " + d.options.logFile.string());
        }
    }
    std::vector<std::string> hostNames;
    for (const auto& e : kHosts) {
        hostNames.emplace_back(e.host);
    }
    const TlsIdentity& identity = tlsIdentity(hostNames);
    d.certificatePem = identity.certificatePem;
    d.server = std::make_unique<LoopbackServer>(identity.context.get(), d.stopping);
    // Clients keep connections open; enough workers that idle ones never starve a test.
    d.server->new_task_queue = [] { return new httplib::ThreadPool(32); };
    d.server->set_keep_alive_max_count(100);
    d.server->set_payload_max_length(16 * 1024 * 1024);
    auto handler = [&d](const httplib::Request& req, httplib::Response& res) {
        d.handle(req, res);
    };
    d.server->Get(".*", handler);
    d.server->Post(".*", handler);
    d.server->Put(".*", handler);
    d.server->Delete(".*", handler);
    d.server->Options(".*", handler);
    const int port =
        d.options.port == 0
            ? d.server->bind_to_any_port(d.options.bindAddress)
            : (d.server->bind_to_port(d.options.bindAddress, d.options.port) ? d.options.port : -1);
    if (port <= 0) {
        throw std::runtime_error("cannot listen on " + d.options.bindAddress + " port " +
                                 std::to_string(d.options.port));
    }
    d.site.port = port;
    d.thread = std::thread([&d] { d.server->listen_after_bind(); });
    // stop() is only heard once the accept loop runs; wait for it so a quick destructor
    // cannot be missed.
    while (!d.server->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

FakeMarketplace::~FakeMarketplace() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->changed.notify_all();
    impl_->server->stop();
    impl_->thread.join();
}

int FakeMarketplace::port() const {
    return impl_->site.port;
}

std::string FakeMarketplace::host(const std::string& endpoint) const {
    const HostEntry* e = entryFor(endpoint);
    return e != nullptr ? e->host : "";
}

std::string FakeMarketplace::baseUrl(const std::string& endpoint) const {
    const HostEntry* e = entryFor(endpoint);
    if (e == nullptr) {
        return "";
    }
    const bool https = impl_->options.httpsEndpoints && e->https;
    return std::string(https ? "https://" : "http://") + impl_->site.hostPort(e->host);
}

std::string FakeMarketplace::endpointsFileText() const {
    std::string text;
    for (const char* key : {kMobileSearch, kSuggest, kTaobaoItem, kTmallItem}) {
        text += std::string(key) + "=" + baseUrl(key) + "\n";
    }
    text += "tmall_title_domain=" + impl_->options.tmallTitleDomain + "\n";
    for (const char* key :
         {kDesktopSearch, kTaobaoRate, kTmallRate, kLookupService, kUpdate, kHomePage}) {
        text += std::string(key) + "=" + baseUrl(key) + "\n";
    }
    return text;
}

void FakeMarketplace::writeEndpointsFile(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << endpointsFileText();
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string FakeMarketplace::certificatePem() const {
    return impl_->certificatePem;
}

std::string FakeMarketplace::itemPageUrl(const std::string& id, bool tmall) const {
    return baseUrl(tmall ? kTmallItem : kTaobaoItem) + "/item.htm?id=" + id;
}

void FakeMarketplace::setLatency(std::chrono::milliseconds latency) {
    std::lock_guard lock(impl_->mutex);
    impl_->latency = latency;
}

void FakeMarketplace::setLatency(const std::string& endpoint, std::chrono::milliseconds latency) {
    std::lock_guard lock(impl_->mutex);
    impl_->endpointLatency[endpoint] = latency;
}

void FakeMarketplace::setFault(const std::string& endpoint, Fault fault) {
    std::lock_guard lock(impl_->mutex);
    if (fault.times == 0) {
        impl_->faults.erase(endpoint);
    } else {
        impl_->faults[endpoint] = std::move(fault);
    }
}

void FakeMarketplace::clearFault(const std::string& endpoint) {
    std::lock_guard lock(impl_->mutex);
    impl_->faults.erase(endpoint);
}

void FakeMarketplace::clearFaults() {
    std::lock_guard lock(impl_->mutex);
    impl_->faults.clear();
}

void FakeMarketplace::setHandler(const std::string& endpoint, CustomHandler handler) {
    std::lock_guard lock(impl_->mutex);
    impl_->handlers[endpoint] = std::move(handler);
}

std::vector<LoggedRequest> FakeMarketplace::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->log;
}

std::vector<LoggedRequest> FakeMarketplace::requests(const std::string& endpoint) const {
    std::lock_guard lock(impl_->mutex);
    std::vector<LoggedRequest> out;
    std::copy_if(impl_->log.begin(), impl_->log.end(), std::back_inserter(out),
                 [&](const LoggedRequest& r) { return r.endpoint == endpoint; });
    return out;
}

void FakeMarketplace::clearLog() {
    std::lock_guard lock(impl_->mutex);
    impl_->log.clear();
}

bool FakeMarketplace::waitForRequests(const std::string& endpoint, std::size_t count,
                                      std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [&] {
        return static_cast<std::size_t>(
                   std::count_if(impl_->log.begin(), impl_->log.end(), [&](const LoggedRequest& r) {
                       return endpoint.empty() || r.endpoint == endpoint;
                   })) >= count;
    });
}

Item FakeMarketplace::item(const std::string& id) const {
    return impl_->catalog.item(id);
}

void FakeMarketplace::setItem(Item item) {
    impl_->catalog.setItem(std::move(item));
}

SearchItem FakeMarketplace::searchItem(const std::string& id, bool paid) const {
    return Catalog::searchItem(impl_->catalog.item(id), paid);
}

void FakeMarketplace::setSearchPages(const std::string& keyword, std::vector<SearchPage> pages) {
    std::lock_guard lock(impl_->mutex);
    impl_->searchPages[keyword] = std::move(pages);
}

void FakeMarketplace::setSearchPages(const std::string& keyword,
                                     std::vector<std::vector<SearchItem>> pages) {
    std::vector<SearchPage> scripted;
    for (auto& items : pages) {
        SearchPage page;
        page.items = std::move(items);
        scripted.push_back(std::move(page));
    }
    setSearchPages(keyword, std::move(scripted));
}

void FakeMarketplace::setReviews(const std::string& itemId, ReviewScript script) {
    std::lock_guard lock(impl_->mutex);
    impl_->reviewScripts[itemId] = std::move(script);
}

void FakeMarketplace::setSuggestions(const std::string& keyword, SuggestAnswer answer) {
    std::lock_guard lock(impl_->mutex);
    impl_->suggestions[keyword] = std::move(answer);
}

void FakeMarketplace::setCreditAnswer(const std::string& account, std::string body) {
    std::lock_guard lock(impl_->mutex);
    impl_->creditAnswers[account] = std::move(body);
}

void FakeMarketplace::setShelfAnswer(const std::string& goodid, std::string body) {
    std::lock_guard lock(impl_->mutex);
    impl_->shelfAnswers[goodid] = std::move(body);
}

void FakeMarketplace::setVersionText(std::string text) {
    std::lock_guard lock(impl_->mutex);
    impl_->versionText = std::move(text);
}

}  // namespace quillet::fake
