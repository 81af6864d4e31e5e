#include "text/text_between.h"

#include "text/text_util.h"

namespace quillet {

std::string TextBetween(std::string_view text, std::string_view before, std::string_view after,
                        long long start, bool ignoreCase) {
    std::string left = resolveQuoteMarker(before);
    std::string right = resolveQuoteMarker(after);
    if (start < 1) {
        start = 1;
    }
    if (static_cast<unsigned long long>(start - 1) > text.size()) {
        return {};
    }
    std::size_t found = findText(text, left, static_cast<std::size_t>(start - 1), ignoreCase);
    if (found == kNotFound) {
        return {};
    }
    std::size_t from = found + left.size();
    std::size_t end = findText(text, right, from, ignoreCase);
    if (end == kNotFound) {
        return {};
    }
    return std::string(text.substr(from, end - from));
}

std::vector<std::string> CollectBetween(std::string_view source, std::string_view left,
                                        std::string_view right,
                                        const std::function<void()>& processPendingEvents) {
    std::vector<std::string> segments;
    // With an empty left marker an empty segment would leave the scan where it was, forever.
    if (left.empty()) {
        return segments;
    }
    std::size_t scan = 0;
    while (true) {
        std::size_t found = findText(source, left, scan, true);
        if (found == kNotFound) {
            break;
        }
        std::size_t start = found + left.size();
        std::size_t end = findText(source, right, start, true);
        if (end == kNotFound) {
            break;
        }
        std::string_view segment = trimBlanks(source.substr(start, end - start));
        if (!segment.empty()) {
            segments.emplace_back(segment);
            scan = end;
        } else {
            scan = start;
        }
        if (processPendingEvents) {
            for (int i = 0; i < 3; ++i) {
                processPendingEvents();
            }
        }
    }
    return segments;
}

std::string TextLeftOf(std::string_view text, std::string_view marker) {
    std::size_t pos = findText(text, marker);
    if (pos == kNotFound) {
        return {};
    }
    return std::string(text.substr(0, pos));
}

}  // namespace quillet
