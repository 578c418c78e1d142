#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A whole small file as bytes, read while others may go on writing it;
// nothing when it cannot be read or holds more than maxBytes.
std::optional<std::string> ReadSmallFile(const std::wstring& path, uint64_t maxBytes);

} // namespace platform
