#include "suggest/handlers.h"

#include "suggest/suggest.h"

namespace quillet {

void BindSuggestHandlers(EventTable& events) {
    events.bind(kSuggestButton, Event::Clicked, KeywordSearch);
}

}  // namespace quillet
