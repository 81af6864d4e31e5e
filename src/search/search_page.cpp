#include "search/search_page.h"

#include "net/endpoints.h"
#include "net/web_access.h"
#include "text/coding.h"

namespace quillet {

std::string SearchPageUrl(std::string_view keyword, int page) {
    return Endpoint("mobile_search") +
           "/search?event_submit_do_new_search_auction=1&_input_charset=utf-8&topSearch=1"
           "&atype=b&searchfrom=1&action=home%3Aredirect_app_action&from=1&q=" +
           urlEncode(keyword, false, true) +
           "&sst=1&n=20&buying=buyitnow&m=api4h5&abtest=14&wlsort=14&page=" + std::to_string(page);
}

long long fetchSearchPage(std::string_view keyword, int page, JsonDocument& document) {
    // A failed request gives the empty text, which parses as nothing: the page counts 0 items.
    const std::string body = WebAccessDirect(SearchPageUrl(keyword, page));
    document.parse(urlDecode(body, true));
    return document.count("listItem");
}

std::string SearchItemPath(long long k, std::string_view member) {
    std::string path = "listItem[" + std::to_string(k - 1) + "].";
    path += member;
    return path;
}

}  // namespace quillet
