#include "sim/ini_text.h"
#include "sim/sim_config.h"

#include <gtest/gtest.h>

namespace {

using vardel::ParseCNumber;
using vardel::ReadSimConfig;
using vardel::SimConfig;

struct NumberCase {
    const char* text;
    bool valid;
    int64_t value;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class CNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(CNumber, ReadsLikeC) {
    const NumberCase& c = GetParam();
    const std::optional<int64_t> value = ParseCNumber(c.text);
    ASSERT_EQ(value.has_value(), c.valid) << c.text;
    if (c.valid) {
        EXPECT_EQ(*value, c.value) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, CNumber,
                         testing::Values(NumberCase{"5", true, 5}, NumberCase{"0x0005", true, 5},
                                         NumberCase{"0X1f", true, 31}, NumberCase{"010", true, 8},
                                         NumberCase{"-1", true, -1}, NumberCase{" 12 ", true, 12},
                                         NumberCase{"+7", true, 7},
                                         NumberCase{"0xFFFFFFFF", true, 0xFFFFFFFFll},
                                         NumberCase{"", false, 0}, NumberCase{"  ", false, 0},
                                         NumberCase{"abc", false, 0}, NumberCase{"5x", false, 0},
                                         NumberCase{"0x", false, 0}, NumberCase{"09", false, 0},
                                         NumberCase{"1 2", false, 0},
                                         NumberCase{"0xFFFFFFFFFFFFFFFFFF", false, 0}));

TEST(IniText, LooksUpLikeTheProfileFunctions) {
    const vardel::IniText ini = vardel::IniText::Parse("\xEF\xBB\xBF; comment\r\n"
                                                       "[vardel]\r\n"
                                                       "  PortMask = 0x0005  \r\n"
                                                       "portmask=7\r\n"
                                                       "# another comment\r\n"
                                                       "CallLog=\"C:\\logs\\calls.txt\"\r\n"
                                                       "not a key line\r\n"
                                                       "[ Line ]\n"
                                                       "Parity=EVEN\n"
                                                       "Empty=\n");
    EXPECT_EQ(ini.Get("Vardel", "PORTMASK"), "0x0005");
    EXPECT_EQ(ini.Get("VARDEL", "CallLog"), "C:\\logs\\calls.txt");
    EXPECT_EQ(ini.Get("Line", "parity"), "EVEN");
    EXPECT_EQ(ini.Get("Line", "Empty"), "");
    EXPECT_FALSE(ini.Get("Line", "PortMask"));
    EXPECT_FALSE(ini.Get("Vardel", "Parity"));
    EXPECT_EQ(ini.Keys("Vardel"), (std::vector<std::string>{"PortMask", "portmask", "CallLog"}));
}

TEST(SimConfig, DefaultsLetCpm1OnCom1DownloadAt9600_8_1_Odd) {
    const SimConfig config = ReadSimConfig("");
    EXPECT_EQ(config.portMask, 0x0001u);
    EXPECT_EQ(config.callLog, "");
    EXPECT_EQ(config.speedFactor, 1.0);
    EXPECT_EQ(config.line.baudRate, 9600);
    EXPECT_EQ(config.line.dataBits, 8);
    EXPECT_EQ(config.line.stopBits, 1);
    EXPECT_EQ(config.line.parity, vardel::Parity::Odd);
    EXPECT_TRUE(config.Answers(1, 1));
    EXPECT_FALSE(config.Answers(1, 2));
    EXPECT_FALSE(config.Answers(2, 1));
    EXPECT_FALSE(config.initError);
    EXPECT_FALSE(config.fault);
    EXPECT_FALSE(config.noAnswer);
    EXPECT_FALSE(config.script.Scripted());
    EXPECT_FALSE(config.script.initResult);
    ASSERT_TRUE(config.script.afterAbort);
    EXPECT_EQ(config.script.afterAbort->status, -701);
    EXPECT_EQ(config.script.afterAbort->phase, 7);
    EXPECT_EQ(config.script.abortDelayReads, 0);
    EXPECT_EQ(vardel::ReadOstrelVersion(""), 0x0202);
}

struct MaskCase {
    const char* value;
    uint32_t mask;
};

void PrintTo(const MaskCase& c, std::ostream* os) {
    *os << c.value;
}

class PortMask : public testing::TestWithParam<MaskCase> {};

// The program decides what a mask means; the library hands over any 32 bits.
TEST_P(PortMask, IsReturnedAsGiven) {
    const std::string text = std::string("[Vardel]\r\nPortMask=") + GetParam().value + "\r\n";
    EXPECT_EQ(ReadSimConfig(text).portMask, GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PortMask,
    testing::Values(MaskCase{"0x0005", 0x0005}, MaskCase{"0", 0}, MaskCase{"0x8000", 0x8000},
                    MaskCase{"0x7FFF8000", 0x7FFF8000}, MaskCase{"0x12340001", 0x12340001},
                    MaskCase{"0xFFFFFFFF", 0xFFFFFFFF}, MaskCase{"-1", 0xFFFFFFFF},
                    MaskCase{"15", 15}, MaskCase{"junk", 0x0001}, MaskCase{"0x100000000", 0x0001}));

TEST(SimConfig, ReadsEveryKey) {
    const SimConfig config = ReadSimConfig("[Vardel]\n"
                                           "PortMask=0x0005\n"
                                           "CallLog=C:\\temp\\vardel-calls.log\n"
                                           "SpeedFactor=250.5\n"
                                           "ScanDelay=300\n"
                                           "InitDelay=2000\n"
                                           "[Line]\n"
                                           "BaudRate=19200\n"
                                           "DataBits=7\n"
                                           "StopBits=2\n"
                                           "Parity=even\n"
                                           "[CPM]\n"
                                           "COM1=1, 5 7\n"
                                           "COM3=\n"
                                           "COM4=1-3, 9,12-12\n"
                                           "[Fault]\n"
                                           "Address=9\n"
                                           "InitError=-704\n"
                                           "Phase=3\n"
                                           "Condition=17\n"
                                           "Percent=40\n"
                                           "Failures=2\n"
                                           "NoAnswer=1\n"
                                           "Runs=2\n"
                                           "Stall=1\n"
                                           "[Script]\n"
                                           "Reads=0/9 3/0 250/5 499/6 500/7\n"
                                           "InitResult=-9\n"
                                           "AfterAbort=-105/1\n"
                                           "AbortDelayReads=3\n"
                                           "[Ostrel]\n"
                                           "Version=0x0201\n");
    EXPECT_EQ(config.portMask, 5u);
    EXPECT_EQ(config.callLog, "C:\\temp\\vardel-calls.log");
    EXPECT_EQ(config.speedFactor, 250.5);
    EXPECT_EQ(config.scanDelayMs, 300);
    EXPECT_EQ(config.initDelayMs, 2000);
    EXPECT_EQ(config.line.baudRate, 19200);
    EXPECT_EQ(config.line.dataBits, 7);
    EXPECT_EQ(config.line.stopBits, 2);
    EXPECT_EQ(config.line.parity, vardel::Parity::Even);
    EXPECT_EQ(config.answering,
              (std::map<int, std::set<int>>{{1, {1, 5, 7}}, {3, {}}, {4, {1, 2, 3, 9, 12}}}));
    EXPECT_EQ(config.faultAddress, 9);
    EXPECT_EQ(config.initError, -704);
    ASSERT_TRUE(config.fault);
    EXPECT_EQ(config.fault->Code(), -317);
    EXPECT_EQ(config.fault->percent, 40);
    EXPECT_EQ(config.fault->failures, 2);
    EXPECT_TRUE(config.fault->stall);
    EXPECT_EQ(config.faultRuns, 2);
    EXPECT_TRUE(config.noAnswer);
    ASSERT_EQ(config.script.reads.size(), 5u);
    EXPECT_EQ(config.script.reads[2].status, 250);
    EXPECT_EQ(config.script.reads[2].phase, 5);
    EXPECT_EQ(config.script.initResult, -9);
    EXPECT_EQ(config.script.afterAbort->status, -105);
    EXPECT_EQ(config.script.afterAbort->phase, 1);
    EXPECT_EQ(config.script.abortDelayReads, 3);
    EXPECT_EQ(vardel::ReadOstrelVersion("[Ostrel]\nVersion=0x0201\n"), 0x0201);
}

TEST(SimConfig, FaultWithoutFailuresIsPermanentAndAbortCanBeIgnored) {
    const SimConfig config = ReadSimConfig("[Fault]\nPhase=2\nCondition=5\n"
                                           "[Script]\nReads=100/5\nAfterAbort=none\n");
    ASSERT_TRUE(config.fault);
    EXPECT_EQ(config.fault->failures, vardel::Fault::kPermanent);
    EXPECT_EQ(config.fault->percent, 0);
    EXPECT_FALSE(config.fault->CuredBy(255));
    EXPECT_FALSE(config.script.afterAbort);
}

struct InvalidCase {
    const char* text;
    std::function<bool(const SimConfig&)> keptDefault;
};

void PrintTo(const InvalidCase& c, std::ostream* os) {
    *os << c.text;
}

class InvalidValue : public testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidValue, KeepsTheDefault) {
    EXPECT_TRUE(GetParam().keptDefault(ReadSimConfig(GetParam().text))) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, InvalidValue,
    testing::Values(
        InvalidCase{"[Line]\nDataBits=9", [](const SimConfig& c) { return c.line.dataBits == 8; }},
        InvalidCase{"[Line]\nStopBits=3", [](const SimConfig& c) { return c.line.stopBits == 1; }},
        InvalidCase{"[Line]\nBaudRate=0",
                    [](const SimConfig& c) { return c.line.baudRate == 9600; }},
        InvalidCase{"[Line]\nParity=MARK",
                    [](const SimConfig& c) { return c.line.parity == vardel::Parity::Odd; }},
        InvalidCase{"[Vardel]\nSpeedFactor=0",
                    [](const SimConfig& c) { return c.speedFactor == 1.0; }},
        InvalidCase{"[Vardel]\nSpeedFactor=fast",
                    [](const SimConfig& c) { return c.speedFactor == 1.0; }},
        InvalidCase{"[CPM]\nCOM17=1", [](const SimConfig& c) { return c.Answers(1, 1); }},
        InvalidCase{"[CPM]\nCOM2=1,200", [](const SimConfig& c) { return c.Answers(1, 1); }},
        InvalidCase{"[CPM]\nPort2=1", [](const SimConfig& c) { return c.Answers(1, 1); }},
        InvalidCase{"[CPM]\nCOM2=9-5", [](const SimConfig& c) { return c.Answers(1, 1); }},
        InvalidCase{"[CPM]\nCOM2=1-128", [](const SimConfig& c) { return c.Answers(1, 1); }},
        InvalidCase{"[Fault]\nAddress=256", [](const SimConfig& c) { return !c.faultAddress; }},
        InvalidCase{"[Fault]\nPhase=3", [](const SimConfig& c) { return !c.fault; }},
        InvalidCase{"[Fault]\nPhase=8\nCondition=1", [](const SimConfig& c) { return !c.fault; }},
        InvalidCase{"[Fault]\nPhase=3\nCondition=17\nPercent=101",
                    [](const SimConfig& c) { return c.fault && c.fault->percent == 0; }},
        InvalidCase{"[Fault]\nInitError=5", [](const SimConfig& c) { return !c.initError; }},
        InvalidCase{"[Fault]\nStall=1", [](const SimConfig& c) { return !c.fault; }},
        InvalidCase{"[Fault]\nPhase=3\nStall=2", [](const SimConfig& c) { return !c.fault; }},
        InvalidCase{"[Fault]\nRuns=0", [](const SimConfig& c) { return !c.faultRuns; }},
        InvalidCase{"[Script]\nReads=0/9 x",
                    [](const SimConfig& c) { return !c.script.Scripted(); }},
        InvalidCase{"[Script]\nInitResult=none",
                    [](const SimConfig& c) { return !c.script.initResult; }},
        InvalidCase{"[Script]\nAfterAbort=701",
                    [](const SimConfig& c) { return c.script.afterAbort->status == -701; }}));

struct FactorCase {
    const char* text;
    double factor; // 1: the default kept
};

void PrintTo(const FactorCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class SpeedFactor : public testing::TestWithParam<FactorCase> {};

// A decimal number as C++ streams read it, from 0.001 to 1e9.
TEST_P(SpeedFactor, IsADecimalNumberInRange) {
    const std::string text = std::string("[Vardel]\nSpeedFactor=") + GetParam().text;
    EXPECT_EQ(ReadSimConfig(text).speedFactor, GetParam().factor) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SpeedFactor,
    testing::Values(FactorCase{"1e3", 1000}, FactorCase{"+2.", 2}, FactorCase{".5", 0.5},
                    FactorCase{"2.5E-1", 0.25}, FactorCase{"0.001", 0.001}, FactorCase{"1e9", 1e9},
                    FactorCase{"0x10", 1}, FactorCase{"1e", 1}, FactorCase{"1e+", 1},
                    FactorCase{"inf", 1}, FactorCase{"nan", 1}, FactorCase{"1,5", 1},
                    FactorCase{"2 3", 1}, FactorCase{".", 1}, FactorCase{"1.5.2", 1},
                    FactorCase{"1e-4", 1}, FactorCase{"2e9", 1}, FactorCase{"1e400", 1},
                    FactorCase{"-5", 1}));

struct AnswerCase {
    int port;
    int address;
    bool answers;
};

void PrintTo(const AnswerCase& c, std::ostream* os) {
    *os << "COM" << c.port << " address " << c.address;
}

class Answering : public testing::TestWithParam<AnswerCase> {};

TEST_P(Answering, ListedCpmsAndBroadcastToAPortWithOne) {
    const SimConfig config = ReadSimConfig("[CPM]\nCOM2=5,7\nCOM4=\n");
    const AnswerCase& c = GetParam();
    EXPECT_EQ(config.Answers(c.port, c.address), c.answers) << c.port << " " << c.address;
}

INSTANTIATE_TEST_SUITE_P(Cpms, Answering,
                         testing::Values(AnswerCase{2, 5, true}, AnswerCase{2, 7, true},
                                         AnswerCase{2, 6, false}, AnswerCase{2, 255, true},
                                         AnswerCase{1, 1, false}, AnswerCase{4, 255, false},
                                         AnswerCase{3, 255, false}));

} // namespace
