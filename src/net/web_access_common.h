#pragma once
// Pieces the three request operations share.

#include <string>
#include <string_view>

namespace quillet::net {

// The verb of a method number; numbers outside 0..7 mean GET.
std::string_view VerbOf(int method);

// Whether needle occurs in text; ASCII letter case ignored when asked.
bool ContainsText(std::string_view text, std::string_view needle, bool ignoreCase);

}  // namespace quillet::net
