#include "text/regex_matcher.h"

#include <gtest/gtest.h>

#include <string>

namespace quillet {
namespace {

const std::string kQuote = "#\xE5\xBC\x95\xE5\x8F\xB7";  // "#引号"

TEST(RegexMatcher, ItemIdFromAddress) {
    RegexMatcher re;
    ASSERT_TRUE(re.execute("id=[1-9][0-9]{10,}",
                           "https://item.example/item.htm?id=12345678901&spm=a&xid=99"));
    EXPECT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.matchText(1), "id=12345678901");
    EXPECT_EQ(re.subMatchCount(), 0);
}

TEST(RegexMatcher, QuoteMarker) {
    const std::string list = "\"//img/a.jpg\",\"//img/b.jpg\",\"//img/c.jpg\",";
    RegexMatcher re;
    ASSERT_TRUE(re.execute(kQuote + "(.*?)" + kQuote + ",", list, false, true, true, true));
    ASSERT_EQ(re.matchCount(), 3);
    EXPECT_EQ(re.subMatch(1, 1), "//img/a.jpg");
    EXPECT_EQ(re.subMatch(3, 1), "//img/c.jpg");
    EXPECT_EQ(re.pattern(), "\"(.*?)\",");
    ASSERT_TRUE(re.execute(kQuote + "(.*?)" + kQuote + ",", list));
    EXPECT_EQ(re.matchCount(), 0);
    EXPECT_EQ(re.matchText(1), "");
}

TEST(RegexMatcher, OptionsAndScriptSemantics) {
    struct Case {
        const char* what;
        std::string pattern, subject;
        bool caseSensitive, multiline, global;
        long long count;
        std::string first;
    };
    const Case cases[] = {
        {"case ignored by default", "abc", "xABCx", false, true, true, 1, "ABC"},
        {"case kept when asked", "abc", "xABCx", true, true, true, 0, ""},
        {"non-ASCII case folding", "\xC3\xA4", "\xC3\x84", false, true, true, 1, "\xC3\x84"},
        {"dot stops at LF", "a.b", "a\nb", false, true, true, 0, ""},
        {"dot stops at CR", "a.b", "a\rb", false, true, true, 0, ""},
        {"dot stops at U+2028", "a.b",
         "a\xE2\x80\xA8"
         "b",
         false, true, true, 0, ""},
        {"dot takes a whole character", "a.b",
         "a\xE4\xB8\xAD"
         "b",
         false, true, true, 1,
         "a\xE4\xB8\xAD"
         "b"},
        {"dot takes a vertical tab", "a.b", "a\vb", false, true, true, 1, "a\vb"},
        {"global keeps all", "\\d+", "1 22 333", false, true, true, 3, "1"},
        {"first only", "\\d+", "1 22 333", false, true, false, 1, "1"},
        {"multiline anchors", "^b$", "a\nb\nc", false, true, true, 1, "b"},
        {"single-line anchors", "^b$", "a\nb\nc", false, false, true, 0, ""},
        {"$ only at the very end", "a$", "a\n", false, false, true, 0, ""},
        {"\\w is ASCII", "\\w+",
         "\xE4\xB8\xAD"
         "ab_9",
         false, true, true, 1, "ab_9"},
        {"\\d is ASCII", "\\d", "\xEF\xBC\x91", false, true, true, 0, ""},
        {"\\s takes U+3000", "a\\sb",
         "a\xE3\x80\x80"
         "b",
         false, true, true, 1,
         "a\xE3\x80\x80"
         "b"},
        {"\\s in a class", "[\\s,]+", "x \xC2\xA0,y", false, true, true, 1, " \xC2\xA0,"},
        {"\\S skips U+3000", "\\S+",
         "\xE3\x80\x80"
         "ab",
         false, true, true, 1, "ab"},
        {"\\v is a vertical tab", "\\v", "\n\v", false, true, true, 1, "\v"},
        {"identity escape", "\\h", "h", false, true, true, 1, "h"},
        {"empty class", "a[]", "a", false, true, true, 0, ""},
        {"any-character class", "a[^]b", "a\nb", false, true, true, 1, "a\nb"},
        {"unset back reference", "(x)?\\1y", "y", false, true, true, 1, "y"},
        {"empty matches advance", "x*", "ab", false, true, true, 3, ""},
        {"meta charset", "<meta.+?charset=[^\\w]?([-\\w]+)",
         "<META http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">", false, true, true,
         1, "<META http-equiv=\"Content-Type\" content=\"text/html; charset=gbk"},
    };
    for (const Case& c : cases) {
        RegexMatcher re;
        ASSERT_TRUE(re.execute(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global))
            << c.what;
        EXPECT_EQ(re.matchCount(), c.count) << c.what;
        EXPECT_EQ(re.matchText(1), c.first) << c.what;
    }
}

TEST(RegexMatcher, GroupsAndIndexes) {
    RegexMatcher re;
    ASSERT_TRUE(re.execute("<img id=\"J_ImgBooth\" alt=\"(.*?)\" src=\"(.*?)\" (x)?",
                           "<img id=\"J_ImgBooth\" alt=\"\xE6\xA0\x87\xE9\xA2\x98\" "
                           "src=\"//img/1.jpg\" />"));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.subMatchCount(), 3);
    EXPECT_EQ(re.subMatch(1, 1), "\xE6\xA0\x87\xE9\xA2\x98");
    EXPECT_EQ(re.subMatch(1, 2), "//img/1.jpg");
    EXPECT_EQ(re.subMatch(1, 3), "");  // took no part
    for (auto [match, group] : {std::pair{0LL, 1LL}, {2, 1}, {1, 4}, {1, -1}, {-5, 0}}) {
        EXPECT_EQ(re.subMatch(match, group), "") << match << "," << group;
    }
    EXPECT_EQ(re.matchText(0), "");
    EXPECT_EQ(re.matchText(2), "");
}

TEST(RegexMatcher, InvalidPatternsAndRepeatedRuns) {
    RegexMatcher re;
    EXPECT_EQ(re.pattern(), "");
    ASSERT_TRUE(re.execute("(a)", "a a"));
    EXPECT_EQ(re.matchCount(), 2);
    for (const char* bad : {"(unclosed", "a{2,1}", "[z-a]", "x\\", "*a"}) {
        EXPECT_FALSE(re.execute(bad, "anything")) << bad;
        EXPECT_EQ(re.matchCount(), 0) << bad;
        EXPECT_EQ(re.subMatchCount(), 0) << bad;
        EXPECT_EQ(re.replace("x"), "") << bad;
    }
    // A subject that is not valid UTF-8 still matches around the bad bytes.
    ASSERT_TRUE(re.execute("b+",
                           "a\xFF"
                           "bb\xC3"));
    EXPECT_EQ(re.matchText(1), "bb");
}

TEST(RegexMatcher, Replace) {
    RegexMatcher re;
    ASSERT_TRUE(re.execute("(\\w)(\\d)?=", "a1=b=c"));
    EXPECT_EQ(re.replace("[$1|$2|$&|$$|$3|$]"), "[a|1|a1=|$|$3|$][b||b=|$|$3|$]c");
    ASSERT_TRUE(re.execute("b", "abc", false, true, false));
    EXPECT_EQ(re.replace("<$`|$'>"), "a<a|c>c");
    ASSERT_TRUE(re.execute("x", "abc"));
    EXPECT_EQ(re.replace("y"), "abc");
    // Two-digit group numbers only where that group exists.
    ASSERT_TRUE(re.execute("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", "abcdefghijk"));
    EXPECT_EQ(re.replace("$11$10$12"), "kja2");
}

TEST(RegexMatcher, PathologicalInputFailsCleanly) {
    // Nested quantifiers over a long near-miss: the match limit ends it.
    RegexMatcher re;
    std::string subject(5000, 'a');
    subject += "!";
    EXPECT_FALSE(re.execute("^(a+)+$", subject, false, false));
    EXPECT_EQ(re.matchCount(), 0);
}

}  // namespace
}  // namespace quillet
