#include "text/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>
#include <string>

#include "text/text_util.h"

namespace quillet {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// Page charsets that name GBK's subset or older aliases all decode as GBK, which maps 0x80 to
// the euro sign as code page 936 does.
std::string icuName(std::string_view charset) {
    std::string name = lowerAscii(charset);
    if (name == "gbk" || name == "gb2312" || name == "gb_2312-80" || name == "x-gbk" ||
        name == "cp936" || name == "936" || name == "euc-cn") {
        return "GBK";
    }
    return name;
}

std::string codePageName(int codePage) {
    switch (codePage) {
        case kCodePageAnsi:
        case kCodePageUtf8:
            return "UTF-8";
        case kCodePageGbk:
            return "GBK";
        case 1200:
            return "UTF-16LE";
        case 1201:
            return "UTF-16BE";
        default:
            return "windows-" + std::to_string(codePage);
    }
}

Converter openConverter(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    Converter conv(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    return conv;
}

// Invalid input becomes U+FFFD (ICU's MBCS converters would otherwise give U+001A for some).
void toUCallback(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                 UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) {
        return;
    }
    *err = U_ZERO_ERROR;
    const UChar replacement = 0xFFFD;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, err);
}

bool toUnicode(std::string_view bytes, const std::string& name, std::u16string& out) {
    Converter conv = openConverter(name);
    if (!conv) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(conv.get(), toUCallback, nullptr, nullptr, nullptr, &status);
    out.assign(bytes.size() + 1, u'\0');
    status = U_ZERO_ERROR;
    int32_t len = ucnv_toUChars(conv.get(), reinterpret_cast<UChar*>(out.data()),
                                static_cast<int32_t>(out.size()), bytes.data(),
                                static_cast<int32_t>(bytes.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.assign(static_cast<std::size_t>(len) + 1, u'\0');
        status = U_ZERO_ERROR;
        len = ucnv_toUChars(conv.get(), reinterpret_cast<UChar*>(out.data()),
                            static_cast<int32_t>(out.size()), bytes.data(),
                            static_cast<int32_t>(bytes.size()), &status);
    }
    if (U_FAILURE(status)) {
        out.clear();
        return false;
    }
    out.resize(static_cast<std::size_t>(len));
    return true;
}

std::string fromUnicode(std::u16string_view wide, const std::string& name) {
    Converter conv = openConverter(name);
    if (!conv) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    if (name == "UTF-8") {
        // An unpaired surrogate is invalid input, not an unmappable character.
        ucnv_setSubstString(conv.get(), u"\uFFFD", 1, &status);
    } else {
        ucnv_setSubstChars(conv.get(), "?", 1, &status);
    }
    status = U_ZERO_ERROR;
    std::string out(wide.size() * 3 + 4, '\0');  // UTF-8 needs at most 3 bytes a unit
    int32_t len = ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()),
                                  reinterpret_cast<const UChar*>(wide.data()),
                                  static_cast<int32_t>(wide.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.assign(static_cast<std::size_t>(len) + 1, '\0');
        status = U_ZERO_ERROR;
        len = ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(wide.data()),
                              static_cast<int32_t>(wide.size()), &status);
    }
    if (U_FAILURE(status)) {
        return {};
    }
    out.resize(static_cast<std::size_t>(len));
    return out;
}

// The charset parameter of a Content-Type value, without quotes.
std::string_view contentTypeCharset(std::string_view contentType) {
    std::size_t pos = findText(contentType, "charset=", 0, true);
    if (pos == kNotFound) {
        return {};
    }
    std::string_view rest = contentType.substr(pos + 8);
    if (rest.starts_with('"') || rest.starts_with('\'')) {
        rest.remove_prefix(1);
    }
    std::size_t end = 0;
    while (end < rest.size() && rest[end] != ';' && rest[end] != '"' && rest[end] != '\'' &&
           rest[end] != ' ' && rest[end] != '\t') {
        ++end;
    }
    return rest.substr(0, end);
}

bool isWordByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// The first match of <meta.+?charset=[^\w]?([-\w]+) (case-insensitive, "." not crossing a line
// break), group 1. Hand-written so that the code-page layer needs no regex engine.
std::string_view metaCharset(std::string_view head) {
    for (std::size_t meta = findText(head, "<meta", 0, true); meta != kNotFound;
         meta = findText(head, "<meta", meta + 1, true)) {
        std::size_t from = meta + 5;
        // At least one character between "<meta" and "charset=", all on the same line.
        for (std::size_t at = from + 1; at + 8 <= head.size(); ++at) {
            if (isLineBreak(head[at - 1])) {
                break;
            }
            if (findText(head.substr(at, 8), "charset=", 0, true) != 0) {
                continue;
            }
            std::size_t pos = at + 8;
            auto nameAt = [&](std::size_t p) {
                std::size_t end = p;
                while (end < head.size() && (isWordByte(head[end]) || head[end] == '-')) {
                    ++end;
                }
                return head.substr(p, end - p);
            };
            // [^\w]? is greedy: it takes one non-word byte ("-" and quotes included) first.
            std::string_view name;
            if (pos < head.size() && !isWordByte(head[pos])) {
                name = nameAt(pos + 1);
            }
            if (name.empty()) {
                name = nameAt(pos);
            }
            if (!name.empty()) {
                return name;
            }
        }
    }
    return {};
}

}  // namespace

std::u16string toWide(std::string_view bytes, int codePage) {
    std::u16string out;
    toUnicode(bytes, codePageName(codePage), out);
    return out;
}

std::string fromWide(std::u16string_view wide, int codePage) {
    return fromUnicode(wide, codePageName(codePage));
}

std::string gbkToUtf8(std::string_view gbk) {
    return fromWide(toWide(gbk, kCodePageGbk), kCodePageUtf8);
}

std::string utf8ToGbk(std::string_view utf8) {
    return fromWide(toWide(utf8, kCodePageUtf8), kCodePageGbk);
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        unsigned char lo = 0x80;
        unsigned char hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            if (b == 0xE0) {
                lo = 0xA0;
            } else if (b == 0xED) {
                hi = 0x9F;
            }
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            if (b == 0xF0) {
                lo = 0x90;
            } else if (b == 0xF4) {
                hi = 0x8F;
            }
        } else {
            return false;
        }
        if (i + len > n) {
            return false;
        }
        auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        if (b1 < lo || b1 > hi) {
            return false;
        }
        for (std::size_t k = 2; k < len; ++k) {
            auto bk = static_cast<unsigned char>(bytes[i + k]);
            if (bk < 0x80 || bk > 0xBF) {
                return false;
            }
        }
        i += len;
    }
    return true;
}

std::string sanitizeUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes)) {
        return std::string(bytes);
    }
    return fromWide(toWide(bytes, kCodePageUtf8), kCodePageUtf8);
}

bool decodeCharset(std::string_view bytes, std::string_view charset, std::string& out) {
    std::string name = icuName(charset);
    if (name.empty()) {
        return false;
    }
    if (name == "utf-8" || name == "utf8") {
        out = sanitizeUtf8(bytes);
        return true;
    }
    std::u16string wide;
    if (!toUnicode(bytes, name, wide)) {
        return false;
    }
    out = fromUnicode(wide, "UTF-8");
    return true;
}

std::string decodePageText(std::string_view body, std::string_view contentType) {
    std::string out;
    std::string_view declared = contentTypeCharset(contentType);
    if (!declared.empty() && decodeCharset(body, declared, out)) {
        return out;
    }
    declared = metaCharset(body.substr(0, 1024));
    if (!declared.empty() && decodeCharset(body, declared, out)) {
        return out;
    }
    if (isValidUtf8(body)) {
        return std::string(body);
    }
    return gbkToUtf8(body);
}

}  // namespace quillet
