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

constexpr std::size_t kUnset = static_cast<std::size_t>(-1);

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
    matches_.clear();
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

    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject_.data());
    std::size_t offset = 0;
    while (offset <= subject_.size()) {
        int rc =
            pcre2_match(code.get(), text, subject_.size(), offset, 0, data.get(), context.get());
        if (rc == PCRE2_ERROR_NOMATCH) {
            break;
        }
        if (rc < 0) {
            matches_.clear();  // a limit or another failure: no collection
            return false;
        }
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        Match m;
        m.begin.resize(groups + 1, kUnset);
        m.end.resize(groups + 1, kUnset);
        for (uint32_t g = 0; g <= groups && g < static_cast<uint32_t>(rc); ++g) {
            if (ovector[2 * g] != PCRE2_UNSET) {
                m.begin[g] = ovector[2 * g];
                m.end[g] = ovector[2 * g + 1];
            }
        }
        std::size_t matchBegin = m.begin[0];
        std::size_t matchEnd = m.end[0];
        matches_.push_back(std::move(m));
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
    return static_cast<long long>(matches_.size());
}

std::string RegexMatcher::matchText(long long match) const {
    return subMatch(match, 0);
}

std::string RegexMatcher::subMatch(long long match, long long group) const {
    if (match < 1 || match > matchCount() || group < 0) {
        return {};
    }
    const Match& m = matches_[static_cast<std::size_t>(match - 1)];
    if (static_cast<std::size_t>(group) >= m.begin.size() ||
        m.begin[static_cast<std::size_t>(group)] == kUnset) {
        return {};
    }
    std::size_t b = m.begin[static_cast<std::size_t>(group)];
    std::size_t e = m.end[static_cast<std::size_t>(group)];
    return subject_.substr(b, e - b);
}

long long RegexMatcher::subMatchCount() const {
    if (matches_.empty()) {
        return 0;
    }
    return static_cast<long long>(matches_.front().begin.size()) - 1;
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
    for (const Match& m : matches_) {
        std::size_t groups = m.begin.size() - 1;
        out.append(subject_, copied, m.begin[0] - copied);
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
                out.append(subject_, m.begin[0], m.end[0] - m.begin[0]);
                ++i;
            } else if (d == '`') {
                out.append(subject_, 0, m.begin[0]);
                ++i;
            } else if (d == '\'') {
                out.append(subject_, m.end[0]);
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
                    if (m.begin[n] != kUnset) {
                        out.append(subject_, m.begin[n], m.end[n] - m.begin[n]);
                    }
                    i += used;
                } else {
                    out.push_back(c);
                }
            } else {
                out.push_back(c);
            }
        }
        copied = m.end[0];
    }
    out.append(subject_, copied);
    return out;
}

}  // namespace quillet
