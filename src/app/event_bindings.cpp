#include "app/event_bindings.h"

#include "app/context_menus.h"
#include "app/version_check.h"
#include "chart/rank_chart.h"
#include "search/handlers.h"
#include "suggest/handlers.h"

namespace quillet {

EventTable BuildEventTable() {
    EventTable events;
    events.bind("MainWindow", Event::Created, CheckVersionAtStart);
    BindContextMenus(events);
    BindRankChartHandlers(events);
    BindSearchHandlers(events);
    BindSuggestHandlers(events);
    return events;
}

}  // namespace quillet
