#include "fields/path_shortening.h"

namespace fields {
namespace {

int TextWidth(const TextExtent& extent, const std::string& text) {
    return static_cast<int>(static_cast<long long>(extent(text)) * 3 / 4);
}

// Splits the path into the part kept in front of "..." and the folders after it.
void SplitHead(const std::string& path, std::string& head, std::string& rest) {
    if (path.size() >= 2 && path[1] == ':') {
        head = path.substr(0, 2) + "\\";
        rest = path.substr(2);
    } else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const size_t found = path.find('\\', 2);
        // Without a further backslash the server part is just the first character.
        const size_t k = found == std::string::npos ? 1 : found;
        head = path.substr(0, k) + "\\";
        rest = path.substr(k);
    } else {
        head.clear();
        rest = path;
    }
}

} // namespace

std::string ShortenFilePath(const std::string& path, int availableWidth, const TextExtent& extent) {
    if (TextWidth(extent, path) <= availableWidth) {
        return path;
    }
    std::string head, rest;
    SplitHead(path, head, rest);
    head += "...";
    std::string display = path;
    for (;;) {
        const size_t slash = rest.find('\\');
        if (slash == std::string::npos) {
            return display;
        }
        rest.erase(0, slash + 1);
        display = head + "\\" + rest;
        if (TextWidth(extent, display) <= availableWidth) {
            return display;
        }
    }
}

} // namespace fields
