#pragma once
// The program's event table: every built handler, bound to its control and event.

#include "ui/event_table.h"

namespace quillet {

EventTable BuildEventTable();

}  // namespace quillet
