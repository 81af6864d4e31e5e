#pragma once
// Cookie texts as the request operations carry them: "name=value" items separated by ";".

#include <string>
#include <string_view>

namespace quillet {

// The part of an item before its first "=", trimmed of blanks; the whole trimmed item when it
// has no "=".
std::string CookieName(std::string_view item);

// The text split at separator with every item that repeats an earlier one exactly removed.
std::string DropRepeatedItems(std::string_view text, std::string_view separator);

// Combines the cookies the caller sent with those the server set: the server's items first (in
// its order), then old items whose name it did not mention; "=deleted" items and exact repeats
// are dropped. Both arguments lose all blanks; oldCookies receives the result as well.
std::string MergeCookieTexts(std::string& oldCookies, std::string& newCookies);

}  // namespace quillet
