#include "platform/system_info.h"

#include "platform/library.h"
#include "platform/text.h"

#include <shellapi.h>

namespace platform {

std::string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? Narrow(name) : std::string();
}

std::string UserName() {
    wchar_t name[256 + 1] = {}; // UNLEN
    DWORD size = 256 + 1;
    return GetUserNameW(name, &size) ? Narrow(name) : std::string();
}

std::string FullPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(length < size ? length : 0);
    return full.empty() ? path : Narrow(full);
}

std::optional<std::vector<std::string>> SplitCommandLine(const std::string& arguments) {
    // A start without arguments (the usual one, from Explorer) does not load
    // shell32 before the first window.
    if (arguments.find_first_not_of(" \t") == std::string::npos) {
        return std::vector<std::string>{};
    }
    // The first argument follows the rules of a program name: a stand-in takes
    // its place, so that the real first argument gets the rules of arguments.
    const std::wstring line = L"x " + Widen(arguments);
    int count = 0;
    static const auto splitter = TAVRO_SYSTEM_FUNCTION(L"shell32.dll", CommandLineToArgvW);
    LPWSTR* split = splitter ? splitter(line.c_str(), &count) : nullptr;
    if (split == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i) {
        result.push_back(Narrow(split[i]));
    }
    LocalFree(split);
    return result;
}

std::optional<std::chrono::milliseconds> HungAppTimeout() {
    UINT timeout = 0;
    if (!SystemParametersInfoW(SPI_GETHUNGAPPTIMEOUT, 0, &timeout, 0)) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(timeout);
}

} // namespace platform
