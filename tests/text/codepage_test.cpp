#include "text/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace quillet {
namespace {

const std::string kZhongGbk = "\xD6\xD0";
const std::string kZhongUtf8 = "\xE4\xB8\xAD";  // 中
const std::string kReplacement = "\xEF\xBF\xBD";

TEST(CodePage, GbkAndUtf8RoundTrip) {
    EXPECT_EQ(gbkToUtf8(kZhongGbk + "a1"), kZhongUtf8 + "a1");
    EXPECT_EQ(utf8ToGbk(kZhongUtf8 + "a1"), kZhongGbk + "a1");
    // Code page 936 maps 0x80 to the euro sign.
    EXPECT_EQ(gbkToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(utf8ToGbk("\xE2\x82\xAC"), "\x80");
    // The full-width space is GBK A1 A1.
    EXPECT_EQ(utf8ToGbk("\xE3\x80\x80"), "\xA1\xA1");
    EXPECT_EQ(gbkToUtf8(""), "");
}

TEST(CodePage, BadInputAndUnmappableCharacters) {
    // A lead byte without its trail byte is invalid GBK.
    EXPECT_EQ(gbkToUtf8("a\x81"), "a" + kReplacement);
    // An emoji has no GBK form; invalid UTF-8 has none either.
    EXPECT_EQ(utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b");
    EXPECT_EQ(utf8ToGbk("a\xFF"
                        "b"),
              "a?b");
    // The whole input is converted, zero bytes included.
    EXPECT_EQ(gbkToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePage, WideConversions) {
    EXPECT_EQ(toWide(kZhongUtf8), u"\u4E2D");
    EXPECT_EQ(toWide(kZhongGbk, kCodePageGbk), u"\u4E2D");
    EXPECT_EQ(fromWide(u"\u4E2D"), kZhongUtf8);
    EXPECT_EQ(fromWide(u"\u4E2D", kCodePageGbk), kZhongGbk);
    // An unpaired surrogate is invalid input.
    EXPECT_EQ(fromWide(std::u16string(u"a") + char16_t(0xD800), kCodePageUtf8), "a" + kReplacement);
    EXPECT_EQ(toWide("abc", 99999), u"");  // no such code page
}

TEST(CodePage, SanitizeUtf8) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {kZhongUtf8 + "\xF0\x9F\x98\x80", kZhongUtf8 + "\xF0\x9F\x98\x80"},  // emoji kept
        {"a\xC3", "a" + kReplacement},                                       // cut short
        {"\xC0\xAF", kReplacement + kReplacement},                           // overlong
        {"\xED\xA0\x80", kReplacement + kReplacement + kReplacement},        // surrogate
        {"\xE4\xB8"
         "x",
         kReplacement + "x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sanitizeUtf8(c.in), c.out) << c.in;
        EXPECT_TRUE(isValidUtf8(sanitizeUtf8(c.in)));
    }
}

TEST(CodePage, PageTakenAsText) {
    const std::string pad(1100, ' ');
    struct Case {
        const char* what;
        std::string body, contentType, text;
    };
    const Case cases[] = {
        {"undeclared UTF-8 kept", "<p>" + kZhongUtf8, "", "<p>" + kZhongUtf8},
        {"undeclared GBK decoded", "<p>" + kZhongGbk, "", "<p>" + kZhongUtf8},
        {"header charset", kZhongGbk, "text/html; charset=GBK", kZhongUtf8},
        {"header charset quoted", kZhongGbk, "text/html; charset=\"gb2312\"", kZhongUtf8},
        {"meta gb2312", "<meta charset=gb2312>" + kZhongGbk, "",
         "<meta charset=gb2312>" + kZhongUtf8},
        {"meta content attribute",
         "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">" + kZhongUtf8, "",
         "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">" + kZhongUtf8},
        {"meta quoted", "<meta charset=\"gbk\">" + kZhongGbk, "",
         "<meta charset=\"gbk\">" + kZhongUtf8},
        // Declared GBK after byte 1024 is not seen: the valid UTF-8 body stays as it is.
        {"meta too late", pad + "<meta charset=gbk>" + kZhongUtf8, "",
         pad + "<meta charset=gbk>" + kZhongUtf8},
        // "." does not cross a line break, so this declaration does not count.
        {"meta across lines", "<meta\ncharset=gbk>" + kZhongUtf8, "",
         "<meta\ncharset=gbk>" + kZhongUtf8},
        {"unknown charset falls back", "<meta charset=x-nonesuch>" + kZhongGbk, "",
         "<meta charset=x-nonesuch>" + kZhongUtf8},
        {"declared UTF-8 with bad bytes", "<meta charset=utf-8>a\xFF", "",
         "<meta charset=utf-8>a" + kReplacement},
        {"big5", "<meta charset=big5>\xA4\xA4", "", "<meta charset=big5>" + kZhongUtf8},
        {"header wins over meta", "<meta charset=utf-8>" + kZhongGbk, "text/html;charset=gbk",
         "<meta charset=utf-8>" + kZhongUtf8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodePageText(c.body, c.contentType), c.text) << c.what;
    }
}

}  // namespace
}  // namespace quillet
