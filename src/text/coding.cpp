#include "text/coding.h"

#include <string>

#include "text/codepage.h"
#include "text/text_util.h"

namespace quillet {
namespace {

int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

const char kHexDigits[] = "0123456789ABCDEF";

// The marks unescapeUnicode uses while it works.
constexpr std::string_view kLineMark = "{$}";
constexpr std::string_view kApostropheMark = "\xE2\x80\x99";  // U+2019

// The body of a single-quoted script string literal with its backslash escapes resolved.
// Returns false where the literal would not compile.
bool readStringLiteral(std::u16string_view body, std::u16string& out) {
    out.clear();
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        char16_t c = body[i];
        if (c == u'\n' || c == u'\r') {
            return false;
        }
        if (c != u'\\') {
            out.push_back(c);
            continue;
        }
        if (++i == body.size()) {
            return false;  // the backslash would escape the closing quote
        }
        c = body[i];
        switch (c) {
            case u'n':
                out.push_back(u'\n');
                break;
            case u't':
                out.push_back(u'\t');
                break;
            case u'r':
                out.push_back(u'\r');
                break;
            case u'b':
                out.push_back(u'\b');
                break;
            case u'f':
                out.push_back(u'\f');
                break;
            case u'v':
                out.push_back(u'\v');
                break;
            case u'\n':
            case u'\r':
                return false;
            case u'x':
                if (i + 2 < body.size() && hexValue(body[i + 1]) >= 0 &&
                    hexValue(body[i + 2]) >= 0) {
                    out.push_back(
                        static_cast<char16_t>(hexValue(body[i + 1]) * 16 + hexValue(body[i + 2])));
                    i += 2;
                } else {
                    out.push_back(u'x');
                }
                break;
            default:
                if (c >= u'0' && c <= u'7') {
                    // Up to three octal digits, the value staying below 256.
                    int value = c - u'0';
                    std::size_t maxDigits = c <= u'3' ? 3 : 2;
                    std::size_t digits = 1;
                    while (digits < maxDigits && i + 1 < body.size() && body[i + 1] >= u'0' &&
                           body[i + 1] <= u'7') {
                        value = value * 8 + (body[++i] - u'0');
                        ++digits;
                    }
                    out.push_back(static_cast<char16_t>(value));
                } else {
                    out.push_back(c);
                }
        }
    }
    return true;
}

// The script unescape function: %uXXXX and %XX, any other "%" kept.
std::u16string scriptUnescape(std::u16string_view in) {
    std::u16string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        char16_t c = in[i];
        if (c == u'%') {
            if (i + 5 < in.size() && in[i + 1] == u'u' && hexValue(in[i + 2]) >= 0 &&
                hexValue(in[i + 3]) >= 0 && hexValue(in[i + 4]) >= 0 && hexValue(in[i + 5]) >= 0) {
                out.push_back(
                    static_cast<char16_t>((hexValue(in[i + 2]) << 12) | (hexValue(in[i + 3]) << 8) |
                                          (hexValue(in[i + 4]) << 4) | hexValue(in[i + 5])));
                i += 5;
                continue;
            }
            if (i + 2 < in.size() && hexValue(in[i + 1]) >= 0 && hexValue(in[i + 2]) >= 0) {
                out.push_back(
                    static_cast<char16_t>(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2])));
                i += 2;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace

std::string urlEncode(std::string_view text, bool keepUnreserved, bool utf8) {
    if (text.empty()) {
        return {};
    }
    std::string bytes = utf8 ? std::string(text) : utf8ToGbk(text);
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        bool keep = keepUnreserved && (ch == '-' || ch == '.' || (ch >= '0' && ch <= '9') ||
                                       (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'));
        if (keep) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHexDigits[b >> 4]);
            out.push_back(kHexDigits[b & 0x0F]);
        }
    }
    return out;
}

std::string urlDecode(std::string_view text, bool utf8) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            int value = hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]);
            if (value != 0) {
                bytes.push_back(static_cast<char>(value));
            }
            i += 2;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return utf8 ? sanitizeUtf8(bytes) : gbkToUtf8(bytes);
}

std::string unescapeUnicode(std::string_view text) {
    std::string prepared = replaceText(text, "\r\n", kLineMark);
    if (prepared.starts_with('\r')) {
        prepared.erase(0, 1);
    }
    prepared = replaceText(prepared, "\\u", "%u");
    prepared = replaceText(prepared, "'", kApostropheMark);

    std::u16string literal;
    std::string candidate;
    if (readStringLiteral(toWide(prepared, kCodePageUtf8), literal)) {
        candidate = fromWide(scriptUnescape(literal), kCodePageUtf8);
    }
    if (candidate.empty()) {
        candidate = utf16BytesToText(prepared);
    }
    candidate = replaceText(candidate, kApostropheMark, "'");
    return replaceText(candidate, kLineMark, "\r\n");
}

std::string utf16BytesToText(std::string_view bytes) {
    return fromWide(toWide(bytes, 1200), kCodePageUtf8);
}

std::string textAfterLast(std::string_view text, std::string_view marker, long long start,
                          bool ignoreCase) {
    if (marker.empty() || marker.size() > text.size()) {
        return {};
    }
    std::size_t limit = text.size();
    if (start > 0 && static_cast<unsigned long long>(start) < text.size()) {
        limit = static_cast<std::size_t>(start);
    }
    if (marker.size() > limit) {
        return {};
    }
    std::size_t pos = findLastText(text, marker, limit - marker.size(), ignoreCase);
    if (pos == kNotFound) {
        return {};
    }
    return std::string(text.substr(pos + marker.size()));
}

std::string padZeros(std::string_view text, long long width) {
    if (width <= 0 || static_cast<unsigned long long>(width) <= text.size()) {
        return std::string(text);
    }
    std::string out(static_cast<std::size_t>(width) - text.size(), '0');
    out.append(text);
    return out;
}

std::string replaceMany(std::string_view text, std::initializer_list<ReplacePair> pairs,
                        std::optional<long long> count, long long start, bool caseSensitive) {
    std::size_t from = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
    long long limit = count.has_value() ? (*count < 0 ? -1 : *count) : -1;
    std::string out(text);
    for (const ReplacePair& pair : pairs) {
        out = replaceText(out, pair.find, pair.with, from, !caseSensitive, limit);
    }
    return out;
}

}  // namespace quillet
