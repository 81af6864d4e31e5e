#include "text/cookies.h"

#include <unordered_set>
#include <vector>

#include "text/text_util.h"

namespace quillet {

std::string CookieName(std::string_view item) {
    std::size_t eq = item.find('=');
    return std::string(trimBlanks(eq == std::string_view::npos ? item : item.substr(0, eq)));
}

std::string DropRepeatedItems(std::string_view text, std::string_view separator) {
    std::unordered_set<std::string_view> seen;
    std::string out;
    for (std::string_view piece : splitText(text, separator)) {
        if (seen.insert(piece).second) {
            out.append(piece);
            out.append(separator);
        }
    }
    if (!out.empty()) {
        out.resize(out.size() - separator.size());
    }
    return out;
}

std::string MergeCookieTexts(std::string& oldCookies, std::string& newCookies) {
    oldCookies = removeBlanks(oldCookies);
    newCookies = removeBlanks(newCookies);

    std::vector<std::string_view> result = splitText(newCookies, ";");
    std::unordered_set<std::string> names;
    for (std::string_view item : result) {
        names.insert(CookieName(item));
    }
    for (std::string_view item : splitText(oldCookies, ";")) {
        if (names.insert(CookieName(item)).second) {
            result.push_back(item);
        }
    }

    std::string text;
    for (std::string_view item : result) {
        if (item.size() >= 8 && item.ends_with("=deleted")) {
            continue;
        }
        text.append(item);
        text.append("; ");
    }
    if (!text.empty()) {
        text.resize(text.size() - 2);
    }
    std::string merged = DropRepeatedItems(text, "; ");
    oldCookies = merged;
    return merged;
}

}  // namespace quillet
