#pragma once
// One page of the marketplace's mobile search, the query that the ranking list, the rank
// finders and the paid-placement list all build on.

#include <string>
#include <string_view>

#include "text/json_document.h"

namespace quillet {

// Items a search page asks for (n=20 in the query).
inline constexpr int kSearchPageSize = 20;

// The address of one search page: every byte of the keyword's UTF-8 form escaped.
std::string SearchPageUrl(std::string_view keyword, int page);

// Fetches one page with a plain GET and parses it into document (its previous content is
// discarded). Returns the count of "listItem": below 1 when the request failed, the answer is
// not JSON or holds no items. Throws StopRequested only when the calling job is stopped.
long long fetchSearchPage(std::string_view keyword, int page, JsonDocument& document);

// The path of one member of the item at 1-based position k: listItem[k-1].member.
std::string SearchItemPath(long long k, std::string_view member);

}  // namespace quillet
