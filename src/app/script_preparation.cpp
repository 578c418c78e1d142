#include "app/script_preparation.h"

#include "fields/port_device.h"
#include "platform/ansi_text.h"
#include "platform/serial_devices.h"
#include "platform/profile_file.h"
#include "platform/string_table.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "platform/version_info.h"
#include "res/resource.h"
#include "script/approved_list.h"

namespace {

using platform::FormatText;
using platform::ResourceText;

PreparedRequest Refused(run::Outcome outcome, std::string why) {
    PreparedRequest refused;
    refused.refusal = outcome;
    refused.why = std::move(why);
    return refused;
}

// Told apart before any of the library's functions is called: a script
// written for a test bench never flashes a real CPM unnoticed. "": as asked.
std::optional<PreparedRequest> CheckLibraryKind(const script::Request& request,
                                                const download::DownloadLibrary& library) {
    const std::string path = platform::Narrow(library.Path());
    if (library.IsSimulator() && !request.simulate) {
        return Refused(run::Outcome::LibraryMissing,
                       FormatText(ResourceText(IDS_SIMULATOR_REFUSED), {path}));
    }
    if (!library.IsSimulator() && request.simulate) {
        return Refused(run::Outcome::Refused,
                       FormatText(ResourceText(IDS_SIMULATE_REFUSED), {path}));
    }
    return std::nullopt;
}

// The port, target, retry and addresses of the switches over the settings';
// why they cannot be used, "" when they can.
std::string ApplySwitches(const script::Request& request, uint16_t mask, bool portReplaced,
                          PreparedRequest& p) {
    DownloadSettings& s = p.settings;
    std::string refusal;
    if (request.port) {
        s.m_nPort = *request.port;
        if (!settings::IsPortUsable(mask, s.m_nPort)) {
            refusal =
                FormatText(ResourceText(IDS_SCRIPT_PORT_UNUSABLE), {std::to_string(s.m_nPort)});
        }
    } else if (mask == 0) {
        refusal = ResourceText(IDS_NO_PORT);
    } else if (portReplaced) { // a script must not quietly take another port
        refusal = ResourceText(IDS_SCRIPT_SETTINGS_PORT);
    }
    s.m_nTarget = request.target.value_or(s.m_nTarget);
    s.m_nRetry = request.retry.value_or(s.m_nRetry);
    p.addresses = request.addresses.empty() ? std::vector<int>{s.m_nCpmAddress} : request.addresses;
    for (int address : p.addresses) {
        if (refusal.empty() && !settings::IsValidCpmAddress(address, s.m_nDownloadMode)) {
            refusal = FormatText(ResourceText(IDS_SCRIPT_BAD_ADDRESS), {std::to_string(address)});
        }
    }
    return refusal;
}

// The versions, the port's device and the file: the same for every attempt.
void Describe(const download::DownloadLibrary& library, const download::HeldFirmware& firmware,
              PreparedRequest& p) {
    script::RunStart& start = p.start;
    start.program = platform::VersionInfo(platform::ModulePath()).Value(L"ProductVersion");
    start.library = platform::VersionInfo(library.Path()).FileVersion();
    const std::vector<fields::PortDevice> devices =
        fields::PortDevicesOf(platform::ListSerialDevices());
    if (const fields::PortDevice* device = fields::FindPortDevice(devices, p.settings.m_nPort)) {
        start.portName = device->name;
        start.portSerial = device->serial;
    }
    if (const std::optional<script::CheckedFile>& file = firmware.Checked()) {
        start.size = file->size;
        start.sha256 = file->sha256;
    }
}

} // namespace

PreparedRequest PrepareRequest(const script::Request& request, const std::string& settingsPath,
                               download::DownloadLibrary& library, download::HeldFirmware& firmware,
                               bool describe) {
    uint16_t mask = 0;
    const bool loaded = library.Load();
    if (loaded) {
        if (std::optional<PreparedRequest> refused = CheckLibraryKind(request, library)) {
            return *refused;
        }
    }
    if (!loaded || !library.Bind(mask)) {
        return Refused(run::Outcome::LibraryMissing, ResourceText(IDS_LIBRARY_MISSING));
    }
    platform::ProfileFile profile(settingsPath);
    PreparedRequest p;
    bool portReplaced = false;
    if (settings::ReadSettings(p.settings, profile, mask, "",
                               [&portReplaced] { portReplaced = true; }) != 0) {
        return Refused(run::Outcome::Refused,
                       FormatText(ResourceText(IDS_SCRIPT_SETTINGS_INVALID), {settingsPath}));
    }
    std::string refusal = ApplySwitches(request, mask, portReplaced, p);
    DownloadSettings& s = p.settings;
    if (!request.file.empty()) {
        s.m_strFilePath = platform::FullPath(request.file);
    }
    const std::optional<std::string> path = platform::AnsiCompatiblePath(s.m_strFilePath);
    if (refusal.empty() && s.m_strFilePath.empty()) {
        refusal = ResourceText(IDS_NO_FILE);
    } else if (refusal.empty() && !path) {
        refusal = ResourceText(IDS_PATH_NOT_PASSABLE);
    } else if (refusal.empty()) {
        refusal = firmware.Check(s.m_strFilePath, request.sha256,
                                 script::ApprovedListSetting(profile, settingsPath), describe);
    }
    if (!refusal.empty()) {
        PreparedRequest refused = Refused(run::Outcome::Refused, refusal);
        refused.refusedFile = s.m_strFilePath;
        return refused;
    }
    p.libraryPath = *path;
    if (describe) {
        Describe(library, firmware, p);
    }
    return p;
}
