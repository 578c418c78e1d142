#include "settings/download_settings.h"

#include "memory_profile.h"

#include <gtest/gtest.h>

namespace {

const uint16_t kPorts1To4 = 0x000F;

MemoryProfile ValidProfile() {
    MemoryProfile p;
    p.Set("CPMADR", "5");
    p.Set("PRIMARYINITSTRING", "0xFD Adr 0x08 0x00 0x01 0xFF LRC");
    p.Set("REDUNDANTINITSTRING", "0xFD Adr 0x09 0x00 0x01 0xFF LRC");
    p.Set("PORT", "COM3");
    p.Set("BAUDRATE", "19200");
    p.Set("PARITY", "EVEN");
    p.Set("DATABITS", "7");
    p.Set("STOPBITS", "2");
    p.Set("RETRY", "3");
    p.Set("FILENAME", "C:\\fw\\main.fdl");
    p.Set("TARGET", "REDUNDANT");
    return p;
}

struct ReadResult {
    int result;
    int notices;
    DownloadSettings s;
};

ReadResult Read(MemoryProfile& p, uint16_t ports = kPorts1To4, const std::string& cmd = "") {
    ReadResult r{0, 0, {}};
    r.result = settings::ReadSettings(r.s, p, ports, cmd, [&r] { ++r.notices; });
    return r;
}

TEST(ReadSettings, ValidRecordIsTakenWhole) {
    MemoryProfile p = ValidProfile();
    ReadResult r = Read(p);
    ASSERT_EQ(r.result, 0);
    EXPECT_EQ(r.notices, 0);
    EXPECT_EQ(r.s.m_nCpmAddress, 5);
    EXPECT_EQ(r.s.m_nPort, 3);
    EXPECT_EQ(r.s.m_nBaudRate, 19200);
    EXPECT_EQ(r.s.m_nParity, 2);
    EXPECT_EQ(r.s.m_nDataBits, 7);
    EXPECT_EQ(r.s.m_nStopBits, 2);
    EXPECT_EQ(r.s.m_nRetry, 3);
    EXPECT_EQ(r.s.m_nTarget, 1);
    EXPECT_EQ(r.s.m_nDownloadMode, 1);
    EXPECT_EQ(r.s.m_strFilePath, "C:\\fw\\main.fdl");
    EXPECT_EQ(r.s.m_strRedundantInit, "0xFD Adr 0x09 0x00 0x01 0xFF LRC");
    EXPECT_EQ(p.writes, 11); // only the set-up's writes: reading writes nothing
}

struct KeyCase {
    const char* key;
    const char* value; // nullptr: key missing
    int expected;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.key << "=" << (c.value ? c.value : "(missing)");
}

class ReadSettingsKey : public testing::TestWithParam<KeyCase> {};

TEST_P(ReadSettingsKey, AcceptsOrRejects) {
    MemoryProfile p = ValidProfile();
    const KeyCase& c = GetParam();
    MemoryProfile edited;
    // Rebuild the record with the one key changed or left out.
    for (const char* key :
         {"CPMADR", "PRIMARYINITSTRING", "REDUNDANTINITSTRING", "PORT", "BAUDRATE", "PARITY",
          "DATABITS", "STOPBITS", "RETRY", "FILENAME", "TARGET"}) {
        if (std::string(key) != c.key) {
            edited.Set(key, p.GetString("DOWNLOAD", key, ""));
        } else if (c.value) {
            edited.Set(key, c.value);
        }
    }
    if (std::string(c.key) == "DOWNLOADMODE" && c.value) {
        edited.Set("DOWNLOADMODE", c.value);
    }
    EXPECT_EQ(Read(edited).result, c.expected) << c.key << "=" << (c.value ? c.value : "(missing)");
}

INSTANTIATE_TEST_SUITE_P(
    EveryKey, ReadSettingsKey,
    testing::Values(
        KeyCase{"CPMADR", "0", 0}, KeyCase{"CPMADR", "127", 0}, KeyCase{"CPMADR", "128", -1},
        KeyCase{"CPMADR", "-1", -1}, KeyCase{"CPMADR", "255", -1}, KeyCase{"CPMADR", nullptr, -1},
        KeyCase{"PRIMARYINITSTRING", "", -1}, KeyCase{"PRIMARYINITSTRING", nullptr, -1},
        KeyCase{"PRIMARYINITSTRING", "x", 0}, KeyCase{"REDUNDANTINITSTRING", "", -1},
        KeyCase{"PORT", "COM 3", 0}, KeyCase{"PORT", "COM+3", 0}, KeyCase{"PORT", "COM3 extra", 0},
        KeyCase{"PORT", "com3", -1}, KeyCase{"PORT", "3", -1}, KeyCase{"PORT", "COM17", -1},
        KeyCase{"PORT", "COM0", -1}, KeyCase{"PORT", "COM-3", -1}, KeyCase{"PORT", "COM", -1},
        KeyCase{"PORT", "COM99999999999999999999", -1}, KeyCase{"PORT", nullptr, -1},
        KeyCase{"BAUDRATE", "2400", 0}, KeyCase{"BAUDRATE", "4800", 0},
        KeyCase{"BAUDRATE", "9600", 0}, KeyCase{"BAUDRATE", "14400", 0},
        KeyCase{"BAUDRATE", "38400", 0}, KeyCase{"BAUDRATE", "57600", 0},
        KeyCase{"BAUDRATE", "115200", -1}, KeyCase{"BAUDRATE", "9601", -1},
        KeyCase{"BAUDRATE", nullptr, -1}, KeyCase{"PARITY", "NONE", 0}, KeyCase{"PARITY", "ODD", 0},
        KeyCase{"PARITY", "odd", -1}, KeyCase{"PARITY", "MARK", -1}, KeyCase{"PARITY", nullptr, -1},
        KeyCase{"DATABITS", "8", 0}, KeyCase{"DATABITS", "6", -1}, KeyCase{"DATABITS", "9", -1},
        KeyCase{"DATABITS", nullptr, -1}, KeyCase{"STOPBITS", "1", 0}, KeyCase{"STOPBITS", "0", -1},
        KeyCase{"STOPBITS", "3", -1}, KeyCase{"STOPBITS", nullptr, -1}, KeyCase{"RETRY", "0", 0},
        KeyCase{"RETRY", "-7", 0}, KeyCase{"RETRY", nullptr, 0}, KeyCase{"FILENAME", nullptr, 0},
        KeyCase{"TARGET", "PRIMARY", 0}, KeyCase{"TARGET", "Primary", -1},
        KeyCase{"TARGET", "", -1}, KeyCase{"TARGET", nullptr, -1}));

TEST(ReadSettings, NamesGiveTheirPositionAsValue) {
    const std::pair<const char*, int> parities[] = {{"NONE", 0}, {"ODD", 1}, {"EVEN", 2}};
    for (auto [name, value] : parities) {
        MemoryProfile p = ValidProfile();
        p.Set("PARITY", name);
        EXPECT_EQ(Read(p).s.m_nParity, value) << name;
    }
    MemoryProfile p = ValidProfile();
    p.Set("TARGET", "PRIMARY");
    EXPECT_EQ(Read(p).s.m_nTarget, 0);
}

TEST(ReadSettings, BroadcastAddressOnlyInDownloadModeZero) {
    const std::pair<const char*, int> cases[] = {{"0", 0}, {"1", -1}, {"7", -1}};
    for (auto [mode, expected] : cases) {
        MemoryProfile p = ValidProfile();
        p.Set("CPMADR", "255");
        p.Set("DOWNLOADMODE", mode);
        ReadResult r = Read(p);
        EXPECT_EQ(r.result, expected) << "DOWNLOADMODE=" << mode;
        EXPECT_EQ(r.s.m_nDownloadMode, std::stoi(mode));
    }
}

TEST(ReadSettings, UnusablePortFallsBackToLowestUsableWithOneNotice) {
    struct Case {
        uint16_t mask;
        int expectedPort;
    };
    for (Case c : {Case{0x0012, 2}, Case{0x8000, 16}, Case{0x0000, 17}}) {
        MemoryProfile p = ValidProfile(); // stored COM3
        ReadResult r = Read(p, c.mask);
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.notices, 1);
        EXPECT_EQ(r.s.m_nPort, c.expectedPort) << std::hex << c.mask;
    }
}

TEST(ReadSettings, NoticeComesBeforeALaterFailure) {
    MemoryProfile p = ValidProfile();
    p.Set("BAUDRATE", "115200");
    ReadResult r = Read(p, 0x0012);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.notices, 1);
    EXPECT_EQ(r.s.m_nPort, 2);
}

TEST(ReadSettings, MissingFileFailsAtThePortWithoutNotice) {
    MemoryProfile empty;
    ReadResult r = Read(empty, 0);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.notices, 0);
    EXPECT_EQ(r.s.m_nRetry, 4);
    EXPECT_EQ(r.s.m_nDownloadMode, 1);
}

TEST(ReadSettings, CommandLinePathReplacesFileName) {
    MemoryProfile p = ValidProfile();
    EXPECT_EQ(Read(p, kPorts1To4, "D:\\new.fdl").s.m_strFilePath, "D:\\new.fdl");
    EXPECT_EQ(Read(p, kPorts1To4, "").s.m_strFilePath, "C:\\fw\\main.fdl");
}

TEST(SetDefaultSettings, KeepsRetryAndDownloadModeOfAFailedRead) {
    MemoryProfile p = ValidProfile();
    p.Set("RETRY", "7");
    p.Set("DOWNLOADMODE", "0");
    p.Set("BAUDRATE", "115200");
    ReadResult r = Read(p);
    ASSERT_EQ(r.result, -1);
    settings::SetDefaultSettings(r.s);
    EXPECT_EQ(r.s.m_nRetry, 7);
    EXPECT_EQ(r.s.m_nDownloadMode, 0);
    EXPECT_EQ(r.s.m_nPort, 1);
    EXPECT_EQ(r.s.m_nBaudRate, 9600);
    EXPECT_EQ(r.s.m_nParity, 1);
    EXPECT_EQ(r.s.m_nCpmAddress, 1);
    EXPECT_EQ(r.s.m_nTarget, 0);
    EXPECT_EQ(r.s.m_strFilePath, "");
}

TEST(WriteSettings, DefaultRecordOnAnEmptyFileGivesTheKnownFile) {
    MemoryProfile file;
    DownloadSettings s;
    ASSERT_EQ(settings::ReadSettings(s, file, 1, "", nullptr), -1);
    settings::SetDefaultSettings(s);
    EXPECT_TRUE(settings::WriteSettings(s, file));
    EXPECT_EQ(file.Text(), "[DOWNLOAD]\n"
                           "CPMADR=1\n"
                           "PRIMARYINITSTRING=0xFD Adr 0x08 0x00 0x01 0xFF LRC\n"
                           "REDUNDANTINITSTRING=0xFD Adr 0x09 0x00 0x01 0xFF LRC\n"
                           "PORT=COM1\n"
                           "BAUDRATE=9600\n"
                           "PARITY=ODD\n"
                           "DATABITS=8\n"
                           "STOPBITS=1\n"
                           "RETRY=4\n"
                           "FILENAME=\n"
                           "TARGET=PRIMARY\n");
}

TEST(WriteSettings, KeepsAHandEditedDownloadModeAndRoundTrips) {
    MemoryProfile p = ValidProfile();
    p.Set("DOWNLOADMODE", "0");
    p.Set("CPMADR", "255");
    ReadResult r = Read(p);
    ASSERT_EQ(r.result, 0);
    r.s.m_nPort = 4;
    settings::WriteSettings(r.s, p);
    settings::WriteSettings(r.s, p);
    EXPECT_EQ(p.GetString("DOWNLOAD", "DOWNLOADMODE", "?"), "0");
    ReadResult again = Read(p);
    EXPECT_EQ(again.result, 0);
    EXPECT_EQ(again.s.m_nPort, 4);
    EXPECT_EQ(again.s.m_nCpmAddress, 255);
    EXPECT_EQ(again.s.m_strFilePath, r.s.m_strFilePath);

    // A file that refuses the writes says so and keeps what it held.
    p.readOnly = true;
    const std::string before = p.Text();
    r.s.m_nPort = 5;
    EXPECT_FALSE(settings::WriteSettings(r.s, p));
    EXPECT_EQ(p.Text(), before);
}

// Values far longer than any buffer of the library: read whole, written whole.
TEST(ReadSettings, LongValuesAreTakenAndWrittenWhole) {
    struct Case {
        const char* key;
        std::string value;
        std::string commandLine;
    };
    const std::string path5000 = "C:\\" + std::string(4987, 'd') + "\\main.fdl";
    const std::string path10000 = "C:\\" + std::string(9987, 'c') + "\\main.fdl";
    const Case cases[] = {
        {"FILENAME", path5000, ""},
        {"FILENAME", "C:\\fw\\main.fdl", path10000},
        {"PRIMARYINITSTRING", "0xFD Adr" + std::string(600, ' ') + "LRC", ""},
        {"REDUNDANTINITSTRING", "0xFD Adr" + std::string(1200, ' ') + "LRC", ""},
    };
    for (const Case& c : cases) {
        MemoryProfile p = ValidProfile();
        p.Set(c.key, c.value);
        ReadResult r = Read(p, kPorts1To4, c.commandLine);
        ASSERT_EQ(r.result, 0) << c.key;
        MemoryProfile written;
        settings::WriteSettings(r.s, written);
        const std::string expected = c.commandLine.empty() ? c.value : c.commandLine;
        EXPECT_TRUE(written.GetString("DOWNLOAD", c.key, "") == expected) << c.key;
    }
}

TEST(SettingsHelpers, LowestUsablePort) {
    EXPECT_EQ(settings::LowestUsablePort(0x0001), 1);
    EXPECT_EQ(settings::LowestUsablePort(0x0014), 3);
    EXPECT_EQ(settings::LowestUsablePort(0x8000), 16);
    EXPECT_EQ(settings::LowestUsablePort(0x0000), 17);
}

} // namespace
