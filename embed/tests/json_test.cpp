// The strict JSON reader: what it accepts, how it decodes, and what it refuses.
#include <gtest/gtest.h>

#include <string>

#include "json.h"

namespace {

using ovem::JsonValue;
using ovem::parseJson;

TEST(EmJson, ReadsNestedValues) {
    auto v = parseJson(R"( {"a": [1, -2.5e1, 0.125, true, false, null], "b": {"c": "d"}} )");
    ASSERT_TRUE(v);
    ASSERT_TRUE(v->isObject());
    const JsonValue* a = v->find("a");
    ASSERT_TRUE(a && a->isArray());
    ASSERT_EQ(a->array().size(), 6u);
    EXPECT_EQ(a->array()[0].number(), 1.0);
    EXPECT_EQ(a->array()[1].number(), -25.0);
    EXPECT_EQ(a->array()[2].number(), 0.125);
    EXPECT_EQ(a->array()[3].type(), JsonValue::Type::kBool);
    EXPECT_EQ(a->array()[5].type(), JsonValue::Type::kNull);
    const JsonValue* b = v->find("b");
    ASSERT_TRUE(b && b->find("c"));
    EXPECT_EQ(b->find("c")->string(), "d");
    EXPECT_EQ(v->find("missing"), nullptr);
    EXPECT_EQ(a->find("a"), nullptr);  // not an object
}

TEST(EmJson, DecodesEscapesAndUtf8) {
    auto v = parseJson(R"(["\"\\\/\b\f\n\r\t", "\u00e9\u20ac", "\ud83d\ude00", "é"])");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->array()[0].string(), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(v->array()[1].string(), "\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(v->array()[2].string(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(v->array()[3].string(), "\xC3\xA9");
}

TEST(EmJson, ReadsEmptyContainersAndScalars) {
    EXPECT_TRUE(parseJson("[]"));
    EXPECT_TRUE(parseJson("{}"));
    EXPECT_TRUE(parseJson(" 0 "));
    EXPECT_TRUE(parseJson("-0.0e+0"));
    EXPECT_TRUE(parseJson("\"\""));
}

TEST(EmJson, RefusesWhatStrictJsonForbids) {
    const char* bad[] = {
        "",
        " ",
        "[1,]",
        "{\"a\":1,}",
        "[01]",
        "[1.]",
        "[.5]",
        "[+1]",
        "[1e]",
        "[-]",
        "[NaN]",
        "[Infinity]",
        "[1e400]",
        "[tru]",
        "[nulll]",
        "[1] [2]",
        "[1] x",
        "{a:1}",
        "{'a':1}",
        "{\"a\" 1}",
        "{\"a\":}",
        "[\"a\nb\"]",
        "[\"\\x\"]",
        "[\"\\u12\"]",
        "[\"\\ud800\"]",
        "[\"\\udc00\"]",
        "[\"\\ud800\\u0041\"]",
        "// c\n[]",
        "[1 2]",
        "{\"a\":1 \"b\":2}",
        "{\"a\":1,\"a\":2}",
        "[\"unterminated",
        "[",
        "{",
        "]",
    };
    for (const char* text : bad) EXPECT_FALSE(parseJson(text)) << text;
}

TEST(EmJson, RefusesInvalidUtf8) {
    const std::string bad[] = {
        "[\"\x80\"]",              // stray continuation byte
        "[\"\xC3\"]",              // cut sequence
        "[\"\xC0\xAF\"]",          // overlong '/'
        "[\"\xED\xA0\x80\"]",      // encoded surrogate
        "[\"\xF4\x90\x80\x80\"]",  // above U+10FFFF
        "[\"\xFF\"]",
        std::string("[\"a\0b\"]", 7),  // control character inside a string
    };
    for (const std::string& text : bad) EXPECT_FALSE(parseJson(text)) << text;
}

TEST(EmJson, BoundsNesting) {
    std::string ok(ovem::kMaxJsonDepth, '[');
    ok.append(ovem::kMaxJsonDepth, ']');
    EXPECT_TRUE(parseJson(ok));
    std::string deep(ovem::kMaxJsonDepth + 2, '[');
    deep.append(ovem::kMaxJsonDepth + 2, ']');
    EXPECT_FALSE(parseJson(deep));
    std::string huge(100000, '[');  // would overflow the stack without the bound
    EXPECT_FALSE(parseJson(huge));
}

}  // namespace
