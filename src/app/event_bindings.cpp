#include "app/event_bindings.h"

#include "app/context_menus.h"
#include "app/version_check.h"
#include "chart/rank_chart.h"

namespace quillet {

EventTable BuildEventTable() {
    EventTable events;
    events.bind("MainWindow", Event::Created, CheckVersionAtStart);
    BindContextMenus(events);
    BindRankChartHandlers(events);
    return events;
}

}  // namespace quillet
