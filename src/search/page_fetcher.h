#pragma once
// Walks the search pages of a keyword in page order, fetching ahead when asked to.

#include <functional>
#include <string_view>

#include "text/json_document.h"

namespace quillet {

// Called for each page in page order on the calling thread, with the page's parsed document
// and its item count (below 1: nothing to read). Returning false ends the walk.
using SearchPageVisitor =
    std::function<bool(int page, const JsonDocument& document, long long count)>;

// Hands pages 1 to pageCount of the keyword to visit, strictly in page order.
//
// pagesInFlight 1 fetches one page after the other on the calling thread, so no page after the
// one where visit returned false is ever requested. A larger value fetches with that many
// requests at once on helper threads (at most twice as many pages kept waiting), which the
// visitor does not notice beyond the speed; requests already in flight when visit returns false
// are still completed. The helpers carry the calling job's stop flag, and all of them have
// ended before this returns, also when it unwinds with StopRequested.
void ForEachSearchPage(std::string_view keyword, int pageCount, int pagesInFlight,
                       const SearchPageVisitor& visit);

}  // namespace quillet
