#include "app/event_bindings.h"

#include "app/context_menus.h"

namespace quillet {

EventTable BuildEventTable() {
    EventTable events;
    BindContextMenus(events);
    return events;
}

}  // namespace quillet
