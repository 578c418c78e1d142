#include "platform/int_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(ParseIntegerText, WholeFieldMustBeANumber) {
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"  42  ", true, 42},
        {"\t-17", true, -17},
        {"+5", true, 5},
        {"", false, 0},
        {" ", false, 0},
        {"-", false, 0},
        {"4 2", false, 0},
        {"0x10", false, 0},
        {"12abc", false, 0},
        {"1.5", false, 0},
        // Beyond the int range: saturated, so range checks still reject it.
        {"99999999999999999999", true, INT_MAX},
        {"-99999999999999999999", true, INT_MIN},
        {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},
    };
    for (const Case& c : cases) {
        int value = -1;
        EXPECT_EQ(platform::ParseIntegerText(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        }
    }
}

} // namespace
