#pragma once
// URL coding and the small text utilities every feature uses. Texts are UTF-8; where a byte
// form in GBK is meant (urlEncode with utf8 false) the conversion happens here.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace quillet {

// Percent-encodes the UTF-8 bytes (utf8 true) or the GBK bytes (utf8 false, unmappable
// characters become "?") of text. keepUnreserved keeps "-", ".", digits and ASCII letters;
// every other byte becomes "%" and two upper-case hex digits (a space is %20).
std::string urlEncode(std::string_view text, bool keepUnreserved, bool utf8);

// Resolves %XX escapes (either letter case); "+" stays. A "%" without two hex digits after it
// is kept as it is, and %00 adds nothing. utf8 true: the bytes are UTF-8, invalid sequences
// become U+FFFD; utf8 false: the bytes are GBK and are converted to UTF-8.
std::string urlDecode(std::string_view text, bool utf8);

// Reads the text as a single-quoted script string literal, then resolves %uXXXX and %XX
// escapes as the script unescape function does (\uXXXX escapes count as %uXXXX). CR LF,
// apostrophes, "{$}" and U+2019 are carried through as marks: "{$}" comes out as CR LF and
// U+2019 as an apostrophe. A text that is no valid literal (a lone CR or LF, an odd number of
// trailing backslashes) comes out as utf16BytesToText of its prepared form. Never evaluates
// anything.
std::string unescapeUnicode(std::string_view text);

// Reads bytes as UTF-16LE code units, low byte first. A stray last byte and unpaired
// surrogates become U+FFFD.
std::string utf16BytesToText(std::string_view bytes);

// The text after the last occurrence of marker that ends at or before `start` (1-based, 0 or
// omitted: the end); empty when there is none or the marker is empty.
std::string textAfterLast(std::string_view text, std::string_view marker, long long start = 0,
                          bool ignoreCase = false);

// The text left-padded with "0" to width bytes; a longer text comes back unchanged.
std::string padZeros(std::string_view text, long long width);

struct ReplacePair {
    std::string_view find;
    std::string_view with;
};

// Applies each pair in turn to the result of the previous one: every occurrence from byte
// position start (1-based; 0 means 1) on, or only the first `count` when given, is replaced.
// A pair with an empty find text changes nothing. Letter case (ASCII) is ignored unless
// caseSensitive.
std::string replaceMany(std::string_view text, std::initializer_list<ReplacePair> pairs,
                        std::optional<long long> count = std::nullopt, long long start = 1,
                        bool caseSensitive = false);

}  // namespace quillet
