#pragma once
// Bodies shaped like the real answers of each endpoint.

#include <cstdint>
#include <string>
#include <vector>

#include "fake-marketplace/catalog.h"
#include "fake-marketplace/fake_marketplace.h"

namespace quillet::fake {

struct Site {
    int port = 0;
    bool https = false;
    std::string tmallTitleDomain;

    std::string hostPort(const std::string& host) const;
    std::string pictureBase() const;      // //img.alicdn.localhost:PORT
    std::string descriptionBase() const;  // //desc.alicdn.localhost:PORT
};

// UTF-8 to GBK; characters GBK lacks become "?".
std::string toGbk(const std::string& utf8);

std::string mobileSearchBody(const Site& site, const std::vector<SearchItem>& rows,
                             const std::string& keyword, int totalPages);
std::string suggestBody(const std::string& callback, const SuggestAnswer& answer);
std::string taobaoItemPage(const Site& site, const Item& item);   // GBK
std::string tmallItemPage(const Site& site, const Item& item);    // GBK
std::string descriptionUrl(const Site& site, const Item& item);   // protocol-relative
std::string descriptionBody(const Site& site, const Item& item);  // GBK
std::string desktopSearchPage(const Site& site, const std::string& query,
                              const std::vector<Item>& auctions);
std::string taobaoReviewsBody(const std::string& callback, int total, int page, int pageSize,
                              const std::vector<Review>& reviews, std::uint64_t seed);
std::string tmallReviewsBody(const std::string& callback, int lastPage, int page, int total,
                             const std::vector<Review>& reviews, std::uint64_t seed);
// The lookup service's page that sets one cookie by header and one from its script.
std::string lookupPage(const std::string& title, const std::string& scriptCookie);
std::string creditBody(const Account& account);
std::string lookupErrorBody();
std::string shelfBody(const Site& site, const Item* item);
std::string homePage();
std::string punishPage(const Site& site, const std::string& host);
std::string htmlErrorPage();
std::string notFoundPage();

}  // namespace quillet::fake
