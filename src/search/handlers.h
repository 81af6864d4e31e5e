#pragma once
// The search tab handlers: the ranking list (获取), the paid-placement list (获取1) and the two
// rank finders (获取2, 获取3).

#include "ui/event_table.h"
#include "ui/ui.h"

namespace quillet {

// Requests the two result lists keep in flight at once.
inline constexpr int kListPagesInFlight = 4;
// Pages the two rank finders scan at most.
inline constexpr int kRankFinderPages = 10;
inline constexpr int kPaidRankFinderPages = 20;

// Clicked handlers, as bound by BindSearchHandlers.
void RankingListHandler(Ui& ui);
void PaidPlacementListHandler(Ui& ui);
void RankFinderHandler(Ui& ui);
void PaidRankFinderHandler(Ui& ui);

// The two lists with a chosen number of requests in flight (1: one page after the other);
// the handlers use kListPagesInFlight.
void FillRankingList(Ui& ui, int pagesInFlight);
void FillPaidPlacementList(Ui& ui, int pagesInFlight);

void BindSearchHandlers(EventTable& events);

}  // namespace quillet
