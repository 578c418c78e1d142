#include "sim/init_request.h"
#include "sim_test_support.h"
#include "sim/line_settings.h"
#include "sim/sim_config.h"

#include <gtest/gtest.h>

namespace {

using vardel::InitRequest;

const char* const kPrimaryInit = "0xFD Adr 0x08 0x00 0x01 0xFF LRC";

struct TelegramCase {
    const char* text;
    size_t bytes; // 0: refused
};

void PrintTo(const TelegramCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class InitTelegram : public testing::TestWithParam<TelegramCase> {};

TEST_P(InitTelegram, IsBytesAdrAndLrcSeparatedByBlanks) {
    const std::optional<size_t> bytes = vardel::InitTelegramBytes(GetParam().text);
    EXPECT_EQ(bytes.value_or(0), GetParam().bytes) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, InitTelegram,
    testing::Values(TelegramCase{kPrimaryInit, 7},
                    TelegramCase{"0xFD Adr 0x09 0x00 0x01 0xFF LRC", 7}, TelegramCase{"0xfd", 1},
                    TelegramCase{"0XA", 1}, TelegramCase{"  0xFD\tAdr  LRC ", 3},
                    TelegramCase{"0xFD\nAdr\r\v\fLRC\n", 3}, TelegramCase{"LRC Adr", 2},
                    TelegramCase{"", 0}, TelegramCase{"   ", 0}, TelegramCase{"p", 0},
                    TelegramCase{"0xFD adr LRC", 0}, TelegramCase{"0xFD Adr lrc", 0},
                    TelegramCase{"0xFDD", 0}, TelegramCase{"0x", 0}, TelegramCase{"FD", 0},
                    TelegramCase{"0xG1", 0}, TelegramCase{"0xFD,Adr", 0}, TelegramCase{"1xFD", 0}));

struct CheckCase {
    const char* name;
    std::function<void(InitRequest&)> change;
    int32_t code;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

class InitCheck : public testing::TestWithParam<CheckCase> {};

TEST_P(InitCheck, RefusesWhatTheCpmDoesNotSpeak) {
    const vardel::SimConfig config = vardel::ReadSimConfig("[Vardel]\nPortMask=0x0005\n");
    InitRequest request = DefaultRequest();
    GetParam().change(request);
    EXPECT_EQ(vardel::CheckInitRequest(request, config), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, InitCheck,
    testing::Values(CheckCase{"Valid", [](InitRequest&) {}, 0},
                    CheckCase{"PortThreeInMask", [](InitRequest& r) { r.port = 3; }, 0},
                    CheckCase{"Broadcast", [](InitRequest& r) { r.targetAndAddress = 255; }, 0},
                    CheckCase{"Address127", [](InitRequest& r) { r.targetAndAddress = 127; }, 0},
                    CheckCase{"Redundant", [](InitRequest& r) { r.targetAndAddress = 0x105; }, 0},
                    CheckCase{"RedundantBroadcast",
                              [](InitRequest& r) { r.targetAndAddress = 511; }, 0},
                    CheckCase{"PortZero", [](InitRequest& r) { r.port = 0; }, -1},
                    CheckCase{"PortTwoNotInMask", [](InitRequest& r) { r.port = 2; }, -1},
                    CheckCase{"Port17", [](InitRequest& r) { r.port = 17; }, -1},
                    CheckCase{"PortNegative", [](InitRequest& r) { r.port = -1; }, -1},
                    CheckCase{"Address128", [](InitRequest& r) { r.targetAndAddress = 128; }, -2},
                    CheckCase{"Address254", [](InitRequest& r) { r.targetAndAddress = 254; }, -2},
                    CheckCase{"TargetTwo", [](InitRequest& r) { r.targetAndAddress = 0x201; }, -2},
                    CheckCase{"Negative", [](InitRequest& r) { r.targetAndAddress = -1; }, -2},
                    CheckCase{"Baud19200", [](InitRequest& r) { r.baudRate = 19200; }, -3},
                    CheckCase{"Baud0", [](InitRequest& r) { r.baudRate = 0; }, -3},
                    CheckCase{"DataBits7", [](InitRequest& r) { r.dataBits = 7; }, -4},
                    CheckCase{"StopBits2", [](InitRequest& r) { r.stopBits = 2; }, -5},
                    CheckCase{"ParityNone", [](InitRequest& r) { r.parity = 0; }, -6},
                    CheckCase{"ParityEven", [](InitRequest& r) { r.parity = 2; }, -6},
                    CheckCase{"ParityThree", [](InitRequest& r) { r.parity = 3; }, -6},
                    CheckCase{"InitTextOfWords", [](InitRequest& r) { r.initText = "p"; }, -7},
                    CheckCase{"InitTextEmpty", [](InitRequest& r) { r.initText = ""; }, -7},
                    // The first failing check in the order port, address, line, init text.
                    CheckCase{"PortBeforeAddress",
                              [](InitRequest& r) {
                                  r.port = 2;
                                  r.targetAndAddress = 200;
                              },
                              -1},
                    CheckCase{"AddressBeforeLine",
                              [](InitRequest& r) {
                                  r.targetAndAddress = 200;
                                  r.baudRate = 4800;
                              },
                              -2},
                    CheckCase{"LineBeforeInitText",
                              [](InitRequest& r) {
                                  r.parity = 0;
                                  r.initText = "";
                              },
                              -6}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(InitCheck, FollowsTheConfiguredLine) {
    const vardel::SimConfig config =
        vardel::ReadSimConfig("[Line]\nBaudRate=19200\nDataBits=7\nStopBits=2\nParity=NONE\n");
    InitRequest request = DefaultRequest();
    EXPECT_EQ(vardel::CheckInitRequest(request, config), -3);
    request.baudRate = 19200;
    EXPECT_EQ(vardel::CheckInitRequest(request, config), -4);
    request.dataBits = 7;
    EXPECT_EQ(vardel::CheckInitRequest(request, config), -5);
    request.stopBits = 2;
    EXPECT_EQ(vardel::CheckInitRequest(request, config), -6);
    request.parity = 0;
    EXPECT_EQ(vardel::CheckInitRequest(request, config), 0);
}

struct LineCase {
    int dataBits;
    vardel::Parity parity;
    int stopBits;
    int bits;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.dataBits << " data bits, parity " << static_cast<int>(c.parity) << ", " << c.stopBits
        << " stop bits";
}

class CharacterBits : public testing::TestWithParam<LineCase> {};

TEST_P(CharacterBits, AreStartDataParityAndStop) {
    vardel::LineSettings line;
    line.dataBits = GetParam().dataBits;
    line.parity = GetParam().parity;
    line.stopBits = GetParam().stopBits;
    EXPECT_EQ(vardel::BitsPerCharacter(line), GetParam().bits);
}

INSTANTIATE_TEST_SUITE_P(Lines, CharacterBits,
                         testing::Values(LineCase{8, vardel::Parity::Odd, 1, 11},
                                         LineCase{8, vardel::Parity::None, 1, 10},
                                         LineCase{8, vardel::Parity::Even, 2, 12},
                                         LineCase{7, vardel::Parity::Even, 1, 10},
                                         LineCase{5, vardel::Parity::None, 1, 7}));

TEST(CharacterBits, NamesAndNumbersOfParity) {
    EXPECT_EQ(vardel::ParseParity("ODD"), vardel::Parity::Odd);
    EXPECT_EQ(vardel::ParseParity("none"), vardel::Parity::None);
    EXPECT_EQ(vardel::ParseParity("2"), vardel::Parity::Even);
    EXPECT_FALSE(vardel::ParseParity("3"));
    EXPECT_FALSE(vardel::ParseParity("MARK"));
}

} // namespace
