#pragma once
// Code-page conversions. Inside the program every text is UTF-8; GBK bytes exist only at the
// edges (bodies taken as text, GBK escapes, credentials). Conversions never fail: input that
// is not valid in its code page becomes U+FFFD, a character the target code page cannot hold
// becomes "?".

#include <string>
#include <string_view>

namespace quillet {

inline constexpr int kCodePageAnsi = 0;  // the system's ANSI code page: UTF-8 on this platform
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;

// Byte text in a code page to UTF-16. Other code page numbers are taken as "windows-<n>"; an
// unknown one gives the empty text.
std::u16string toWide(std::string_view bytes, int codePage = kCodePageUtf8);
// UTF-16 to a byte text in a code page; unpaired surrogates count as invalid input.
std::string fromWide(std::u16string_view wide, int codePage = kCodePageAnsi);

// Real byte conversions between GBK (code page 936) and UTF-8.
std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);

// What the program uses where a UTF-8 answer "is converted to GBK": the text stays UTF-8 with
// every invalid sequence replaced by U+FFFD, and characters GBK lacks (emoji) are kept.
std::string sanitizeUtf8(std::string_view bytes);
bool isValidUtf8(std::string_view bytes);

// Decodes bytes from a charset named as pages name it ("utf-8", "gbk", "gb2312", "big5", ...)
// to UTF-8. Returns false, leaving out untouched, when the name is unknown.
bool decodeCharset(std::string_view bytes, std::string_view charset, std::string& out);

// A response body "taken as text": the charset declared by the Content-Type header value or by
// a <meta ... charset=...> within the first 1024 bytes; without a (known) declaration the body
// is kept as it is when valid UTF-8 and decoded as GBK otherwise.
std::string decodePageText(std::string_view body, std::string_view contentType = {});

}  // namespace quillet
