#include "text/regex_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>

#include "text/text_util.h"

namespace quillet {
namespace {

// Enough for the system's patterns over megabyte pages, small enough to fail in milliseconds.
constexpr uint32_t kMatchLimit = 2'000'000;
constexpr uint32_t kDepthLimit = 100'000;

// The ECMAScript white space and line terminators, as class items.
// The ECMAScript white space and line terminators, as class items (PCRE2_ALT_BSUX reads
// \uhhhh as script engines do).
constexpr std::string_view kSpaceItems =
    "\\t\\n\\x0b\\f\\r \\u00a0\\u1680\\u2000-\\u200a\\u2028\\u2029\\u202f"
    "\\u205f\\u3000\\ufeff";

bool isAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Rewrites the places where PCRE2's reading of a pattern differs from ECMAScript's.
std::string translatePattern(std::string_view p) {
    std::string out;
    out.reserve(p.size() + 32);
    bool inClass = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        char c = p[i];
        if (c == '\\' && i + 1 < p.size()) {
            char d = p[++i];
            if (d == 's') {
                out += inClass ? std::string(kSpaceItems) : "[" + std::string(kSpaceItems) + "]";
            } else if (d == 'S' && !inClass) {
                out += "[^" + std::string(kSpaceItems) + "]";
            } else if (d == 'v') {
                out += "\\x0b";  // PCRE2's \v is a class of vertical spaces
            } else if (isAsciiAlnum(d) && std::string_view("bBdDwWsSfnrtxuc0123456789").find(d) ==
                                              std::string_view::npos) {
                out.push_back(d);  // an identity escape: the letter itself
            } else {
                out.push_back('\\');
                out.push_back(d);
            }
            continue;
        }
        if (inClass) {
            if (c == ']') {
                inClass = false;
            }
            out.push_back(c);
        } else if (c == '[') {
            inClass = true;
            out.push_back(c);
            if (i + 1 < p.size() && p[i + 1] == '^') {
                out.push_back(p[++i]);
            }
        } else if (c == '.') {
            out += "[^\\n\\r\\u2028\\u2029]";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

struct CodeDeleter {
    void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct ContextDeleter {
    void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct JitStackDeleter {
    void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

pcre2_jit_stack* threadJitStack() {
    thread_local std::unique_ptr<pcre2_jit_stack, JitStackDeleter> stack(
        pcre2_jit_stack_create(64 * 1024, 4 * 1024 * 1024, nullptr));
    return stack.get();
}

// Length of the UTF-8 character at pos (1 for an invalid byte).
std::size_t charLength(std::string_view s, std::size_t pos) {
    std::size_t len = 1;
    while (pos + len < s.size() && !isCharStart(s[pos + len])) {
        ++len;
    }
    return len;
}

}  // namespace

bool RegexMatcher::execute(std::string_view pattern, std::string_view subject, bool caseSensitive,
                           bool multiline, bool global, bool quoteMarker) {
    offsets_.clear();
    groups_ = 0;
    count_ = 0;
    valid_ = false;
    pattern_ = quoteMarker ? resolveQuoteMarker(pattern) : std::string(pattern);
    subject_ = std::string(subject);

    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX |
                       PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
    if (!caseSensitive) {
        options |= PCRE2_CASELESS;
    }
    if (multiline) {
        options |= PCRE2_MULTILINE;
    }
    std::string translated = translatePattern(pattern_);
    std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> compileContext(
        pcre2_compile_context_create(nullptr), &pcre2_compile_context_free);
    if (!compileContext) {
        return false;
    }
    pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_ANYCRLF);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    std::unique_ptr<pcre2_code, CodeDeleter> code(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(), options,
                      &errorCode, &errorOffset, compileContext.get()));
    if (!code) {
        return false;
    }
    pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);

    std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr));
    std::unique_ptr<pcre2_match_context, ContextDeleter> context(
        pcre2_match_context_create(nullptr));
    if (!data || !context) {
        return false;
    }
    pcre2_set_match_limit(context.get(), kMatchLimit);
    pcre2_set_depth_limit(context.get(), kDepthLimit);
    if (pcre2_jit_stack* stack = threadJitStack()) {
        pcre2_jit_stack_assign(context.get(), nullptr, stack);
    }

    uint32_t groups = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
    groups_ = groups;

    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject_.data());
    std::size_t offset = 0;
    while (offset <= subject_.size()) {
        int rc =
            pcre2_match(code.get(), text, subject_.size(), offset, 0, data.get(), context.get());
        if (rc == PCRE2_ERROR_NOMATCH) {
            break;
        }
        if (rc < 0) {
            offsets_.clear();  // a limit or another failure: no collection
            count_ = 0;
            return false;
        }
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        for (uint32_t g = 0; g <= groups; ++g) {
            bool set = g < static_cast<uint32_t>(rc) && ovector[2 * g] != PCRE2_UNSET;
            offsets_.push_back(set ? ovector[2 * g] : kUnset);
            offsets_.push_back(set ? ovector[2 * g + 1] : kUnset);
        }
        ++count_;
        std::size_t matchBegin = ovector[0];
        std::size_t matchEnd = ovector[1];
        if (!global) {
            break;
        }
        // After an empty match the search goes on one character further, as script engines do.
        offset = matchEnd;
        if (matchEnd == matchBegin) {
            if (matchEnd >= subject_.size()) {
                break;
            }
            offset += charLength(subject_, matchEnd);
        }
    }
    valid_ = true;
    return true;
}

long long RegexMatcher::matchCount() const {
    return static_cast<long long>(count_);
}

std::string RegexMatcher::matchText(long long match) const {
    return subMatch(match, 0);
}

std::string RegexMatcher::subMatch(long long match, long long group) const {
    if (match < 1 || match > matchCount() || group < 0) {
        return {};
    }
    auto n = static_cast<std::size_t>(match - 1);
    auto g = static_cast<std::size_t>(group);
    if (g > groups_ || begin(n, g) == kUnset) {
        return {};
    }
    return subject_.substr(begin(n, g), end(n, g) - begin(n, g));
}

long long RegexMatcher::subMatchCount() const {
    return count_ == 0 ? 0 : static_cast<long long>(groups_);
}

std::string RegexMatcher::pattern() const {
    return pattern_;
}

std::string RegexMatcher::replace(std::string_view replacement) const {
    if (!valid_) {
        return {};
    }
    std::string out;
    std::size_t copied = 0;
    const std::size_t groups = groups_;
    for (std::size_t k = 0; k < count_; ++k) {
        const std::size_t matchBegin = begin(k, 0);
        const std::size_t matchEnd = end(k, 0);
        out.append(subject_, copied, matchBegin - copied);
        for (std::size_t i = 0; i < replacement.size(); ++i) {
            char c = replacement[i];
            if (c != '$' || i + 1 >= replacement.size()) {
                out.push_back(c);
                continue;
            }
            char d = replacement[i + 1];
            if (d == '$') {
                out.push_back('$');
                ++i;
            } else if (d == '&') {
                out.append(subject_, matchBegin, matchEnd - matchBegin);
                ++i;
            } else if (d == '`') {
                out.append(subject_, 0, matchBegin);
                ++i;
            } else if (d == '\'') {
                out.append(subject_, matchEnd);
                ++i;
            } else if (d >= '0' && d <= '9') {
                std::size_t n = static_cast<std::size_t>(d - '0');
                std::size_t used = 1;
                if (i + 2 < replacement.size() && replacement[i + 2] >= '0' &&
                    replacement[i + 2] <= '9') {
                    std::size_t nn = n * 10 + static_cast<std::size_t>(replacement[i + 2] - '0');
                    if (nn >= 1 && nn <= groups) {
                        n = nn;
                        used = 2;
                    }
                }
                if (n >= 1 && n <= groups) {
                    if (begin(k, n) != kUnset) {
                        out.append(subject_, begin(k, n), end(k, n) - begin(k, n));
                    }
                    i += used;
                } else {
                    out.push_back(c);
                }
            } else {
                out.push_back(c);
            }
        }
        copied = matchEnd;
    }
    out.append(subject_, copied);
    return out;
}

}  // namespace quillet
