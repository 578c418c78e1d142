#pragma once

#include <optional>
#include <string>

namespace firmware {

// What the preview window shows for a path (UTF-8): the file's header, "-- no
// info --" when it has none, or "-- no download file --" when the path does
// not name a firmware file. Nothing when the file cannot be opened, so the
// preview keeps showing what it showed before.
std::optional<std::string> PreviewTextOf(const std::string& path);

} // namespace firmware
