// The row and position rules over parsed search pages.
#include <gtest/gtest.h>

#include <string>

#include "search/search_page.h"
#include "search/search_rows.h"

namespace quillet {
namespace {

JsonDocument page(const std::string& json) {
    JsonDocument document;
    EXPECT_TRUE(document.parse(json)) << json;
    return document;
}

TEST(SearchRows, RankingRowTakesTheMembersAndTheTwoRules) {
    const JsonDocument doc = page(R"({"listItem":[
        {"title":"碎花连衣裙","sold":"1203","commentCount":"88","nick":"小店","isB2c":"0",
         "originalPrice":"199.00","priceWap":"89.00","isP4p":"false","itemNumId":"521",
         "location":"浙江 杭州"},
        {"title":"t2","commentCount":"","isB2c":"1","itemNumId":"522"},
        {"title":"t3","itemNumId":"523","sold":3}]})");
    const RankingCells first = RankingRowCells(doc, 1);
    EXPECT_EQ(first, (RankingCells{"", "碎花连衣裙", "1203", "88", "小店", "淘宝", "199.00",
                                   "89.00", "521", "浙江 杭州"}));

    // An empty review count is a paid slot; only "0" is a Taobao shop.
    const RankingCells second = RankingRowCells(doc, 2);
    EXPECT_EQ(second[3], "车位");
    EXPECT_EQ(second[5], "天猫");
    const RankingCells third = RankingRowCells(doc, 3);
    EXPECT_EQ(third[2], "3");  // a number reads as its text
    EXPECT_EQ(third[3], "车位");
    EXPECT_EQ(third[5], "天猫");
}

TEST(SearchRows, ShopTypeIsTaobaoOnlyForExactlyZero) {
    EXPECT_EQ(ShopType("0"), "淘宝");
    for (const char* other : {"1", "", "00", "0 ", "false"}) {
        EXPECT_EQ(ShopType(other), "天猫") << '"' << other << '"';
    }
}

TEST(SearchRows, PaidPlacementRowOnlyForTheTextTrue) {
    const JsonDocument doc = page(R"({"listItem":[
        {"title":"a","sold":"5","nick":"n","itemNumId":"1","isB2c":"1","location":"广东 广州",
         "isP4p":"true"},
        {"itemNumId":"2","isP4p":"false"},
        {"itemNumId":"3","isP4p":"TRUE"},
        {"itemNumId":"4"},
        {"itemNumId":"5","isP4p":true}]})");
    const auto first = PaidPlacementRowCells(doc, 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, (PaidPlacementCells{"", "a", "5", "n", "1", "天猫", "广东 广州"}));
    for (long long k = 2; k <= 5; ++k) {
        EXPECT_FALSE(PaidPlacementRowCells(doc, k)) << "item " << k;
    }
}

TEST(SearchRows, FindItemPosition) {
    const JsonDocument doc = page(R"({"listItem":[
        {"itemNumId":"111","isP4p":"false"},
        {"itemNumId":"222","isP4p":"true"},
        {"itemNumId":"333","isP4p":"true"},
        {"itemNumId":"111","isP4p":"true"},
        {"itemNumId":"444","isP4p":"TRUE"},
        {"itemNumId":"555"},
        {"itemNumId":"666","isP4p":true}]})");
    const long long count = doc.count("listItem");
    struct Case {
        const char* id;
        bool paidOnly;
        long long position;
    };
    // The unpaid "111" before the paid one is passed over but still counted; a JSON true
    // ("666") is not the text "true".
    const Case cases[] = {
        {"333", false, 3},  {"111", false, 1}, {"111", true, 4},  {"333 ", false, 0},
        {" 333", false, 0}, {"33", false, 0},  {"444", true, 0},  {"555", true, 0},
        {"555", false, 6},  {"666", true, 0},  {"777", false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindItemPosition(doc, count, c.id, c.paidOnly), c.position)
            << '"' << c.id << "\" paidOnly " << c.paidOnly;
    }
    // Only the counted items are looked at.
    EXPECT_EQ(FindItemPosition(doc, 5, "555", false), 0);
    EXPECT_EQ(FindItemPosition(doc, -2, "111", false), 0);
}

}  // namespace
}  // namespace quillet
