#include "sim/line_settings.h"

#include "sim/ini_text.h"

namespace vardel {

int BitsPerCharacter(const LineSettings& line) {
    return 1 + line.dataBits + (line.parity == Parity::None ? 0 : 1) + line.stopBits;
}

double CharacterSeconds(const LineSettings& line) {
    return static_cast<double>(BitsPerCharacter(line)) / line.baudRate;
}

std::optional<Parity> ParseParity(const std::string& text) {
    const char* names[] = {"NONE", "ODD", "EVEN"};
    for (int i = 0; i < 3; ++i) {
        if (EqualNoCase(text, names[i])) {
            return static_cast<Parity>(i);
        }
    }
    const std::optional<int64_t> number = ParseCNumber(text);
    if (number && *number >= 0 && *number <= 2) {
        return static_cast<Parity>(*number);
    }
    return std::nullopt;
}

} // namespace vardel
