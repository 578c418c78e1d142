// The settings file as a user's hand or a broken disk may leave it: read it
// with every port mask and command line, write what was accepted and read it
// back. An accepted record must survive its own round trip unchanged.
#include "memory_profile.h"
#include "settings/download_settings.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Lines of "KEY=value" (a leading [section] line is skipped), as the profile
// functions would see them.
MemoryProfile ProfileFrom(const std::string& text) {
    MemoryProfile profile;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t equals = line.find('=');
        if (equals != std::string::npos && !(line.size() && line[0] == '[')) {
            profile.Set(line.substr(0, equals), line.substr(equals + 1));
        }
        start = end + 1;
    }
    return profile;
}

bool Same(const DownloadSettings& a, const DownloadSettings& b) {
    return a.m_nTarget == b.m_nTarget && a.m_strPrimaryInit == b.m_strPrimaryInit &&
           a.m_strRedundantInit == b.m_strRedundantInit && a.m_nPort == b.m_nPort &&
           a.m_nParity == b.m_nParity && a.m_nStopBits == b.m_nStopBits &&
           a.m_nDataBits == b.m_nDataBits && a.m_nBaudRate == b.m_nBaudRate &&
           a.m_nCpmAddress == b.m_nCpmAddress && a.m_nDownloadMode == b.m_nDownloadMode &&
           a.m_nRetry == b.m_nRetry && a.m_strFilePath == b.m_strFilePath;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) {
        return 0;
    }
    const uint16_t ports = static_cast<uint16_t>(data[0] | (data[1] << 8));
    const std::string commandLine = data[2] & 1 ? "C:\\fw\\cmd.fdl" : "";
    MemoryProfile profile =
        ProfileFrom(std::string(reinterpret_cast<const char*>(data + 3), size - 3));
    DownloadSettings first;
    int notices = 0;
    if (settings::ReadSettings(first, profile, ports, commandLine, [&] { ++notices; }) != 0) {
        settings::SetDefaultSettings(first);
    }
    if (notices > 1) {
        std::abort();
    }
    if (first.m_nPort == 17 && ports != 0) {
        std::abort(); // 17 only when no port is usable
    }
    if (first.m_nPort == 17) {
        return 0; // "COM17" is not a record that can be read back
    }
    // Written to a file without the command line, then read back.
    settings::WriteSettings(first, profile);
    DownloadSettings second;
    const uint16_t allPorts = 0xFFFF;
    if (settings::ReadSettings(second, profile, allPorts, "", nullptr) != 0) {
        std::abort();
    }
    if (!Same(first, second)) {
        std::abort();
    }
    return 0;
}
