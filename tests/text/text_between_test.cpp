#include "text/text_between.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillet {
namespace {

const std::string kQuote = "#\xE5\xBC\x95\xE5\x8F\xB7";  // "#引号"

TEST(TextBetween, Table) {
    struct Case {
        std::string text, before, after;
        long long start;
        bool ignoreCase;
        std::string result;
    };
    const Case cases[] = {
        {"a=1;b=2", "a=", ";", 1, false, "1"},
        {"a=1;b=2", "x", ";", 1, false, ""},
        {"a=1;b=2", "b=", ";", 1, false, ""},  // no right marker after it
        {"a=1;;", "a=1;", ";", 1, false, ""},  // right marker right away
        {"title=\"Hi\" x", "title=" + kQuote, kQuote, 1, false, "Hi"},
        {"ID=5;", "id=", ";", 1, false, ""},
        {"ID=5;", "id=", ";", 1, true, "5"},
        {"a=1;a=2;", "a=", ";", 2, false, "2"},   // start skips the first occurrence
        {"a=1;a=2;", "a=", ";", -7, false, "1"},  // below 1 means 1
        {"a=1;", "a=", ";", 99, false, ""},
        {"x1y", "", "y", 1, false, "x1"},
        // The second character ends in A4 BD, the first starts nothing inside it.
        {"\xE4\xBD\xA0\xE5\xA5\xBD|", "\xBD", "|", 1, false, ""},
        {"\xE4\xBD\xA0\xE5\xA5\xBD|", "\xE5\xA5\xBD", "|", 1, false, ""},
        {"\xE4\xBD\xA0\xE5\xA5\xBD|", "\xE4\xBD\xA0", "|", 1, false, "\xE5\xA5\xBD"},
        {"k=v;\x80", "k=", ";", 1, false, "v"},  // invalid text after a marker
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextBetween(c.text, c.before, c.after, c.start, c.ignoreCase), c.result)
            << c.text << " / " << c.before << " / " << c.after;
    }
}

TEST(CollectBetween, SegmentsTrimmedAndEmptyOnesSkipped) {
    const std::string answer =
        "{\"result\":[[\"a\",\"1\"],[\"   \"],[\"\xE3\x80\x80 b\t\",\"2\"],[\"c\",\"3\"]";
    EXPECT_EQ(CollectBetween(answer, "[\"", "\"]"),
              (std::vector<std::string>{"a\",\"1", "b\t\",\"2", "c\",\"3"}));
}

TEST(CollectBetween, MarkersIgnoreCaseAndMayShareText) {
    EXPECT_EQ(CollectBetween("<TD>x</td><td>y</TD>", "<td>", "</td>"),
              (std::vector<std::string>{"x", "y"}));
    // The scan goes on from the right marker, so it can start the next segment.
    EXPECT_EQ(CollectBetween("|a|b|c", "|", "|"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(CollectBetween("no markers", "[", "]").empty());
    EXPECT_TRUE(CollectBetween("[open", "[", "]").empty());
    EXPECT_TRUE(CollectBetween("", "[", "]").empty());
    EXPECT_TRUE(CollectBetween("a] ]", "", "]").empty());
    // An empty right marker makes every segment empty: it ends without a result.
    EXPECT_TRUE(CollectBetween("[a[b", "[", "").empty());
}

TEST(CollectBetween, CallsTheEventCallbackThreeTimesPerPair) {
    int calls = 0;
    auto segments = CollectBetween("[a][ ][b]", "[", "]", [&] { ++calls; });
    EXPECT_EQ(segments, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(calls, 9);
}

TEST(TextLeftOf, Table) {
    EXPECT_EQ(TextLeftOf("word\",\"123", "\","), "word");
    EXPECT_EQ(TextLeftOf("word", "\","), "");
    EXPECT_EQ(TextLeftOf("Word", "w"), "");
    EXPECT_EQ(TextLeftOf(",x", ","), "");
}

}  // namespace
}  // namespace quillet
