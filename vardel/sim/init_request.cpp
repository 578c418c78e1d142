#include "sim/init_request.h"

#include "sim/codes.h"
#include "sim/sim_config.h"
#include "sim/words.h"

#include <cctype>

namespace vardel {
namespace {

bool IsByteToken(const std::string& word) {
    if (word.size() < 3 || word.size() > 4 || word[0] != '0' ||
        (word[1] != 'x' && word[1] != 'X')) {
        return false;
    }
    for (size_t i = 2; i < word.size(); ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(word[i]))) {
            return false;
        }
    }
    return true;
}

bool PortUsable(int32_t port, uint32_t portMask) {
    return port >= 1 && port <= 16 && (portMask & (1u << (port - 1))) != 0;
}

bool AddressValid(int32_t targetAndAddress) {
    const int address = targetAndAddress & 0xFF;
    const int32_t target = targetAndAddress >> 8;
    return (target == 0 || target == 1) && (address <= 127 || address == 255);
}

} // namespace

std::optional<size_t> InitTelegramBytes(const std::string& initText) {
    const std::vector<std::string> words = SplitWords(initText);
    for (const std::string& word : words) {
        if (!IsByteToken(word) && word != "Adr" && word != "LRC") {
            return std::nullopt;
        }
    }
    if (words.empty()) {
        return std::nullopt;
    }
    return words.size();
}

int32_t CheckInitRequest(const InitRequest& request, const SimConfig& config) {
    const LineSettings& line = config.line;
    if (!PortUsable(request.port, config.portMask)) {
        return code::kWrongPort;
    }
    if (!AddressValid(request.targetAndAddress)) {
        return code::kWrongAddress;
    }
    if (request.baudRate != line.baudRate) {
        return code::kWrongBaudRate;
    }
    if (request.dataBits != line.dataBits) {
        return code::kWrongDataBits;
    }
    if (request.stopBits != line.stopBits) {
        return code::kWrongStopBits;
    }
    if (request.parity != static_cast<uint8_t>(line.parity)) {
        return code::kWrongParity;
    }
    if (!InitTelegramBytes(request.initText)) {
        return code::kWrongInitString;
    }
    return 0;
}

} // namespace vardel
