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
    static constexpr std::size_t kUnset = static_cast<std::size_t>(-1);

    // Byte offsets: for each match, begin and end of the whole match and of each group
    // (kUnset for a group that took no part), (groups_ + 1) * 2 values per match.
    std::size_t begin(std::size_t match, std::size_t group) const {
        return offsets_[(match * (groups_ + 1) + group) * 2];
    }
    std::size_t end(std::size_t match, std::size_t group) const {
        return offsets_[(match * (groups_ + 1) + group) * 2 + 1];
    }

    std::string pattern_;
    std::string subject_;
    std::vector<std::size_t> offsets_;
    std::size_t groups_ = 0;
    std::size_t count_ = 0;
    bool valid_ = false;
};

}  // namespace quillet
