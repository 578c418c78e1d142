#include "firmware/firmware_path.h"

#include <cctype>

namespace firmware {
namespace {

const char kExtension[] = ".fdl";
const std::string::size_type kExtensionLength = sizeof kExtension - 1;

bool EqualsIgnoringCase(const std::string& text, std::string::size_type offset,
                        const char* expected, std::string::size_type length) {
    for (std::string::size_type i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[offset + i]);
        if (std::tolower(c) != static_cast<unsigned char>(expected[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

bool IsFirmwareFilePath(const std::string& path) {
    // Windows takes either slash between folders.
    const std::string::size_type slash = path.find_last_of("\\/");
    const std::string::size_type nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (path.size() - nameStart < kExtensionLength) {
        return false;
    }
    return EqualsIgnoringCase(path, path.size() - kExtensionLength, kExtension, kExtensionLength);
}

std::string InitialFolderOf(const std::string& filePath) {
    const std::string::size_type slash = filePath.rfind('\\');
    return slash == std::string::npos ? std::string() : filePath.substr(0, slash);
}

} // namespace firmware
