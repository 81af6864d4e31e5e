#include "text/read_int.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace quillet {
namespace {

TEST(ReadInt, Table) {
    struct Case {
        std::string text;
        long long value;
    };
    const Case cases[] = {
        {"", 0},
        {"0.9", 0},
        {"1.2", 1},
        {"  -3x", -3},
        {"+7", 7},
        {"- 7", 0},
        {"abc", 0},
        {"\t\n12", 12},
        {"\xEF\xBC\x91\xEF\xBC\x92", 12},  // full-width 12
        {"\xE3\x80\x80\xEF\xBC\x8D\xEF\xBC\x95"
         "0",
         -50},  // U+3000, full-width -5, 0
        {"\xEF\xBC\x8B"
         "9",
         9},               // full-width plus
        {"1\xEF\xBC", 1},  // cut character stops
        {"\xE4\xB8\xAD"
         "5",
         0},
        {"1499418900", 1499418900},
        {"99999999999999999999999", std::numeric_limits<long long>::max()},
        {"-99999999999999999999999", std::numeric_limits<long long>::min()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadInt(c.text), c.value) << c.text;
    }
}

}  // namespace
}  // namespace quillet
