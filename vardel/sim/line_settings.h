#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vardel {

enum class Parity : uint8_t { None = 0, Odd = 1, Even = 2 };

// The character format of the serial line. The simulated CPMs speak exactly
// one; a request for any other is refused at InitDownload.
struct LineSettings {
    int32_t baudRate = 9600;
    int dataBits = 8;
    int stopBits = 1;
    Parity parity = Parity::Odd;
};

// Start bit, data bits, parity bit and stop bits: 11 for 8 data bits, odd
// parity and one stop bit.
int BitsPerCharacter(const LineSettings& line);

// Seconds one character occupies on the line.
double CharacterSeconds(const LineSettings& line);

// "NONE", "ODD", "EVEN" in any case, or their numbers 0, 1, 2.
std::optional<Parity> ParseParity(const std::string& text);

} // namespace vardel
