#include "settings/download_settings.h"

#include <cctype>
#include <climits>

namespace settings {
namespace {

const char* const kParityNames[] = {"NONE", "ODD", "EVEN"};
const char* const kTargetNames[] = {"PRIMARY", "REDUNDANT"};
const int kBaudRates[] = {2400, 4800, 9600, 14400, 19200, 38400, 57600};

// Position of text in names, counted the way the stored value is defined: a
// text that matches no name yields the count of names (an invalid value).
template <size_t N> int NameIndex(const std::string& text, const char* const (&names)[N]) {
    int index = 0;
    while (index < static_cast<int>(N) && text != names[index]) {
        ++index;
    }
    return index;
}

// The values as stored, before validation.
struct StoredValues {
    int cpmAddress;
    std::string primaryInit;
    std::string redundantInit;
    std::string port;
    int baudRate;
    std::string parity;
    int dataBits;
    int stopBits;
    std::string target;
};

} // namespace

bool IsValidCpmAddress(int address, int downloadMode) {
    if (address == kBroadcastAddress) {
        return downloadMode == 0;
    }
    return address >= 0 && address <= 127;
}

bool IsValidBaudRate(int baudRate) {
    for (int rate : kBaudRates) {
        if (rate == baudRate) {
            return true;
        }
    }
    return false;
}

int ParsePortName(const std::string& text) {
    if (text.compare(0, 3, "COM") != 0) {
        return 0;
    }
    size_t i = 3;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    bool anyDigit = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        anyDigit = true;
        if (value < INT_MAX) { // saturate: a huge number is as invalid as 17
            value = value * 10 + (text[i] - '0');
        }
    }
    if (!anyDigit || negative || value < 1 || value > 16) {
        return 0;
    }
    return static_cast<int>(value);
}

std::string PortName(int port) {
    return "COM" + std::to_string(port);
}

bool IsPortUsable(uint16_t comPorts, int port) {
    return port >= 1 && port <= 16 && (comPorts & (1u << (port - 1))) != 0;
}

int LowestUsablePort(uint16_t comPorts) {
    int port = 1;
    while (port <= 16 && !IsPortUsable(comPorts, port)) {
        ++port;
    }
    return port; // 17 when none is set
}

// Out-of-range values give an empty name rather than reading past the table.
const char* ParityName(int parity) {
    return parity >= 0 && parity < 3 ? kParityNames[parity] : "";
}
const char* TargetName(int target) {
    return target >= 0 && target < 2 ? kTargetNames[target] : "";
}

int ReadSettings(DownloadSettings& s, ProfileStore& profile, uint16_t comPorts,
                 const std::string& commandLinePath, const PortNotAvailableNotice& notice) {
    StoredValues v;
    v.cpmAddress = profile.GetInt(kSection, "CPMADR", kMissingInt);
    v.primaryInit = profile.GetString(kSection, "PRIMARYINITSTRING", "");
    v.redundantInit = profile.GetString(kSection, "REDUNDANTINITSTRING", "");
    v.port = profile.GetString(kSection, "PORT", "");
    v.baudRate = profile.GetInt(kSection, "BAUDRATE", kMissingInt);
    v.parity = profile.GetString(kSection, "PARITY", "");
    v.dataBits = profile.GetInt(kSection, "DATABITS", kMissingInt);
    v.stopBits = profile.GetInt(kSection, "STOPBITS", kMissingInt);
    s.m_nRetry = profile.GetInt(kSection, "RETRY", 4);

    if (!commandLinePath.empty()) {
        s.m_strFilePath = commandLinePath;
    } else {
        s.m_strFilePath = profile.GetString(kSection, "FILENAME", "");
    }
    s.m_nDownloadMode = profile.GetInt(kSection, "DOWNLOADMODE", 1);
    v.target = profile.GetString(kSection, "TARGET", "");

    int port = v.port.empty() ? 0 : ParsePortName(v.port);
    if (port == 0) {
        return -1;
    }
    if (!IsPortUsable(comPorts, port)) {
        if (notice) {
            notice();
        }
        port = LowestUsablePort(comPorts);
    }
    s.m_nPort = port;

    if (!IsValidBaudRate(v.baudRate)) {
        return -1;
    }
    s.m_nBaudRate = v.baudRate;
    if (v.dataBits != 7 && v.dataBits != 8) {
        return -1;
    }
    s.m_nDataBits = v.dataBits;
    if (v.stopBits != 1 && v.stopBits != 2) {
        return -1;
    }
    s.m_nStopBits = v.stopBits;
    s.m_nParity = NameIndex(v.parity, kParityNames);
    if (s.m_nParity == 3) {
        return -1;
    }
    if (!IsValidCpmAddress(v.cpmAddress, s.m_nDownloadMode)) {
        return -1;
    }
    s.m_nCpmAddress = v.cpmAddress;
    if (v.primaryInit.empty()) {
        return -1;
    }
    s.m_strPrimaryInit = v.primaryInit;
    if (v.redundantInit.empty()) {
        return -1;
    }
    s.m_strRedundantInit = v.redundantInit;
    s.m_nTarget = NameIndex(v.target, kTargetNames);
    if (s.m_nTarget == 2) {
        return -1;
    }
    return 0;
}

void SetDefaultSettings(DownloadSettings& s) {
    s.m_nPort = 1;
    s.m_nBaudRate = 9600;
    s.m_nDataBits = 8;
    s.m_nStopBits = 1;
    s.m_nParity = 1;
    s.m_nCpmAddress = 1;
    s.m_strPrimaryInit = kDefaultPrimaryInit;
    s.m_strRedundantInit = kDefaultRedundantInit;
    s.m_strFilePath.clear();
    s.m_nTarget = 0;
}

bool WriteSettings(const DownloadSettings& s, ProfileStore& profile) {
    // Every key is tried, so a file that refuses one write keeps the rest.
    bool written = profile.WriteInt(kSection, "CPMADR", s.m_nCpmAddress);
    written &= profile.WriteString(kSection, "PRIMARYINITSTRING", s.m_strPrimaryInit);
    written &= profile.WriteString(kSection, "REDUNDANTINITSTRING", s.m_strRedundantInit);
    written &= profile.WriteString(kSection, "PORT", PortName(s.m_nPort));
    written &= profile.WriteInt(kSection, "BAUDRATE", s.m_nBaudRate);
    written &= profile.WriteString(kSection, "PARITY", ParityName(s.m_nParity));
    written &= profile.WriteInt(kSection, "DATABITS", s.m_nDataBits);
    written &= profile.WriteInt(kSection, "STOPBITS", s.m_nStopBits);
    written &= profile.WriteInt(kSection, "RETRY", s.m_nRetry);
    written &= profile.WriteString(kSection, "FILENAME", s.m_strFilePath);
    written &= profile.WriteString(kSection, "TARGET", TargetName(s.m_nTarget));
    return written;
}

} // namespace settings
