#pragma once
// One regular expression run over one text, keeping its matches. ECMAScript syntax and
// semantics over PCRE2: \w and \d are ASCII, \s includes the Unicode spaces, "." matches no
// line terminator (LF, CR, U+2028, U+2029), case folding covers non-ASCII letters. A match
// limit turns a pathological pattern and subject into a failed execute instead of a hang.

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

class RegexMatcher {
public:
    // Runs pattern over subject, replacing what an earlier call kept. Matching ignores case
    // unless caseSensitive; multiline lets ^ and $ match at line breaks; global keeps every
    // non-overlapping match, otherwise the first only. quoteMarker reads "#引号" in the pattern
    // as a double quote. False for an invalid pattern or when the match limit is reached.
    bool execute(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
                 bool multiline = true, bool global = true, bool quoteMarker = false);

    long long matchCount() const;
    // 1-based; out of range gives the empty text.
    std::string matchText(long long match) const;
    // Group `group` (1-based) of match `match` (1-based); a group that took no part is empty.
    std::string subMatch(long long match, long long group) const;
    // Capture groups of the first match; 0 without a match.
    long long subMatchCount() const;
    // The pattern of the last execute (after the quote marker); empty before any.
    std::string pattern() const;
    // The subject with every kept match replaced; $1..$99, $&, $`, $' and $$ are expanded.
    std::string replace(std::string_view replacement) const;

private:
    struct Match {
        // Byte offsets of the whole match and each group; npos for a group that took no part.
        std::vector<std::size_t> begin;
        std::vector<std::size_t> end;
    };

    std::string pattern_;
    std::string subject_;
    std::vector<Match> matches_;
    bool valid_ = false;
};

}  // namespace quillet
