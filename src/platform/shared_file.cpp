#include "platform/shared_file.h"

namespace platform {

DWORD AppendToSharedFile(const std::wstring& path, const std::string& header,
                         const std::string& text, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (;;) {
        file = CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            break;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
            GetTickCount64() >= deadline) {
            return error;
        }
        Sleep(20);
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    const std::string bytes = size.QuadPart == 0 ? header + text : text;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (ok && written != bytes.size()) {
        error = ERROR_WRITE_FAULT;
    }
    CloseHandle(file);
    return error;
}

} // namespace platform
