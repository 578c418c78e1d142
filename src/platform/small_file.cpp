#include "platform/small_file.h"

#include <windows.h>

namespace platform {

std::optional<std::string> ReadSmallFile(const std::wstring& path, uint64_t maxBytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) <= maxBytes) {
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        DWORD read = 1;
        while (
            done < bytes.size() && read > 0 &&
            ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &read, nullptr)) {
            done += read;
        }
        if (done == bytes.size()) {
            text = std::move(bytes);
        }
    }
    CloseHandle(file);
    return text;
}

} // namespace platform
