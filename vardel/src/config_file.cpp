// Compiled into each DLL of the pair, so "this DLL" is the one it is in.
#include "config_file.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace vardelwin {
namespace {

std::string EnvironmentValue(const char* name) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length);
    }
}

std::string ModuleFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleFolder), &self);
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(self, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            const std::string path(buffer.data(), length);
            return path.substr(0, path.find_last_of("\\/") + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string ReadConfigText() {
    std::string path = EnvironmentValue("VARDEL_CONFIG");
    if (path.empty()) {
        path = ModuleFolder() + "Vardel.ini";
    }
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return text;
    }
    char chunk[4096];
    while (const size_t count = std::fread(chunk, 1, sizeof chunk, file)) {
        text.append(chunk, count);
    }
    std::fclose(file);
    return text;
}

} // namespace vardelwin
