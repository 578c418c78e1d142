#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A whole small file as bytes, read while others may go on writing it;
// nothing when it cannot be read or holds more than maxBytes.
std::optional<std::string> ReadSmallFile(const std::wstring& path, uint64_t maxBytes);

// A file's first maxBytes (all of it when it is shorter), read while others
// may go on writing it; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileStart(const std::wstring& path, std::size_t maxBytes);

} // namespace platform
