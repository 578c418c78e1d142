#include "platform/string_table.h"
#include "run/error_messages.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

const platform::TextLookup kTable = platform::StringTableText;

TEST(ErrorMessages, PrefixRuleAtItsBorders) {
    struct Case {
        int code;
        int prefixId;
    };
    const Case cases[] = {{-1, 103},   {-9, 103},   {-118, 103}, {-617, 103}, {-699, 103},
                          {-700, 104}, {-701, 104}, {-704, 104}, {-705, 104}, {-65535, 104}};
    for (const Case& c : cases) {
        EXPECT_EQ(run::PrefixStringId(c.code), c.prefixId) << c.code;
    }
}

TEST(ErrorMessages, BoxFormKeepsThePrefixLineFeed) {
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {-9, "Download error !\nInit COM: Can not open fdl file. Check path and file name."},
        {-700, "Download init error! \nWrong Download ID."},
        {-704, "Download init error! \nError opening selected port for download."},
        {-105, "Download error !\nInit FDL: Transmission timout. CPM not responding."},
        {-217, "Download error !\nDel CPR: Could not erase CPR flash."},
        {-317, "Download error !\nProg CPR: Could not program data to CPR falsh."},
        {-413, "Download error !\nDel IOP: Unexpected telegram function key."},
        {-502, "Download error !\nProg IOP: UART parity."},
        {-617, "Download error !\nEnd FDL: Programming error."},
        // Codes without an entry: the prefix alone.
        {-118, "Download error !\n"},
        {-699, "Download error !\n"},
        {-701, "Download init error! \n"},
        {-8, "Download error !\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run::ErrorBoxText(c.code, kTable), c.text) << c.code;
    }
}

TEST(ErrorMessages, StatusFormBreaksTheLineWithCrLf) {
    EXPECT_EQ(run::ErrorStatusText(-9, kTable),
              "Download error !\r\nInit COM: Can not open fdl file. Check path and file name.");
    EXPECT_EQ(run::ErrorStatusText(-702, kTable),
              "Download init error! \r\nWrong Ostrel.dll version.");
    EXPECT_EQ(run::ErrorStatusText(-118, kTable), "Download error !\r\n");
    for (int code = -1; code >= -800; --code) {
        const std::string text = run::ErrorStatusText(code, kTable);
        const size_t lf = text.find('\n');
        ASSERT_NE(lf, std::string::npos) << code;
        EXPECT_EQ(text[lf - 1], '\r') << code;
        EXPECT_EQ(text.find('\n', lf + 1), std::string::npos) << code;
    }
}

TEST(ErrorMessages, EveryPhaseHasItsConditions) {
    // Conditions 1-7, 13 and 15 exist in phases 1-6, 17 in phases 2-6; each
    // entry names its phase.
    const char* const phaseNames[] = {"Init FDL", "Del CPR",  "Prog CPR",
                                      "Del IOP",  "Prog IOP", "End FDL"};
    for (int phase = 1; phase <= 6; ++phase) {
        for (int condition : {1, 2, 3, 4, 5, 6, 7, 13, 15, 17}) {
            const int code = -(100 * phase + condition);
            const std::string entry = kTable(run::EntryStringId(code));
            if (phase == 1 && condition == 17) {
                EXPECT_TRUE(entry.empty());
                continue;
            }
            EXPECT_EQ(entry.rfind(phaseNames[phase - 1], 0), 0u) << code << ": " << entry;
        }
    }
    for (int code : {-1, -2, -3, -4, -5, -6, -7, -9}) {
        EXPECT_EQ(kTable(run::EntryStringId(code)).rfind("Init COM: ", 0), 0u) << code;
    }
    EXPECT_TRUE(kTable(run::EntryStringId(-8)).empty());
    EXPECT_EQ(run::EntryStringId(-1), 65535);
    EXPECT_EQ(run::EntryStringId(-704), 64832);
}

// A misbehaving library may report any negative number. Outside the code
// table (-1 to -799) the low 16 bits of each of these rows name some other
// text of the program; none of them may be shown as the library's words.
TEST(ErrorMessages, CodesOutsideTheCodeTableHaveNoEntryText) {
    struct Case {
        int code;
        const char* box;
        const char* status;
    };
    const char* const initBox = "Download init error! \n";
    const char* const initStatus = "Download init error! \r\n";
    const Case cases[] = {
        {-3824, initBox, initStatus},  // "Please enter an integer."
        {-65429, initBox, initStatus}, // "No firmware file selected. "
        {-64810, initBox, initStatus}, // "INI file not found ... Default ini record was created."
        {-64791, initBox, initStatus}, // "Download not confirmed! ..."
        {-65428, initBox, initStatus}, // "Tavro Download"
        {-65433, initBox, initStatus}, // "Download error !\n"
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(kTable(run::EntryStringId(c.code)).empty()) << c.code;
        EXPECT_EQ(run::ErrorBoxText(c.code, kTable), c.box) << c.code;
        EXPECT_EQ(run::ErrorStatusText(c.code, kTable), c.status) << c.code;
    }
    for (int code : {-800, -1000000, INT_MIN}) {
        EXPECT_EQ(run::ErrorBoxText(code, kTable), initBox) << code;
        EXPECT_EQ(run::ErrorStatusText(code, kTable), initStatus) << code;
    }
}

} // namespace
