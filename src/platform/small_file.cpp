#include "platform/small_file.h"

#include <windows.h>

namespace platform {
namespace {

HANDLE OpenForReading(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Up to count bytes from where the file stands; fewer at its end. Nothing
// when a read fails.
std::optional<std::string> ReadUpTo(HANDLE file, size_t count) {
    std::string bytes(count, '\0');
    size_t done = 0;
    DWORD read = 1;
    while (done < count && read > 0) {
        if (!ReadFile(file, &bytes[done], static_cast<DWORD>(count - done), &read, nullptr)) {
            return std::nullopt;
        }
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

} // namespace

std::optional<std::string> ReadSmallFile(const std::wstring& path, uint64_t maxBytes) {
    const HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) <= maxBytes) {
        text = ReadUpTo(file, static_cast<size_t>(size.QuadPart));
        if (text && text->size() != static_cast<size_t>(size.QuadPart)) {
            text.reset(); // cut short while it was read
        }
    }
    CloseHandle(file);
    return text;
}

std::optional<std::string> ReadFileStart(const std::wstring& path, std::size_t maxBytes) {
    const HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::optional<std::string> start = ReadUpTo(file, maxBytes);
    CloseHandle(file);
    return start;
}

} // namespace platform
