// Any file the user points the file dialog at: its header is read for the
// preview whatever it holds.
#include "firmware/header_reader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> lines =
        firmware::ReadHeaderLines(std::string_view(reinterpret_cast<const char*>(data), size));
    if (lines.size() > static_cast<size_t>(firmware::kMaxHeaderLines)) {
        std::abort();
    }
    size_t total = 0;
    for (const std::string& line : lines) {
        if (line.size() > firmware::kMaxHeaderLineLength || (!line.empty() && line[0] == ':') ||
            line.find('\n') != std::string::npos) {
            std::abort();
        }
        total += line.size();
    }
    if (total > size) {
        std::abort(); // nothing is shown that the file does not hold
    }
    const std::string text = firmware::HeaderDisplayText(lines);
    if (lines.empty() != (text == "-- no info --")) {
        std::abort();
    }
    return 0;
}
