#pragma once
// Binds each (control, event) to the handler it runs. Handlers of later features register here;
// a handler that is not built yet is simply not bound.

#include <string>
#include <string_view>
#include <vector>

#include "ui/ui.h"

namespace quillet {

enum class Event {
    Created,        // a window (control = window name) has been created
    Clicked,        // button
    RightClicked,   // list view, on a row or on empty space
    DoubleClicked,  // list view
    Chosen,         // a menu item (control = item caption) or a combo entry
};

class EventTable {
public:
    void bind(std::string_view control, Event event, Routine handler);
    // The bound handler, or nullptr.
    const Routine* find(std::string_view control, Event event) const;
    bool bound(std::string_view control, Event event) const { return find(control, event); }

private:
    struct Binding {
        std::string control;
        Event event;
        Routine handler;
    };
    std::vector<Binding> bindings_;
};

}  // namespace quillet
