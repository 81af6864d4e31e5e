#pragma once
// A loopback server that answers like every outside endpoint the program talks to: the
// marketplace's search, suggestion, item, description, picture and review hosts, the
// credit-and-shelf lookup service, the version file and the maker's home page. Tests create
// one per fixture, point QUILLET_ENDPOINTS at the file it writes and read back what the
// program sent; the demo and the benchmarks run the same server as a program.
//
// Every host is a name under .localhost on one port; requests are routed by their Host
// header. Plain HTTP and TLS are both accepted on that port (told apart by the first byte),
// because pages name pictures without a scheme and the program puts "https:" in front.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillet::fake {

// Endpoint keys: those of the endpoints file, plus the two hosts that only pages name.
inline constexpr const char* kMobileSearch = "mobile_search";
inline constexpr const char* kSuggest = "suggest";
inline constexpr const char* kTaobaoItem = "taobao_item";
inline constexpr const char* kTmallItem = "tmall_item";
inline constexpr const char* kDesktopSearch = "desktop_search";
inline constexpr const char* kTaobaoRate = "taobao_rate";
inline constexpr const char* kTmallRate = "tmall_rate";
inline constexpr const char* kLookupService = "lookup_service";
inline constexpr const char* kUpdate = "update";
inline constexpr const char* kHomePage = "home_page";
inline constexpr const char* kPictures = "pictures";
inline constexpr const char* kDescription = "description";

struct Options {
    std::uint64_t seed = 1;
    std::string bindAddress = "127.0.0.1";
    int port = 0;  // 0: any free port
    // The endpoints file names https for every endpoint the marketplace serves over https
    // (all but the version file and the home page); the server accepts both either way.
    bool httpsEndpoints = false;
    // The domain in the Tmall page-title ending "-<domain>天猫</title>".
    std::string tmallTitleDomain = "tmall.localhost";
    std::filesystem::path logFile;  // request log appended here as JSON lines when not empty
    bool keepLogInMemory = true;    // off for a long-running server nobody asks requests() of
    std::chrono::milliseconds latency{0};
};

struct Fault {
    enum class Kind {
        Status500,       // 500 with a short text body
        HtmlErrorPage,   // 200 with an HTML error page in place of the usual answer
        TruncatedBody,   // the usual answer cut in half, framed as complete
        TrickleBody,     // the usual answer, pieceBytes at a time every interval
        StallBody,       // half the usual answer, then nothing until stallFor ends the connection
        DropConnection,  // the connection is closed without any answer
        PunishPage,      // a redirect to the access-denied ("punish") page with a login link
    };
    Kind kind = Kind::Status500;
    int times = -1;          // how many answers it spoils; -1 until cleared
    std::string pathPrefix;  // when not empty, only requests whose path starts with it
    std::chrono::milliseconds interval{100};
    std::size_t pieceBytes = 64;
    std::chrono::milliseconds stallFor{60000};
};

struct LoggedRequest {
    std::string endpoint;  // endpoint key, or empty for an unknown host
    std::string method;
    std::string target;  // path and query exactly as sent
    std::string path;
    std::string host;  // Host header as sent
    bool tls = false;
    std::vector<std::pair<std::string, std::string>> headers;  // in the order received
    std::string body;

    // First header of that name (letter case ignored), or empty.
    std::string header(const std::string& name) const;
    // Header names in the order received.
    std::vector<std::string> headerNames() const;
    // The decoded value of a query key, or empty.
    std::string query(const std::string& key) const;
    std::string toJsonLine() const;
};

// One row of the mobile search answer. A member that holds no value is left out.
struct SearchItem {
    std::optional<std::string> itemNumId;
    std::optional<std::string> title;
    std::optional<std::string> sold;
    std::optional<std::string> commentCount;
    std::optional<std::string> nick;
    std::optional<std::string> isB2c;
    std::optional<std::string> originalPrice;
    std::optional<std::string> priceWap;
    std::optional<std::string> isP4p;
    std::optional<std::string> location;
};

// One scripted answer of the mobile search.
struct SearchPage {
    std::vector<SearchItem> items;
    std::optional<std::string> rawBody;  // answered as it stands instead of the items
    int status = 200;
};

// An item as the marketplace knows it; made from its ID unless a test sets it.
struct Item {
    std::string id;
    std::string title;
    std::string nick;
    bool tmall = false;
    std::string originalPrice;
    std::string priceWap;  // also the discounted price of the desktop search
    std::string sold;
    std::string commentCount;
    std::string location;
    std::string sellerId;
    std::string spuId;
    int mainPictures = 5;
    int detailPictures = 4;
    int reviewCount = 30;
    // Page (0-based, 44 results each) of the desktop search for its title that holds it;
    // -1: it never shows up there.
    int desktopSearchPage = 0;
    std::string created;        // creation time text of the shelf lookup
    std::int64_t listedAt = 0;  // seconds since 1970 UTC
};

struct Review {
    std::string content;
    std::vector<std::string> photos;  // protocol-relative addresses
};

struct ReviewPage {
    std::vector<Review> reviews;
    std::optional<std::string> rawBody;  // answered as it stands (the JSONP callback included)
};

// Scripted reviews of one item. Page p answers pages[p-1]; later pages have no reviews.
struct ReviewScript {
    std::vector<ReviewPage> pages;
    std::optional<int> total;     // Taobao "total"; default: the number of reviews
    std::optional<int> lastPage;  // Tmall "lastPage"; default: the number of pages
};

struct SuggestAnswer {
    std::vector<std::pair<std::string, std::string>> words;  // word, volume
    // Tag groups of the "magic" member; a tag whose second element is true is hot.
    std::vector<std::vector<std::pair<std::string, bool>>> tagGroups;
    bool withMagic = true;
};

struct Answer {
    int status = 200;
    std::string contentType = "text/html;charset=UTF-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};
// Answers a request itself, or returns nothing to let the usual answer go out.
using CustomHandler = std::function<std::optional<Answer>(const LoggedRequest&)>;

class FakeMarketplace {
public:
    // Starts serving at once on a background thread; throws std::runtime_error when the
    // port cannot be bound.
    explicit FakeMarketplace(Options options = {});
    ~FakeMarketplace();
    FakeMarketplace(const FakeMarketplace&) = delete;
    FakeMarketplace& operator=(const FakeMarketplace&) = delete;

    int port() const;
    // Host name of an endpoint key, without the port (s.m.taobao.localhost).
    std::string host(const std::string& endpoint) const;
    // Scheme, host and port of an endpoint key, as the endpoints file writes it.
    std::string baseUrl(const std::string& endpoint) const;
    std::string endpointsFileText() const;
    void writeEndpointsFile(const std::filesystem::path& path) const;
    // The self-signed certificate (PEM) the server presents over TLS; it names every host.
    std::string certificatePem() const;
    // The page address of an item, as the program builds it from the endpoints.
    std::string itemPageUrl(const std::string& id, bool tmall) const;

    void setLatency(std::chrono::milliseconds latency);
    void setLatency(const std::string& endpoint, std::chrono::milliseconds latency);
    void setFault(const std::string& endpoint, Fault fault);
    void clearFault(const std::string& endpoint);
    void clearFaults();
    void setHandler(const std::string& endpoint, CustomHandler handler);

    std::vector<LoggedRequest> requests() const;
    std::vector<LoggedRequest> requests(const std::string& endpoint) const;
    void clearLog();
    // Waits until the log holds at least count requests of that endpoint (any endpoint when
    // empty); false when the time runs out first.
    bool waitForRequests(const std::string& endpoint, std::size_t count,
                         std::chrono::milliseconds timeout) const;

    Item item(const std::string& id) const;
    void setItem(Item item);
    // A full search row for an item, as a search would list it.
    SearchItem searchItem(const std::string& id, bool paid = false) const;
    void setSearchPages(const std::string& keyword, std::vector<SearchPage> pages);
    void setSearchPages(const std::string& keyword, std::vector<std::vector<SearchItem>> pages);
    void setReviews(const std::string& itemId, ReviewScript script);
    void setSuggestions(const std::string& keyword, SuggestAnswer answer);
    void setCreditAnswer(const std::string& account, std::string body);
    void setShelfAnswer(const std::string& goodid, std::string body);
    void setVersionText(std::string text);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace quillet::fake
