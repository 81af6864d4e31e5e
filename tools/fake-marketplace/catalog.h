#pragma once
// The fake marketplace's data: items, search results, reviews, suggestions and accounts,
// all made deterministically from the seed and the key asked for, unless a test set them.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fake-marketplace/fake_marketplace.h"

namespace quillet::fake {

// A stable 64-bit mix of a seed, a text and a number.
std::uint64_t mix(std::uint64_t seed, std::string_view text, std::uint64_t n = 0);

struct Account {
    std::string account;
    int vip = 0;
    bool authedAsString = false;
    int authed = 2;
    std::string area;
    std::string regTime;
    std::string lastLogin;
    int sellerTotalPoint = 0;
    int shop = 0;
    int buyerTotalPoint = 0;
    double weekAvg = 0;
    int buyerLevel = 0;
    std::string sellerLevel;
    std::string sex;
    int activePoint = 0;
    int activeLevel = 0;
    std::string buyerGoodRate;
};

class Catalog {
public:
    explicit Catalog(std::uint64_t seed) : seed_(seed) {}

    // The item of that ID: one a test set, one met before, or a new one made from the ID.
    Item item(const std::string& id);
    void setItem(Item item);
    // The ID of an item met before whose title is exactly this text.
    std::optional<std::string> idForTitle(const std::string& title);

    struct Row {
        std::string id;
        bool paid = false;
        bool withCommentCount = true;
    };
    // Rows of a generated mobile search page (1-based); items met here get titles that
    // hold the keyword.
    std::vector<Row> searchRows(const std::string& keyword, int page, int perPage);
    static constexpr int kSearchPages = 100;

    // IDs of the other results on a desktop search page (0-based).
    std::vector<std::string> desktopIds(const std::string& query, int page, int perPage);

    std::vector<Review> reviews(const Item& item, const std::string& pictureBase);
    SuggestAnswer suggestions(const std::string& keyword) const;
    Account account(const std::string& name) const;

    static SearchItem searchItem(const Item& item, bool paid, bool withCommentCount = true);

private:
    Item makeItem(const std::string& id, const std::string& keyword) const;
    Item& remember(Item item);  // caller holds mutex_

    std::uint64_t seed_;
    std::mutex mutex_;
    std::map<std::string, Item> items_;
    std::map<std::string, std::string> idByTitle_;
};

// Picture address (protocol-relative) of one picture of an item: kind 'm' main, 'd' detail,
// 'r' review photo, 's' shelf picture.
std::string pictureUrl(const std::string& pictureBase, const Item& item, char kind, int number,
                       const std::string& extension, int variant = 0);

}  // namespace quillet::fake
