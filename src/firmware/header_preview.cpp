#include "firmware/header_preview.h"

#include "firmware/firmware_path.h"
#include "firmware/header_reader.h"

namespace firmware {
namespace {
const char* const kNoDownloadFile = "-- no download file --";
} // namespace

std::optional<std::string> PreviewTextOf(const std::string& path, const ReadFileStart& read) {
    if (!IsFirmwareFilePath(path)) {
        return std::string(kNoDownloadFile);
    }
    const std::optional<std::string> start = read(path, kMaxHeaderBytes);
    if (!start) {
        return std::nullopt;
    }
    return HeaderDisplayText(ReadHeaderLines(*start));
}

} // namespace firmware
