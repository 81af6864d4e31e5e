#include "text/read_int.h"

#include <limits>

namespace quillet {
namespace {

// The next character folded to ASCII where it has a full-width form; 0 for anything else.
// `len` receives the number of bytes it spans.
char foldedAt(std::string_view text, std::size_t pos, std::size_t& len) {
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[pos + k]); };
    if (b(0) < 0x80) {
        len = 1;
        return text[pos];
    }
    if (pos + 3 > text.size()) {
        return 0;
    }
    len = 3;
    if (b(0) == 0xE3 && b(1) == 0x80 && b(2) == 0x80) {
        return ' ';  // U+3000
    }
    if (b(0) == 0xEF && b(1) == 0xBC) {
        if (b(2) >= 0x90 && b(2) <= 0x99) {
            return static_cast<char>('0' + (b(2) - 0x90));  // U+FF10..U+FF19
        }
        if (b(2) == 0x8B) {
            return '+';  // U+FF0B
        }
        if (b(2) == 0x8D) {
            return '-';  // U+FF0D
        }
    }
    return 0;
}

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

long long ReadInt(std::string_view text) {
    std::size_t pos = 0;
    std::size_t len = 0;
    char c = 0;
    while (pos < text.size() && isSpace(c = foldedAt(text, pos, len))) {
        pos += len;
    }
    if (pos >= text.size()) {
        return 0;
    }
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        pos += len;
    }
    constexpr long long kMax = std::numeric_limits<long long>::max();
    long long value = 0;
    bool saturated = false;
    while (pos < text.size()) {
        c = foldedAt(text, pos, len);
        if (c < '0' || c > '9') {
            break;
        }
        int digit = c - '0';
        if (value > (kMax - digit) / 10) {
            saturated = true;
        } else {
            value = value * 10 + digit;
        }
        pos += len;
    }
    if (saturated) {
        return negative ? std::numeric_limits<long long>::min() : kMax;
    }
    return negative ? -value : value;
}

}  // namespace quillet
