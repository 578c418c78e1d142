#include "sim/sim_config.h"

#include "sim/decimal.h"
#include "sim/ini_text.h"
#include "sim/words.h"

#include <limits>

namespace vardel {
namespace {

const int kBroadcast = 255;

std::optional<int64_t> ReadNumber(const IniText& ini, const char* section, const char* key,
                                  int64_t low, int64_t high) {
    const std::optional<std::string> text = ini.Get(section, key);
    const std::optional<int64_t> number = text ? ParseCNumber(*text) : std::nullopt;
    if (number && *number >= low && *number <= high) {
        return number;
    }
    return std::nullopt;
}

template <typename T>
void ReadInt(const IniText& ini, const char* section, const char* key, int64_t low, int64_t high,
             T& value) {
    if (const std::optional<int64_t> number = ReadNumber(ini, section, key, low, high)) {
        value = static_cast<T>(*number);
    }
}

void ReadDouble(const IniText& ini, const char* section, const char* key, double& value) {
    if (const std::optional<std::string> text = ini.Get(section, key)) {
        const std::optional<double> number = ParseDecimal(*text);
        // Bounded so that a simulated second stays a representable real wait.
        if (number && *number >= 0.001 && *number <= 1e9) {
            value = *number;
        }
    }
}

// "1, 5 7" or "1-127": the addresses of one port, single or as ranges.
std::optional<std::set<int>> ParseAddresses(std::string text) {
    for (char& c : text) {
        if (c == ',') {
            c = ' ';
        }
    }
    std::set<int> addresses;
    for (const std::string& word : SplitWords(text)) {
        const size_t dash = word.find('-', 1);
        const std::optional<int64_t> low = ParseCNumber(word.substr(0, dash));
        const std::optional<int64_t> high =
            dash == std::string::npos ? low : ParseCNumber(word.substr(dash + 1));
        if (!low || !high || *low < 0 || *low > *high || *high > 127) {
            return std::nullopt;
        }
        for (int64_t address = *low; address <= *high; ++address) {
            addresses.insert(static_cast<int>(address));
        }
    }
    return addresses;
}

// Keys COM1..COM16; once one is given, only the listed CPMs answer.
void ReadAnswering(const IniText& ini, SimConfig& config) {
    std::map<int, std::set<int>> answering;
    bool any = false;
    for (const std::string& key : ini.Keys("CPM")) {
        if (key.size() <= 3 || !EqualNoCase(key.substr(0, 3), "COM")) {
            continue;
        }
        const int64_t port = ParseCNumber(key.substr(3)).value_or(0);
        const std::optional<std::set<int>> addresses = ParseAddresses(*ini.Get("CPM", key));
        if (port >= 1 && port <= 16 && addresses) {
            answering[static_cast<int>(port)] = *addresses;
            any = true;
        }
    }
    if (any) {
        config.answering = answering;
    }
}

void ReadLine(const IniText& ini, LineSettings& line) {
    ReadInt(ini, "Line", "BaudRate", 1, std::numeric_limits<int32_t>::max(), line.baudRate);
    ReadInt(ini, "Line", "DataBits", 5, 8, line.dataBits);
    ReadInt(ini, "Line", "StopBits", 1, 2, line.stopBits);
    if (const std::optional<std::string> text = ini.Get("Line", "Parity")) {
        if (const std::optional<Parity> parity = ParseParity(*text)) {
            line.parity = *parity;
        }
    }
}

void ReadFaults(const IniText& ini, SimConfig& config) {
    if (const auto code =
            ReadNumber(ini, "Fault", "InitError", std::numeric_limits<int32_t>::min(), -1)) {
        config.initError = static_cast<int32_t>(*code);
    }
    Fault fault;
    ReadInt(ini, "Fault", "Phase", 1, 7, fault.phase);
    ReadInt(ini, "Fault", "Condition", 1, 99, fault.condition);
    ReadInt(ini, "Fault", "Percent", 0, 100, fault.percent);
    ReadInt(ini, "Fault", "Failures", 0, 255, fault.failures);
    int stall = 0;
    ReadInt(ini, "Fault", "Stall", 0, 1, stall);
    fault.stall = stall != 0;
    if (fault.phase != 0 && (fault.condition != 0 || fault.stall)) {
        config.fault = fault;
    }
    int noAnswer = 0;
    ReadInt(ini, "Fault", "NoAnswer", 0, 1, noAnswer);
    int address = -1;
    ReadInt(ini, "Fault", "Address", 0, 255, address);
    if (address >= 0) {
        config.faultAddress = address;
    }
    if (const auto runs = ReadNumber(ini, "Fault", "Runs", 1, std::numeric_limits<int>::max())) {
        config.faultRuns = static_cast<int>(*runs);
    }
    config.noAnswer = noAnswer != 0;
}

void ReadScript(const IniText& ini, ScriptSettings& script) {
    if (const std::optional<std::string> text = ini.Get("Script", "Reads")) {
        if (const auto reads = ParseStatusPairs(*text)) {
            script.reads = *reads;
        }
    }
    if (const auto result =
            ReadNumber(ini, "Script", "InitResult", std::numeric_limits<int32_t>::min(),
                       std::numeric_limits<int32_t>::max())) {
        script.initResult = static_cast<int32_t>(*result);
    }
    if (const std::optional<std::string> text = ini.Get("Script", "AfterAbort")) {
        if (EqualNoCase(*text, "none")) {
            script.afterAbort.reset();
        } else if (const std::optional<DownloadStatus> pair = ParseStatusPair(*text)) {
            script.afterAbort = pair;
        }
    }
    ReadInt(ini, "Script", "AbortDelayReads", 0, std::numeric_limits<int>::max(),
            script.abortDelayReads);
}

} // namespace

bool SimConfig::Answers(int port, int address) const {
    const auto cpms = answering.find(port);
    if (cpms == answering.end()) {
        return false;
    }
    return address == kBroadcast ? !cpms->second.empty() : cpms->second.count(address) > 0;
}

bool SimConfig::FaultStrikes(int address, int run) const {
    return (!faultAddress || *faultAddress == address) && (!faultRuns || run <= *faultRuns);
}

SimConfig ReadSimConfig(const std::string& iniText) {
    const IniText ini = IniText::Parse(iniText);
    SimConfig config;
    // Any 32-bit pattern is handed to the program unchanged, signed or not.
    ReadInt(ini, "Vardel", "PortMask", std::numeric_limits<int32_t>::min(),
            std::numeric_limits<uint32_t>::max(), config.portMask);
    config.callLog = ini.Get("Vardel", "CallLog").value_or("");
    ReadDouble(ini, "Vardel", "SpeedFactor", config.speedFactor);
    ReadInt(ini, "Vardel", "ScanDelay", 0, 60000, config.scanDelayMs);
    ReadInt(ini, "Vardel", "InitDelay", 0, 60000, config.initDelayMs);
    ReadLine(ini, config.line);
    ReadAnswering(ini, config);
    ReadFaults(ini, config);
    ReadScript(ini, config.script);
    return config;
}

int32_t ReadOstrelVersion(const std::string& iniText) {
    int32_t version = kOstrelVersion;
    ReadInt(IniText::Parse(iniText), "Ostrel", "Version", 0, std::numeric_limits<int32_t>::max(),
            version);
    return version;
}

} // namespace vardel
