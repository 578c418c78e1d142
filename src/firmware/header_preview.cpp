#include "firmware/header_preview.h"

#include "firmware/firmware_path.h"
#include "firmware/header_reader.h"

#include <filesystem>
#include <fstream>

namespace firmware {
namespace {
const char* const kNoDownloadFile = "-- no download file --";
} // namespace

std::optional<std::string> PreviewTextOf(const std::string& path) {
    if (!IsFirmwareFilePath(path)) {
        return std::string(kNoDownloadFile);
    }
    // Through a filesystem path so that a UTF-8 name opens on Windows too.
    std::ifstream file(std::filesystem::u8path(path), std::ios::in | std::ios::binary);
    if (!file.is_open()) {
        return std::nullopt;
    }
    return HeaderDisplayText(ReadHeaderLines(file));
}

} // namespace firmware
