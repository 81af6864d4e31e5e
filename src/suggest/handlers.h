#pragma once
// Binds the keyword suggestion page's handlers into the window's event table.

#include "ui/event_table.h"

namespace quillet {

void BindSuggestHandlers(EventTable& events);

}  // namespace quillet
