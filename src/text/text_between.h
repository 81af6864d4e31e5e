#pragma once
// Cutting texts out of pages and answers by markers. Positions are 1-based byte positions of
// the UTF-8 text; a marker never matches inside a character.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The text between the first `before` at or after `start` and the next `after`; empty when
// either is missing. "#引号" in a marker stands for a double quote. Letter case (ASCII) is
// ignored when ignoreCase is set.
std::string TextBetween(std::string_view text, std::string_view before, std::string_view after,
                        long long start = 1, bool ignoreCase = false);

// Every blank-trimmed, non-empty text between a `left` and the next `right`, markers found
// regardless of ASCII letter case. processPendingEvents runs three times after each marker
// pair (the UI's stop check inside jobs). An empty left marker finds nothing.
std::vector<std::string> CollectBetween(std::string_view source, std::string_view left,
                                        std::string_view right,
                                        const std::function<void()>& processPendingEvents = {});

// The text before the first occurrence of marker (case-sensitive); empty when it is missing.
std::string TextLeftOf(std::string_view text, std::string_view marker);

}  // namespace quillet
