#include "script/port_listing.h"

#include "res/resource.h"

#include <algorithm>
#include <iterator>

namespace script {
namespace {

bool IsOffered(uint16_t portMask, int port) {
    return port >= 1 && port <= 16 && (portMask & (1u << (port - 1))) != 0;
}

std::string PortLine(int port, const fields::PortDevice* device, const platform::TextLookup& text) {
    std::string line = "COM" + std::to_string(port);
    if (device != nullptr) {
        for (const std::string& field : fields::DescriptionFields(*device, text)) {
            line += "  " + field;
        }
    }
    return line;
}

} // namespace

std::vector<std::string> PortListing(uint16_t portMask,
                                     const std::vector<fields::PortDevice>& devices,
                                     const platform::TextLookup& text) {
    std::vector<std::string> lines;
    for (int port = 1; port <= 16; ++port) {
        if (IsOffered(portMask, port)) {
            lines.push_back(PortLine(port, fields::FindPortDevice(devices, port), text));
        }
    }
    std::vector<fields::PortDevice> notOffered;
    std::copy_if(devices.begin(), devices.end(), std::back_inserter(notOffered),
                 [portMask](const fields::PortDevice& d) { return !IsOffered(portMask, d.port); });
    std::sort(
        notOffered.begin(), notOffered.end(),
        [](const fields::PortDevice& a, const fields::PortDevice& b) { return a.port < b.port; });
    for (const fields::PortDevice& device : notOffered) {
        lines.push_back(PortLine(device.port, &device, text) + "  " + text(IDS_PORT_NOT_OFFERED));
    }
    return lines;
}

} // namespace script
