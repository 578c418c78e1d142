#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vardel {

struct SimConfig;

// The arguments of one InitDownload call.
struct InitRequest {
    std::string path;
    std::string initText;
    int32_t port = 0;
    int32_t targetAndAddress = 0;
    int32_t baudRate = 0;
    uint8_t dataBits = 0;
    uint8_t stopBits = 0;
    uint8_t parity = 0;
    uint8_t retry = 0;

    int Target() const { return (targetAndAddress >> 8) & 0xFF; }
    int Address() const { return targetAndAddress & 0xFF; }
};

// Length in bytes of the init telegram that the text describes: blank-separated
// bytes "0xNN", "Adr" (the CPM address) and "LRC" (the check byte). Nothing
// when the text is not such a sequence.
std::optional<size_t> InitTelegramBytes(const std::string& initText);

// The checks of the port, the address, the line and the init text, in this
// order: the first failing one's code (-1 .. -7), or 0.
int32_t CheckInitRequest(const InitRequest& request, const SimConfig& config);

} // namespace vardel
