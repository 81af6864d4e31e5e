#include "text/cookies.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(Cookies, MergeTable) {
    struct Case {
        std::string oldCookies, newCookies, merged;
    };
    const Case cases[] = {
        {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1"},  // server's values first and winning
        {"a=1; b=2", "b=deleted", "a=1"},           // a deletion suppresses the old item too
        {"a=1; a=2", "", "a=1"},                    // first of two old items with one name
        {"token=x y", "", "token=xy"},              // blanks inside values go as well
        {"", "", ""},
        {"", "x=1; x=1", "x=1"},       // exact repeat dropped
        {"", "x=1; x=2", "x=1; x=2"},  // same name, different items: both stay
        {"a=1;;b=2", "", "a=1; ; b=2"},
        {"a=1", "b=2;", "b=2; a=1"},                    // a trailing separator adds no item
        {"a=1\xE3\x80\x80; b=2", "", "a=1; b=2"},       // the full-width space is a blank
        {"a=1\t; b=2", "", "a=1\t; b=2"},               // a tab is not
        {"flag; a=1", "flag=2", "flag=2; a=1"},         // an item without "=" is its own name
        {"a=1; k=2", "s=deleted; a=x=deleted", "k=2"},  // the deleted a hides the old a
        {"k=1", "deleted", "deleted; k=1"},             // shorter than eight: never deleted
        {"k=1", "=deleted", "k=1"},
        {"\x83"
         "2",
         "\x10;x=1;\x10",
         "\x10; x=1; \x83"
         "2"},  // found by fuzzing
    };
    for (const Case& c : cases) {
        std::string oldCookies = c.oldCookies;
        std::string newCookies = c.newCookies;
        std::string merged = MergeCookieTexts(oldCookies, newCookies);
        EXPECT_EQ(merged, c.merged) << c.oldCookies << " + " << c.newCookies;
        EXPECT_EQ(oldCookies, merged);
    }
}

TEST(Cookies, MergeRemovesBlanksFromTheNewText) {
    std::string oldCookies = "a=1";
    std::string newCookies = " b = 2 ;  c=3";
    EXPECT_EQ(MergeCookieTexts(oldCookies, newCookies), "b=2; c=3; a=1");
    EXPECT_EQ(newCookies, "b=2;c=3");
}

TEST(Cookies, CookieNameAndRepeats) {
    EXPECT_EQ(CookieName(" sid =abc=d"), "sid");
    EXPECT_EQ(CookieName("\xE3\x80\x80"
                         "flag "),
              "flag");
    EXPECT_EQ(CookieName(""), "");
    EXPECT_EQ(DropRepeatedItems("a; b; a; c; b", "; "), "a; b; c");
    EXPECT_EQ(DropRepeatedItems("a,,a,", ","), "a,");
    EXPECT_EQ(DropRepeatedItems("", "; "), "");
    // A stray continuation byte after a separator (raw header bytes) does not hide it.
    EXPECT_EQ(DropRepeatedItems("a; a; \x83", "; "), "a; \x83");
}

}  // namespace
}  // namespace quillet
