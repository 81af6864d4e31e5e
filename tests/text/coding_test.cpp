#include "text/coding.h"

#include <gtest/gtest.h>

#include <string>

namespace quillet {
namespace {

const std::string kZhong = "\xE4\xB8\xAD";  // 中
const std::string kWen = "\xE6\x96\x87";    // 文
const std::string kReplacement = "\xEF\xBF\xBD";

TEST(UrlEncode, Table) {
    struct Case {
        std::string text;
        bool keepUnreserved, utf8;
        std::string encoded;
    };
    const Case cases[] = {
        {"", false, true, ""},
        {"", true, false, ""},
        {"a b", false, true, "%61%20%62"},
        {"a b", true, true, "a%20b"},
        {"-._~/+09AZaz", true, true, "-.%5F%7E%2F%2B09AZaz"},
        {kZhong, true, true, "%E4%B8%AD"},
        {kZhong, true, false, "%D6%D0"},            // GBK bytes
        {"\xF0\x9F\x98\x80", false, false, "%3F"},  // no GBK form: "?"
        {"\xF0\x9F\x98\x80", true, true, "%F0%9F%98%80"},
        {std::string("\x01\n", 2), true, true, "%01%0A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(urlEncode(c.text, c.keepUnreserved, c.utf8), c.encoded) << c.text;
    }
}

TEST(UrlDecode, Table) {
    struct Case {
        std::string text;
        bool utf8;
        std::string decoded;
    };
    const Case cases[] = {
        {"%e4%b8%ad+x", true, kZhong + "+x"},  // lower-case escapes; "+" stays
        {"%E4%B8%AD", true, kZhong},
        {"%D6%D0", false, kZhong},                 // GBK escapes
        {"a%00b", true, "ab"},                     // a zero byte adds nothing
        {"100%" + kZhong, true, "100%" + kZhong},  // a title holding "%"
        {"%%41%", true, "%A%"},
        {"%4", true, "%4"},
        {"%zz%41", true, "%zzA"},
        {"%FF", true, kReplacement},  // not UTF-8
        {"plain " + kWen, true, "plain " + kWen},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(urlDecode(c.text, c.utf8), c.decoded) << c.text;
    }
}

TEST(UrlCoding, RoundTripOfEveryByte) {
    std::string all;
    for (int b = 1; b < 128; ++b) {
        all.push_back(static_cast<char>(b));
    }
    all += kZhong + kWen;
    for (bool keep : {false, true}) {
        EXPECT_EQ(urlDecode(urlEncode(all, keep, true), true), all);
        EXPECT_EQ(urlDecode(urlEncode(all, keep, false), false), all);
    }
}

TEST(UnescapeUnicode, Table) {
    struct Case {
        const char* what;
        std::string text, result;
    };
    const Case cases[] = {
        {"unicode escapes", "\\u4e2d\\u6587", kZhong + kWen},
        {"upper-case hex", "\\u4E2D", kZhong},
        {"JSON answer", "{\"area\":\"\\u6d59\\u6c5f\"}", "{\"area\":\"\xE6\xB5\x99\xE6\xB1\x9F\"}"},
        {"apostrophe survives", "it's", "it's"},
        {"CR LF survives", "a\r\nb", "a\r\nb"},
        {"marks in the input", "a{$}b\xE2\x80\x99", "a\r\nb'"},
        {"leading CR dropped", "\rabc", "abc"},
        {"literal escapes", "a\\tb\\x41\\101\\q", "a\tbAAq"},
        {"octal stops below 256", "\\400", " 0"},
        {"percent escapes", "%41%u4e2d%zz%", "A" + kZhong + "%zz%"},
        {"%XX is a character code", "%E4", "\xC3\xA4"},
        {"surrogate pair", "\\ud83d\\ude00", "\xF0\x9F\x98\x80"},
        {"lone surrogate", "\\ud83d!", kReplacement + "!"},
        {"escaped backslash before u", "\\\\u0041", "A"},
        {"empty", "", ""},
        {"Chinese kept", kZhong + "x", kZhong + "x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unescapeUnicode(c.text), c.result) << c.what;
    }
}

TEST(UnescapeUnicode, InvalidLiteralFallsBackToUtf16Reading) {
    // An LF or an odd number of trailing backslashes makes the literal invalid: the prepared
    // text's bytes are then read as UTF-16LE code units.
    EXPECT_EQ(unescapeUnicode("ab\ncd"), utf16BytesToText("ab\ncd"));
    EXPECT_EQ(unescapeUnicode("ab\\"), utf16BytesToText("ab\\"));
    EXPECT_EQ(unescapeUnicode("a'\n"), utf16BytesToText("a\xE2\x80\x99\n"));
    EXPECT_EQ(unescapeUnicode("ab\\\\"), "ab\\");  // an even number is fine
}

TEST(Utf16Bytes, ReadAsLittleEndianUnits) {
    EXPECT_EQ(utf16BytesToText(std::string("A\0-N", 4)), "A" + kZhong);
    EXPECT_EQ(utf16BytesToText(std::string("A\0B", 3)), "A" + kReplacement);
    EXPECT_EQ(utf16BytesToText(std::string("\x3D\xD8"
                                           "A\0",
                                           4)),
              kReplacement + "A");
    EXPECT_EQ(utf16BytesToText(""), "");
}

TEST(TextUtilities, TextAfterLast) {
    EXPECT_EQ(textAfterLast("a.b.jpg", "."), "jpg");
    EXPECT_EQ(textAfterLast("abjpg", "."), "");
    EXPECT_EQ(textAfterLast("a.b.", "."), "");
    EXPECT_EQ(textAfterLast("x.JPG", "jpg"), "");
    EXPECT_EQ(textAfterLast("x.JPG?y", "jpg", 0, true), "?y");
    EXPECT_EQ(textAfterLast("a.b.jpg", ".", 4), "jpg");  // the match must end by position 4
    EXPECT_EQ(textAfterLast("a.b.jpg", ".", 3), "b.jpg");
    EXPECT_EQ(textAfterLast("a.b.jpg", ".", 1), "");
    EXPECT_EQ(textAfterLast("abc", ""), "");
    EXPECT_EQ(textAfterLast("word\",\"123", ",\""), "123");
}

TEST(TextUtilities, PadZeros) {
    EXPECT_EQ(padZeros("7", 3), "007");
    EXPECT_EQ(padZeros("1234", 3), "1234");
    EXPECT_EQ(padZeros("", 3), "000");
    EXPECT_EQ(padZeros("5", -2), "5");
}

TEST(TextUtilities, ReplaceMany) {
    EXPECT_EQ(replaceMany("ID=5", {{"id=", ""}}), "5");
    EXPECT_EQ(replaceMany("ID=5", {{"id=", ""}}, std::nullopt, 1, true), "ID=5");
    EXPECT_EQ(replaceMany("a_60x60q90.jpg_60X60Q90.JPG", {{"_60x60q90.jpg", ""}}), "a");
    // Pairs apply in turn; empty find texts do nothing.
    EXPECT_EQ(replaceMany("abc", {{"a", "b"}, {"", "z"}, {"bb", "X"}, {"", ""}, {"c", "!"}}), "X!");
    EXPECT_EQ(replaceMany("aaaa", {{"a", "b"}}, 2), "bbaa");
    EXPECT_EQ(replaceMany("aaaa", {{"a", "b"}}, std::nullopt, 3), "aabb");
    EXPECT_EQ(replaceMany("aaaa", {{"a", "b"}}, std::nullopt, 0), "bbbb");
    // A replacement is not searched again.
    EXPECT_EQ(replaceMany("aa", {{"a", "aa"}}), "aaaa");
}

}  // namespace
}  // namespace quillet
