#include "text/text_util.h"

#include <algorithm>

namespace quillet {
namespace {

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalAt(std::string_view text, std::size_t pos, std::string_view needle, bool ignoreCase) {
    if (!ignoreCase) {
        return text.compare(pos, needle.size(), needle) == 0;
    }
    for (std::size_t i = 0; i < needle.size(); ++i) {
        if (foldAscii(text[pos + i]) != foldAscii(needle[i])) {
            return false;
        }
    }
    return true;
}

// A match must start on a character; a stray continuation byte after it (invalid text) does
// not undo it.
bool onBoundaries(std::string_view text, std::size_t pos, std::size_t /*len*/) {
    return pos >= text.size() || isCharStart(text[pos]);
}

}  // namespace

std::size_t findText(std::string_view text, std::string_view needle, std::size_t from,
                     bool ignoreCase) {
    if (from > text.size() || needle.size() > text.size() - from) {
        return kNotFound;
    }
    if (needle.empty()) {
        return from;
    }
    std::size_t last = text.size() - needle.size();
    if (!ignoreCase) {
        for (std::size_t pos = text.find(needle, from); pos != kNotFound;
             pos = text.find(needle, pos + 1)) {
            if (onBoundaries(text, pos, needle.size())) {
                return pos;
            }
        }
        return kNotFound;
    }
    char first = foldAscii(needle[0]);
    for (std::size_t pos = from; pos <= last; ++pos) {
        if (foldAscii(text[pos]) == first && equalAt(text, pos, needle, true) &&
            onBoundaries(text, pos, needle.size())) {
            return pos;
        }
    }
    return kNotFound;
}

std::size_t findLastText(std::string_view text, std::string_view needle,
                         std::size_t startAtOrBefore, bool ignoreCase) {
    if (needle.size() > text.size()) {
        return kNotFound;
    }
    std::size_t pos = std::min(startAtOrBefore, text.size() - needle.size());
    while (true) {
        if (equalAt(text, pos, needle, ignoreCase) && onBoundaries(text, pos, needle.size())) {
            return pos;
        }
        if (pos == 0) {
            return kNotFound;
        }
        --pos;
    }
}

std::string replaceText(std::string_view text, std::string_view find, std::string_view with,
                        std::size_t from, bool ignoreCase, long long limit) {
    if (find.empty() || limit == 0 || from >= text.size()) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    long long done = 0;
    for (std::size_t pos = findText(text, find, from, ignoreCase); pos != kNotFound;
         pos = findText(text, find, pos, ignoreCase)) {
        out.append(text.substr(copied, pos - copied));
        out.append(with);
        pos += find.size();
        copied = pos;
        if (limit > 0 && ++done >= limit) {
            break;
        }
    }
    out.append(text.substr(copied));
    return out;
}

std::string resolveQuoteMarker(std::string_view text) {
    return replaceText(text, kQuoteMarker, "\"");
}

std::string_view trimBlanks(std::string_view text) {
    while (true) {
        if (text.starts_with(' ')) {
            text.remove_prefix(1);
        } else if (text.starts_with(kFullWidthSpace)) {
            text.remove_prefix(kFullWidthSpace.size());
        } else {
            break;
        }
    }
    while (true) {
        if (text.ends_with(' ')) {
            text.remove_suffix(1);
        } else if (text.ends_with(kFullWidthSpace)) {
            text.remove_suffix(kFullWidthSpace.size());
        } else {
            break;
        }
    }
    return text;
}

std::string removeBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
        } else if (text.substr(i).starts_with(kFullWidthSpace)) {
            i += kFullWidthSpace.size();
        } else {
            out.push_back(text[i++]);
        }
    }
    return out;
}

std::vector<std::string_view> splitText(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> items;
    if (text.empty()) {
        return items;
    }
    if (separator.empty()) {
        items.push_back(text);
        return items;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t pos = findText(text, separator, start);
        if (pos == kNotFound) {
            items.push_back(text.substr(start));
            break;
        }
        items.push_back(text.substr(start, pos - start));
        start = pos + separator.size();
    }
    return items;
}

}  // namespace quillet
