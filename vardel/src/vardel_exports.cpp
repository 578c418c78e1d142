// Stand-in Vardel.dll: a simulated CPM, for development and tests. The maker's
// Vardel.dll and Ostrel.dll replace it to flash real devices.
#include "download/library_api.h"
#include "ostrel.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

// Configuration file: VARDEL_CONFIG, else Vardel.ini beside this DLL.
std::string ConfigPath() {
    char buffer[MAX_PATH * 2] = {};
    if (GetEnvironmentVariableA("VARDEL_CONFIG", buffer, sizeof buffer) > 0) {
        return buffer;
    }
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ConfigPath), &self);
    GetModuleFileNameA(self, buffer, sizeof buffer);
    std::string path = buffer;
    return path.substr(0, path.find_last_of('\\') + 1) + "Vardel.ini";
}

long ConfigNumber(const char* key, long defaultValue) {
    char text[64] = {};
    GetPrivateProfileStringA("Vardel", key, "", text, sizeof text, ConfigPath().c_str());
    if (text[0] == '\0') {
        return defaultValue;
    }
    return std::strtol(text, nullptr, 0);
}

ULONGLONG g_startTick = 0;
bool g_aborted = false;

} // namespace

extern "C" {

int32_t VARDEL_API_CALL GetCOMsStatus(void) {
    return static_cast<int32_t>(ConfigNumber("PortMask", 0x0001));
}

int32_t VARDEL_API_CALL InitDownload(char*, char*, int32_t, int32_t, int32_t, uint8_t, uint8_t,
                                     uint8_t, uint8_t) {
    if (OstrelVersion() != 0x0202) {
        return -702;
    }
    return 1;
}

int32_t VARDEL_API_CALL StartDownload(int32_t) {
    g_startTick = GetTickCount64();
    g_aborted = false;
    return 0;
}

int32_t VARDEL_API_CALL AbortDownload(int32_t) {
    g_aborted = true;
    return 0;
}

int64_t VARDEL_API_CALL GetDownloadStatus(int32_t) {
    if (g_aborted) {
        return download::PackDownloadStatus(-701, 7);
    }
    const ULONGLONG elapsed = GetTickCount64() - g_startTick;
    const int32_t status = elapsed >= 5000 ? 500 : static_cast<int32_t>(elapsed / 10);
    return download::PackDownloadStatus(status, status >= 500 ? 7 : 5);
}
}
