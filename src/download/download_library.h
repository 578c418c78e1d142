#pragma once

#include "settings/download_settings.h"
#include "vardel_api/exports.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace download {

// The download library (Vardel.dll) loaded from the program's folder, with
// its five entry points bound by plain name. The entry points are plain
// members: they are the binding, and tests time the calls through them.
class DownloadLibrary {
public:
    DownloadLibrary() = default;
    ~DownloadLibrary();
    DownloadLibrary(const DownloadLibrary&) = delete;
    DownloadLibrary& operator=(const DownloadLibrary&) = delete;

    // Loads the library and binds all five entry points, calling none of
    // them. false when the library is missing or
    // lacks one of them; LoadError() then has the system's error code.
    bool Load();
    // Load(), then reads the port mask. false when that fails too, or the
    // library reports its own failure in the mask: the program cannot work
    // with it.
    bool Bind(uint16_t& portMask);
    bool IsBound() const { return m_pfnGetCOMsStatus != nullptr; }
    void Free();
    DWORD LoadError() const { return m_dwLoadError; }
    // The file the library was loaded from.
    std::wstring Path() const { return m_strPath; }
    // Whether that file says in its version resource that it is the
    // simulator, which flashes nothing. Read when first asked: the window
    // needs it only for its first record line.
    bool IsSimulator() const;
    // The ports the library can use now, bit n-1 for COM n; 0 when unbound.
    uint16_t ReadPortMask() const;
    // The library never confirmed the end of a run: its worker may still run,
    // so it must not be unloaded under it.
    void KeepLoaded() { m_bLibraryBusy = true; }

    // InitDownload for the checked settings; libraryPath is the firmware
    // file's path as the library can open it. A handle or an error code.
    int32_t InitDownloadFor(const DownloadSettings& settings, const std::string& libraryPath) const;

    HMODULE m_hDownloadLib = nullptr;
    PFN_GetCOMsStatus m_pfnGetCOMsStatus = nullptr;
    PFN_InitDownload m_pfnInitDownload = nullptr;
    PFN_StartDownload m_pfnStartDownload = nullptr;
    PFN_AbortDownload m_pfnAbortDownload = nullptr;
    PFN_GetDownloadStatus m_pfnGetDownloadStatus = nullptr;

private:
    bool m_bLibraryBusy = false;
    DWORD m_dwLoadError = ERROR_SUCCESS;
    std::wstring m_strPath;
    mutable std::optional<bool> m_simulator; // not read yet
};

} // namespace download
