#pragma once

#include <functional>
#include <string>

namespace fields {

// Pixel extent of a text as the file field would draw it.
using TextExtent = std::function<int(const std::string& text)>;

// The file path as the file field shows it: unchanged when it fits, otherwise
// with leading folders replaced by "..." behind the drive or server, one
// folder at a time, until it fits or only the file name is left. Widths are
// extents scaled by 3/4.
std::string ShortenFilePath(const std::string& path, int availableWidth, const TextExtent& extent);

} // namespace fields
