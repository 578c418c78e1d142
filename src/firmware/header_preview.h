#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace firmware {

// The first maxBytes of a file (fewer when it is shorter), or nothing when it
// cannot be opened. The platform's file reading.
using ReadFileStart =
    std::function<std::optional<std::string>(const std::string& path, std::size_t maxBytes)>;

// What the preview window shows for a path (UTF-8): the file's header, "-- no
// info --" when it has none, or "-- no download file --" when the path does
// not name a firmware file. Nothing when the file cannot be opened, so the
// preview keeps showing what it showed before.
std::optional<std::string> PreviewTextOf(const std::string& path, const ReadFileStart& read);

} // namespace firmware
