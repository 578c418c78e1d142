#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct FileDigest {
    uint64_t size = 0;
    std::array<unsigned char, 32> sha256 = {};
};

// SHA-256 of a file's content, read in pieces, through the system's
// cryptography (CNG); nothing when the file cannot be read.
std::optional<FileDigest> Sha256OfFile(const std::wstring& path);
// The same of a file opened for reading, from where its file pointer is.
std::optional<FileDigest> Sha256OfOpenFile(HANDLE file);

} // namespace platform
