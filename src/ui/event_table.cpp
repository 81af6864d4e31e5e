#include "ui/event_table.h"

namespace quillet {

void EventTable::bind(std::string_view control, Event event, Routine handler) {
    for (auto& binding : bindings_) {
        if (binding.control == control && binding.event == event) {
            binding.handler = std::move(handler);
            return;
        }
    }
    bindings_.push_back({std::string(control), event, std::move(handler)});
}

const Routine* EventTable::find(std::string_view control, Event event) const {
    for (const auto& binding : bindings_) {
        if (binding.control == control && binding.event == event) {
            return &binding.handler;
        }
    }
    return nullptr;
}

}  // namespace quillet
