// Vardel.dll SIMULATOR: a stand-in for the maker's download library, with a
// simulated CPM behind it, for development and tests. The maker's Vardel.dll
// and Ostrel.dll replace this pair to flash real devices.
#include "config_file.h"
#include "ostrel.h"
#include "sim/byte_source.h"
#include "sim/simulator.h"
#include "vardel_api/exports.h"
#include "worker.h"

#include <type_traits>
#include <windows.h>

namespace {

vardel::Simulator& Library() {
    static vardel::Simulator simulator(vardel::OpenFileSource);
    return simulator;
}

// Read at every GetCOMsStatus and InitDownload: tests change it between calls.
vardel::SimConfig Config() {
    return vardel::ReadSimConfig(vardelwin::ReadConfigText());
}

} // namespace

extern "C" {

int32_t VARDEL_API_CALL GetCOMsStatus(void) {
    const vardel::SimConfig config = Config();
    const int32_t mask = Library().GetCOMsStatus(config);
    Sleep(static_cast<DWORD>(config.scanDelayMs));
    return mask;
}

int32_t VARDEL_API_CALL InitDownload(char* path, char* initText, int32_t port,
                                     int32_t targetAndAddress, int32_t baudRate, uint8_t dataBits,
                                     uint8_t stopBits, uint8_t parity, uint8_t retry) {
    const vardel::InitRequest request{path ? path : "",
                                      initText ? initText : "",
                                      port,
                                      targetAndAddress,
                                      baudRate,
                                      dataBits,
                                      stopBits,
                                      parity,
                                      retry};
    const vardel::SimConfig config = Config();
    const int32_t result = Library().InitDownload(request, config, OstrelVersion());
    Sleep(static_cast<DWORD>(config.initDelayMs));
    return result;
}

int32_t VARDEL_API_CALL StartDownload(int32_t handle) {
    const vardel::Simulator::Started started = Library().StartDownload(handle);
    if (started.run && !vardelwin::StartWorker(started.run)) {
        started.run->Unclaim();
    }
    return started.result;
}

int32_t VARDEL_API_CALL AbortDownload(int32_t handle) {
    return Library().AbortDownload(handle);
}

int64_t VARDEL_API_CALL GetDownloadStatus(int32_t handle) {
    const vardel_api::DownloadStatus status = Library().GetDownloadStatus(handle);
    return vardel_api::PackDownloadStatus(status.status, status.phase);
}
}

// The exports must keep the ABI that the program binds.
static_assert(std::is_same<decltype(&GetCOMsStatus), PFN_GetCOMsStatus>::value, "GetCOMsStatus");
static_assert(std::is_same<decltype(&InitDownload), PFN_InitDownload>::value, "InitDownload");
static_assert(std::is_same<decltype(&StartDownload), PFN_StartDownload>::value, "StartDownload");
static_assert(std::is_same<decltype(&AbortDownload), PFN_AbortDownload>::value, "AbortDownload");
static_assert(std::is_same<decltype(&GetDownloadStatus), PFN_GetDownloadStatus>::value,
              "GetDownloadStatus");
