// The JSON stream: pure ASCII, and every event a line a real parser reads back.
#include "script/json_text.h"

#include <gtest/gtest.h>

#include <cmath>

#ifdef TAVRO_JSON_PARSER_MISSING
TEST(JsonText, StringsInPureAscii) {
    GTEST_SKIP() << TAVRO_JSON_PARSER_MISSING;
}
#else
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json; // equal only with the keys in the same order

bool PureAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c > 0 && c < 0x7F; });
}

TEST(JsonText, StringsInPureAscii) {
    struct Row {
        std::string utf8, json, back; // back: what a reader gets; "": utf8 itself
    };
    const Row rows[] = {
        {"é Łódź 中", R"("\u00e9 \u0141\u00f3d\u017a \u4e2d")", ""},
        {"\xF0\x9F\x98\x80", R"("\ud83d\ude00")", ""}, // beyond U+FFFF: two halves
        {"a\"b\\c/\n\r\t\b\f\x01\x1f\x7f", R"("a\"b\\c/\n\r\t\b\f\u0001\u001f\u007f")", ""},
        {"C:\\fw\xFF.fdl", R"("C:\\fw\ufffd.fdl")", "C:\\fw\uFFFD.fdl"},
        {"\xE0\x80\xAF", R"("\ufffd\ufffd\ufffd")", "\uFFFD\uFFFD\uFFFD"}, // overlong '/'
        {"\xED\xA0\x80", R"("\ufffd\ufffd\ufffd")", "\uFFFD\uFFFD\uFFFD"}, // a UTF-16 half
        {"x\xE4\xB8", R"("x\ufffd\ufffd")", "x\uFFFD\uFFFD"},              // cut short
    };
    for (const Row& row : rows) {
        const std::string json = script::JsonString(row.utf8);
        EXPECT_TRUE(PureAscii(json)) << json;
        EXPECT_EQ(json, row.json);
        EXPECT_EQ(Json::parse(json), row.back.empty() ? row.utf8 : row.back) << json;
    }
    // Numbers: seconds to a tenth as the record has them; what is none is left out.
    script::JsonObject object;
    object.Add("code", -217).Add("size", uint64_t{4294967296}).AddTenths("seconds", 45.6);
    object.AddTenths("short", 0.04).AddTenths("nan", std::nan("")).AddTenths("inf", HUGE_VAL);
    EXPECT_EQ(object.AddIfKnown("empty", "").Text(),
              R"({"code":-217,"size":4294967296,"seconds":45.6,"short":0.0})");
}

} // namespace
#endif
