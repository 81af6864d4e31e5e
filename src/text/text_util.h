#pragma once
// Small byte-level helpers shared by the text functions. Texts are UTF-8; positions are byte
// offsets from 0 here (the public helpers that take 1-based positions convert at their edge).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// The quote marker "#引号" that callers write in place of a double quote.
inline constexpr std::string_view kQuoteMarker = "#\xE5\xBC\x95\xE5\x8F\xB7";
// The full-width space U+3000, one of the two blanks.
inline constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";

// Finds needle in text from byte offset `from`. ASCII letters match regardless of case when
// ignoreCase is set; a match never starts inside a multi-byte character.
std::size_t findText(std::string_view text, std::string_view needle, std::size_t from = 0,
                     bool ignoreCase = false);

// Finds the last match that starts at or before `startAtOrBefore` (npos: anywhere).
std::size_t findLastText(std::string_view text, std::string_view needle,
                         std::size_t startAtOrBefore = kNotFound, bool ignoreCase = false);

// Replaces every occurrence (at most `limit` of them, if limit >= 0) from byte offset `from` on.
std::string replaceText(std::string_view text, std::string_view find, std::string_view with,
                        std::size_t from = 0, bool ignoreCase = false, long long limit = -1);

// Replaces every quote marker by a double quote.
std::string resolveQuoteMarker(std::string_view text);

// Blanks are the ASCII space and U+3000.
std::string_view trimBlanks(std::string_view text);
std::string removeBlanks(std::string_view text);

// Splits at separator: an empty text gives no items, a separator at the very end gives no empty
// last item, two adjacent separators give an empty item. An empty separator gives the text whole.
std::vector<std::string_view> splitText(std::string_view text, std::string_view separator);

// True when the byte starts a character (is not a UTF-8 continuation byte).
inline bool isCharStart(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

}  // namespace quillet
