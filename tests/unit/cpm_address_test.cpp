#include "fields/cpm_address.h"
#include "platform/int_text.h"
#include "settings/download_settings.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// What the address field's text makes of the CPM address in a download mode:
// the address, or nothing when the field is not a number.
struct FieldCase {
    const char* text;
    bool empty;
    bool number;
    int value;
};

void ExpectField(const FieldCase& c) {
    EXPECT_EQ(fields::IsCpmAddressFieldEmpty(c.text), c.empty) << '"' << c.text << '"';
    int value = -99;
    EXPECT_EQ(platform::ParseIntegerText(c.text, value), c.number) << '"' << c.text << '"';
    if (c.number) {
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
}

TEST(CpmAddressField, EmptinessLooksAtTheFirstTwoCharacters) {
    const FieldCase cases[] = {
        {"", true, false, 0},      {" ", true, false, 0},
        {"  ", true, false, 0},    {"  5", true, true, 5}, // blanks first: empty, whatever follows
        {" 5", false, true, 5},    {"5 ", false, true, 5},
        {"12", false, true, 12},   {"255", false, true, 255},
        {"128", false, true, 128}, {"-3", false, true, -3},
        {"+7", false, true, 7},    {"abc", false, false, 0},
        {"1a", false, false, 0},   {"\xC3\xA4\xC3\xA4 5", false, false, 0}, // two non-ASCII letters
    };
    for (const FieldCase& c : cases) {
        ExpectField(c);
    }
}

// What plant PCs may put into the field: numbers beyond 32 bits, tabs,
// digits and blanks of other scripts.
TEST(CpmAddressField, BadInput) {
    const FieldCase cases[] = {
        {"\t 5", true, true, 5},
        // Would be 5 if the number wrapped around at 32 bits.
        {"4294967301", false, true, INT_MAX},
        {"-4294967291", false, true, INT_MIN},
        {"\xEF\xBC\x95", false, false, 0},                 // fullwidth digit five
        {"\xD9\xA5", false, false, 0},                     // Arabic-Indic digit five
        {"\xC2\xA0\x35", false, false, 0},                 // no-break space, 5
        {"\xE2\x80\x83\xE2\x80\x83\x35", false, false, 0}, // two em spaces, 5
    };
    for (const FieldCase& c : cases) {
        ExpectField(c);
    }
}

TEST(CpmAddressRule, BroadcastNeedsDownloadModeZero) {
    struct Case {
        int address, mode;
        bool valid;
    };
    const Case cases[] = {{0, 1, true},   {127, 1, true},    {128, 1, false},  {-1, 0, false},
                          {255, 0, true}, {255, 1, false},   {255, -5, false}, {254, 0, false},
                          {0, 0, true},   {-65535, 1, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(settings::IsValidCpmAddress(c.address, c.mode), c.valid)
            << c.address << " mode " << c.mode;
    }
}

} // namespace
