#pragma once
// The four-week rank grid and the curve chart drawn from it.

#include <string>

#include "ui/event_table.h"

namespace quillet {

// The grid box of week 1..4 and day 1..7 (Monday to Sunday).
std::string GridBox(int week, int day);

// A period chosen in the combo box: empties all 28 boxes, shows the chosen weeks' rows.
void ChoosePeriod(Ui& ui);
// Draws the chosen weeks as curves; nothing happens when no period is chosen.
void DrawRankChart(Ui& ui);
void AnnounceCloudAnalysis(Ui& ui);

void BindRankChartHandlers(EventTable& events);

}  // namespace quillet
