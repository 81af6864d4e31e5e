#pragma once
// What the search handlers make of one page: the cells of a list row and where an item stands.
// Plain functions over a parsed page, kept apart from the fetching so they can be checked
// against tables of pages.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "text/json_document.h"

namespace quillet {

// "淘宝" when isB2c is exactly "0", otherwise "天猫" (also when the member is missing).
std::string ShopType(std::string_view isB2c);

// Columns 1 to 9 of the ranking list for the item at 1-based position k (index 0 unused:
// column 0 is the rank, which the caller numbers).
using RankingCells = std::array<std::string, 10>;
RankingCells RankingRowCells(const JsonDocument& page, long long k);

// Columns 1 to 6 of the paid-placement list for the item at position k, or nothing when the
// item is not a paid placement (isP4p other than exactly "true").
using PaidPlacementCells = std::array<std::string, 7>;
std::optional<PaidPlacementCells> PaidPlacementRowCells(const JsonDocument& page, long long k);

// The 1-based position, among all `count` items of the page, of the first item whose
// itemNumId is byte for byte itemId; with paidOnly, items whose isP4p is not exactly "true"
// are passed over (but still counted). 0 when none matches.
long long FindItemPosition(const JsonDocument& page, long long count, std::string_view itemId,
                           bool paidOnly);

}  // namespace quillet
