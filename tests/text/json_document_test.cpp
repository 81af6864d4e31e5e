#include "text/json_document.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace quillet {
namespace {

const char kSearchPage[] = R"({"listItem":[{"itemNumId":"5"},{"itemNumId":"6"}]})";

TEST(JsonDocument, CountsAndReadsByPath) {
    JsonDocument doc;
    ASSERT_TRUE(doc.parse(kSearchPage));
    EXPECT_EQ(doc.count("listItem"), 2);
    EXPECT_EQ(doc.getValue("listItem[1].itemNumId"), "6");
    EXPECT_EQ(doc.getValue("listItem[5].itemNumId"), "");
    EXPECT_EQ(doc.count("listItem[5].x"), 0);  // an earlier step is missing
    EXPECT_EQ(doc.count("nothing"), -2);       // the last member is missing
    EXPECT_EQ(doc.count("listItem[0].nothing"), -2);
    EXPECT_EQ(doc.count(""), 1);  // the root's members
    EXPECT_EQ(doc.count("listItem[0]"), 1);
    EXPECT_EQ(doc.count("listItem[0].itemNumId"), 0);  // a string: nothing to read
    EXPECT_EQ(doc.count("listItem..x"), 0);            // malformed path
    EXPECT_EQ(doc.getValue("listItem[x]"), "");
}

TEST(JsonDocument, ValueTexts) {
    JsonDocument doc;
    ASSERT_TRUE(doc.parse(R"({"n":12.50,"s":"12.50","i":39,"f":15.5,"big":12345678901234,
        "stamp":1499418900615,"small":0.0000001,"neg":-0.35,"t":true,"f0":false,"z":null,
        "e":"","o":{"k":[1,2.0]},"u":"\u4e2d\t","huge":1e300,"whole":39.0})"));
    struct Case {
        const char* path;
        std::string text;
    };
    const Case cases[] = {
        {"n", "12.5"},
        {"s", "12.50"},
        {"i", "39"},
        {"f", "15.5"},
        {"big", "1.234567890123e+013"},  // 14 digits go to exponent form, three-digit exponent
        {"stamp", "1499418900615"},      // 13 digits stay plain
        {"small", "1e-007"},
        {"neg", "-0.35"},
        {"huge", "1e+300"},
        {"whole", "39"},
        {"t", "-1"},
        {"f0", "0"},
        {"z", ""},
        {"e", ""},
        {"missing", ""},
        {"z.deeper", ""},
        {"u", "\xE4\xB8\xAD\t"},
        {"o", R"({"k":[1,2]})"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(doc.getValue(c.path), c.text) << c.path;
    }
    EXPECT_EQ(doc.getValue("o", true), R"({"k":[1,2]})");
    EXPECT_EQ(doc.getValue("u", true), "\"\xE4\xB8\xAD\\t\"");
    EXPECT_EQ(doc.getValue("missing", true), "");
    EXPECT_EQ(doc.getValue("z", true), "null");
    EXPECT_EQ(doc.getValue("o.k.length"), "2");
}

TEST(JsonDocument, FailedParsesLeaveNothingToRead) {
    const std::string deep(100000, '[');
    const char* inputs[] = {
        "",
        "null",
        "<html><body>502 Bad Gateway</body></html>",
        R"(jsonp123({"a":1}))",
        "{'a':1}",
        "{a:1}",
        R"({"a":1,})",
        "[1,2",
    };
    for (const char* text : inputs) {
        JsonDocument doc;
        ASSERT_TRUE(doc.parse(kSearchPage));
        EXPECT_FALSE(doc.parse(text)) << text;
        EXPECT_EQ(doc.count("listItem"), 0) << text;
        EXPECT_EQ(doc.count(""), 0) << text;
        EXPECT_EQ(doc.getValue("listItem[0].itemNumId"), "") << text;
        EXPECT_EQ(doc.toJson(), "null");
    }
    JsonDocument doc;
    EXPECT_FALSE(doc.parse(deep));
    EXPECT_FALSE(doc.parse(deep + std::string(100000, ']')));
}

TEST(JsonDocument, NestingLimit) {
    auto nested = [](int depth) {
        return std::string(static_cast<std::size_t>(depth), '[') +
               std::string(static_cast<std::size_t>(depth), ']');
    };
    JsonDocument doc;
    EXPECT_TRUE(doc.parse(nested(JsonDocument::kMaxDepth)));
    EXPECT_EQ(doc.toJson(), nested(JsonDocument::kMaxDepth));
    EXPECT_FALSE(doc.parse(nested(JsonDocument::kMaxDepth + 1)));
    // Brackets inside strings do not count.
    EXPECT_TRUE(doc.parse("[\"" + std::string(2000, '[') + "\\\"\"]"));
}

TEST(JsonDocument, ParseForms) {
    JsonDocument doc;
    EXPECT_TRUE(doc.parse("[]"));
    EXPECT_EQ(doc.count(""), 0);
    EXPECT_TRUE(doc.parse(" \"text\" "));
    EXPECT_EQ(doc.typeOf(), JsonDocument::kString);
    EXPECT_TRUE(doc.parse("0"));
    // A second answer replaces every member of the first.
    ASSERT_TRUE(doc.parse(kSearchPage));
    ASSERT_TRUE(doc.parse(R"({"other":1})"));
    EXPECT_EQ(doc.count("listItem"), -2);
    EXPECT_EQ(doc.toJson(), R"({"other":1})");
    // Duplicate keys: the last value wins, in the first one's place.
    ASSERT_TRUE(doc.parse(R"({"a":1,"b":2,"a":3})"));
    EXPECT_EQ(doc.toJson(), R"({"a":3,"b":2})");
    // Invalid UTF-8 inside strings is replaced, not refused.
    ASSERT_TRUE(doc.parse("{\"a\":\"x\xFF\"}"));
    EXPECT_EQ(doc.getValue("a"), "x\xEF\xBF\xBD");
    // Paths that start with an index.
    ASSERT_TRUE(doc.parse(R"([{"x":"first"},{"x":"second"}])"));
    EXPECT_EQ(doc.getValue("[1].x"), "second");
    EXPECT_EQ(doc.count("[0]"), 1);
    EXPECT_EQ(doc.getObject("[0]").toJson(), R"({"x":"first"})");
}

TEST(JsonDocument, TypeOfAndHas) {
    JsonDocument doc;
    ASSERT_TRUE(doc.parse(R"({"s":"x","n":1,"b":false,"o":{},"a":[],"z":null})"));
    struct Case {
        const char* path;
        int kind;
        bool has;
    };
    const Case cases[] = {
        {"s", JsonDocument::kString, true},  {"n", JsonDocument::kNumber, true},
        {"b", JsonDocument::kBoolean, true}, {"o", JsonDocument::kObject, true},
        {"a", JsonDocument::kArray, true},   {"z", JsonDocument::kNull, false},
        {"q", JsonDocument::kNull, false},   {"q.r", JsonDocument::kOther, false},
        {"", JsonDocument::kObject, false},  {"a b", JsonDocument::kOther, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(doc.typeOf(c.path), c.kind) << c.path;
        EXPECT_EQ(doc.has(c.path), c.has) << c.path;
    }
}

TEST(JsonDocument, Setters) {
    JsonDocument doc;
    doc.setValue("a", "it's \\n");
    EXPECT_EQ(doc.getValue("a"), "it's \\n");  // stored as given, never evaluated
    doc.setValue("b", "[1,{\"c\":2}]", true);
    EXPECT_EQ(doc.getValue("b[1].c"), "2");
    doc.setValue("e", "", true);
    EXPECT_EQ(doc.typeOf("e"), JsonDocument::kObject);
    const std::string before = doc.toJson();
    doc.setValue("a", "alert(1)", true);  // not JSON: no change
    doc.setExpression("a", "1+1");
    doc.setValue("x.y", "1");  // a missing parent: no change
    doc.setNumber("a", std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(doc.toJson(), before);
    doc.setExpression("b[1].c", "\"three\"");
    EXPECT_EQ(doc.getValue("b[1].c"), "three");
    doc.setNumber("n", 1.23456789012345);
    EXPECT_EQ(doc.getValue("n"), "1.234567890123");
    EXPECT_DOUBLE_EQ(doc.getNumber("n"), 1.234567890123);
    doc.setValue("b[3]", "end");  // past the end: the gap holds null
    EXPECT_EQ(doc.getJson("b"), R"([1,{"c":"three"},null,"end"])");
    doc.removeMember("b[0]");
    doc.removeMember("e");
    doc.removeMember("nothing.at.all");
    EXPECT_EQ(doc.toJson(),
              R"({"a":"it's \\n","b":[null,{"c":"three"},null,"end"],"n":1.234567890123})");
    doc.clear();
    EXPECT_EQ(doc.toJson(), "{}");
}

TEST(JsonDocument, ArraysAndElements) {
    JsonDocument doc;
    doc.push("x");  // the root becomes an array
    doc.push("{\"k\":1}", "", true);
    doc.push("{bad", "", true);  // refused
    EXPECT_EQ(doc.toJson(), R"(["x",{"k":1}])");
    EXPECT_EQ(doc.getElementValue(1, "", true), R"({"k":1})");
    EXPECT_EQ(doc.getElementValue(0), "x");
    EXPECT_EQ(doc.getElementValue(7), "");
    EXPECT_EQ(doc.getElement(1).getValue("k"), "1");
    doc.setElement(0, "y");
    doc.setElement(2, "true", true);
    EXPECT_EQ(doc.toJson(), R"(["y",{"k":1},true])");
    doc.removeElement(-1);  // from the end, as splice counts
    doc.removeElement(9);
    EXPECT_EQ(doc.toJson(), R"(["y",{"k":1}])");
    doc.removeElement(0);
    EXPECT_EQ(doc.toJson(), R"([{"k":1}])");

    doc.reset(JsonDocument::kObject);
    doc.push("a", "list");
    doc.push("b", "list");
    EXPECT_EQ(doc.toJson(), R"({"list":["a","b"]})");
    doc.reset(JsonDocument::kArray);
    EXPECT_EQ(doc.toJson(), "[]");
    doc.reset(JsonDocument::kString);  // other kinds change nothing
    EXPECT_EQ(doc.toJson(), "[]");
}

TEST(JsonDocument, MemberNamesRootAndCopies) {
    JsonDocument doc;
    ASSERT_TRUE(doc.parse(R"({"b":1,"toJSONString":2,"a,c":{"x":[5,6]}})"));
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(doc.memberNames(names), 3);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "toJSONString", "a,c"}));
    EXPECT_EQ(doc.memberNames(names, "nothing"), 0);
    EXPECT_TRUE(names.empty());

    JsonDocument part;
    ASSERT_TRUE(part.parse(R"({"x":[5,6]})"));
    EXPECT_EQ(part.memberNames(names, "x"), 2);
    EXPECT_EQ(names, (std::vector<std::string>{"0", "1"}));
    JsonDocument copy = part.getObject("x");
    copy.setElement(0, "changed");
    EXPECT_EQ(part.getValue("x[0]"), "5");
    EXPECT_EQ(part.getObject("missing").toJson(), "null");

    doc.setRoot("plain text");
    EXPECT_EQ(doc.toJson(), "\"plain text\"");
    doc.setRoot("[1]", true);
    EXPECT_EQ(doc.toJson(), "[1]");
    doc.setRoot("[1", true);
    EXPECT_EQ(doc.toJson(), "[1]");
}

TEST(JsonDocument, GetNumber) {
    JsonDocument doc;
    ASSERT_TRUE(doc.parse(R"({"n":2.5,"s":" 12.5 ","t":true,"w":"abc","z":null})"));
    EXPECT_DOUBLE_EQ(doc.getNumber("n"), 2.5);
    EXPECT_DOUBLE_EQ(doc.getNumber("s"), 12.5);
    EXPECT_DOUBLE_EQ(doc.getNumber("t"), -1);
    EXPECT_DOUBLE_EQ(doc.getNumber("w"), 0);
    EXPECT_DOUBLE_EQ(doc.getNumber("z"), 0);
    EXPECT_DOUBLE_EQ(doc.getNumber("q.r"), 0);
}

TEST(JsonDocument, ScriptNumberForms) {
    JsonDocument doc;
    ASSERT_TRUE(doc.parse("[0.1,1e21,1e20,1.5e-7,0.000001,-0.0,100000.0,123456789012345678]"));
    EXPECT_EQ(doc.toJson(),
              "[0.1,1e+21,100000000000000000000,1.5e-7,0.000001,0,100000,123456789012345678]");
}

TEST(FormatNumber13g, Forms) {
    EXPECT_EQ(formatNumber13g(39), "39");
    EXPECT_EQ(formatNumber13g(1e13), "1e+013");
    EXPECT_EQ(formatNumber13g(-2.5e-20), "-2.5e-020");
    EXPECT_EQ(formatNumber13g(1e300), "1e+300");
    EXPECT_EQ(formatNumber13g(9999999999999), "9999999999999");
}

}  // namespace
}  // namespace quillet
