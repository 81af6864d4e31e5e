#pragma once
// Right clicks on the five result lists and the items of their pop-up menus.

#include <string>
#include <string_view>

#include "ui/event_table.h"

namespace quillet {

// The marketplace's item page for an item ID, the ID appended unchanged.
std::string ItemPageAddress(std::string_view itemId);

void BindContextMenus(EventTable& events);

}  // namespace quillet
