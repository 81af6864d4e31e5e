#include "search/search_rows.h"

#include "search/search_page.h"

namespace quillet {

namespace {

bool isPaidPlacement(const JsonDocument& page, long long k) {
    return page.getValue(SearchItemPath(k, "isP4p")) == "true";
}

}  // namespace

std::string ShopType(std::string_view isB2c) {
    return isB2c == "0" ? "淘宝" : "天猫";
}

RankingCells RankingRowCells(const JsonDocument& page, long long k) {
    auto member = [&](std::string_view name) { return page.getValue(SearchItemPath(k, name)); };
    RankingCells cells;
    cells[1] = member("title");
    cells[2] = member("sold");
    cells[3] = member("commentCount");
    if (cells[3].empty()) {
        cells[3] = "车位";  // paid placements come without a review count
    }
    cells[4] = member("nick");
    cells[5] = ShopType(member("isB2c"));
    cells[6] = member("originalPrice");
    cells[7] = member("priceWap");
    cells[8] = member("itemNumId");
    cells[9] = member("location");
    return cells;
}

std::optional<PaidPlacementCells> PaidPlacementRowCells(const JsonDocument& page, long long k) {
    if (!isPaidPlacement(page, k)) {
        return std::nullopt;
    }
    auto member = [&](std::string_view name) { return page.getValue(SearchItemPath(k, name)); };
    PaidPlacementCells cells;
    cells[1] = member("title");
    cells[2] = member("sold");
    cells[3] = member("nick");
    cells[4] = member("itemNumId");
    cells[5] = ShopType(member("isB2c"));
    cells[6] = member("location");
    return cells;
}

long long FindItemPosition(const JsonDocument& page, long long count, std::string_view itemId,
                           bool paidOnly) {
    for (long long k = 1; k <= count; ++k) {
        if (paidOnly && !isPaidPlacement(page, k)) {
            continue;
        }
        if (page.getValue(SearchItemPath(k, "itemNumId")) == itemId) {
            return k;
        }
    }
    return 0;
}

}  // namespace quillet
