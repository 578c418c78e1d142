#include "download/download_library.h"

#include "platform/ansi_text.h"
#include "platform/library.h"
#include "platform/text.h"
#include "platform/version_info.h"
#include "run/run_description.h"

namespace download {
namespace {
const uint16_t kLibraryFailureMask = 0x8000;
// The simulator's mark in its version resource.
const wchar_t kSimulatorKey[] = L"Simulator";
const char kSimulatorValue[] = "yes";
} // namespace

DownloadLibrary::~DownloadLibrary() {
    Free();
}

bool DownloadLibrary::Load() {
    if (IsBound()) {
        return true;
    }
    m_hDownloadLib = platform::LoadLibrarySafely(L"Vardel.dll", {L"Ostrel.dll"});
    if (m_hDownloadLib == nullptr) {
        m_dwLoadError = GetLastError();
        return false;
    }
    m_pfnGetCOMsStatus =
        platform::GetEntryPoint<PFN_GetCOMsStatus>(m_hDownloadLib, "GetCOMsStatus");
    m_pfnInitDownload = platform::GetEntryPoint<PFN_InitDownload>(m_hDownloadLib, "InitDownload");
    m_pfnStartDownload =
        platform::GetEntryPoint<PFN_StartDownload>(m_hDownloadLib, "StartDownload");
    m_pfnAbortDownload =
        platform::GetEntryPoint<PFN_AbortDownload>(m_hDownloadLib, "AbortDownload");
    m_pfnGetDownloadStatus =
        platform::GetEntryPoint<PFN_GetDownloadStatus>(m_hDownloadLib, "GetDownloadStatus");
    // A library without all five entry points is not the one we can drive.
    if (!m_pfnGetCOMsStatus || !m_pfnInitDownload || !m_pfnStartDownload || !m_pfnAbortDownload ||
        !m_pfnGetDownloadStatus) {
        m_dwLoadError = ERROR_PROC_NOT_FOUND;
        Free();
        return false;
    }
    // The file of this very module, not whatever a name would find now.
    m_strPath = platform::ModulePath(m_hDownloadLib);
    return true;
}

bool DownloadLibrary::Bind(uint16_t& portMask) {
    if (!Load()) {
        return false;
    }
    portMask = ReadPortMask();
    if (portMask == kLibraryFailureMask) {
        Free(); // it cannot work: nothing may call it any more
        return false;
    }
    return true;
}

void DownloadLibrary::Free() {
    if (m_hDownloadLib != nullptr && !m_bLibraryBusy) {
        FreeLibrary(m_hDownloadLib);
    }
    m_hDownloadLib = nullptr;
    m_pfnGetCOMsStatus = nullptr;
    m_pfnInitDownload = nullptr;
    m_pfnStartDownload = nullptr;
    m_pfnAbortDownload = nullptr;
    m_pfnGetDownloadStatus = nullptr;
    m_strPath.clear();
    m_simulator.reset();
}

bool DownloadLibrary::IsSimulator() const {
    if (!m_simulator) {
        m_simulator = !m_strPath.empty() &&
                      platform::VersionInfo(m_strPath).Value(kSimulatorKey) == kSimulatorValue;
    }
    return *m_simulator;
}

uint16_t DownloadLibrary::ReadPortMask() const {
    return m_pfnGetCOMsStatus ? static_cast<uint16_t>(m_pfnGetCOMsStatus() & 0xFFFF) : 0;
}

int32_t DownloadLibrary::InitDownloadFor(const DownloadSettings& settings,
                                         const std::string& libraryPath) const {
    std::vector<char> path =
        run::LibraryBuffer(platform::ToAnsi(libraryPath), vardel_api::kPathBufferChars);
    std::vector<char> initText =
        run::LibraryBuffer(platform::ToAnsi(settings.m_nTarget == 0 ? settings.m_strPrimaryInit
                                                                    : settings.m_strRedundantInit),
                           vardel_api::kInitTextBufferChars);
    return m_pfnInitDownload(
        path.data(), initText.data(), settings.m_nPort,
        run::TargetAndAddress(settings.m_nTarget, settings.m_nCpmAddress), settings.m_nBaudRate,
        static_cast<uint8_t>(settings.m_nDataBits), static_cast<uint8_t>(settings.m_nStopBits),
        static_cast<uint8_t>(settings.m_nParity), static_cast<uint8_t>(settings.m_nRetry));
}

} // namespace download
