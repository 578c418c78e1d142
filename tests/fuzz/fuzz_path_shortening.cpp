// The file field's shortened path, for any path and any field width.
#include "fields/path_shortening.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const int width = data[0] * 4; // 0..1020 pixels
    const int charWidth = 1 + data[1] % 16;
    const std::string path(reinterpret_cast<const char*>(data + 2), size - 2);
    const auto extent = [charWidth](const std::string& text) {
        return static_cast<int>(text.size()) * charWidth;
    };
    const std::string shown = fields::ShortenFilePath(path, width, extent);
    // What is shown is the path itself or "..." standing for leading folders,
    // and always ends with the same file name.
    const size_t slash = path.rfind('\\');
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    if (shown.size() < fileName.size() ||
        shown.compare(shown.size() - fileName.size(), fileName.size(), fileName) != 0) {
        std::abort();
    }
    if (shown != path && shown.find("...") == std::string::npos) {
        std::abort();
    }
    if (static_cast<int>(path.size()) * charWidth * 3 / 4 <= width && shown != path) {
        std::abort(); // a path that fits is never shortened
    }
    return 0;
}
