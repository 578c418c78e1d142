#include "script/port_listing.h"

#include "res/resource.h"

#include <algorithm>
#include <iterator>

namespace script {
namespace {

bool IsOffered(uint16_t portMask, int port) {
    return port >= 1 && port <= 16 && (portMask & (1u << (port - 1))) != 0;
}

} // namespace

std::string PortLine(const PortRow& row, const platform::TextLookup& text) {
    std::string line = "COM" + std::to_string(row.port);
    if (row.device) {
        for (const std::string& field : fields::DescriptionFields(*row.device, text)) {
            line += "  " + field;
        }
    }
    return row.offered ? line : line + "  " + text(IDS_PORT_NOT_OFFERED);
}

std::vector<PortRow> PortRows(uint16_t portMask, const std::vector<fields::PortDevice>& devices) {
    std::vector<PortRow> rows;
    for (int port = 1; port <= 16; ++port) {
        if (IsOffered(portMask, port)) {
            PortRow row{port, true, std::nullopt};
            if (const fields::PortDevice* device = fields::FindPortDevice(devices, port)) {
                row.device = *device;
            }
            rows.push_back(row);
        }
    }
    std::vector<fields::PortDevice> notOffered;
    std::copy_if(devices.begin(), devices.end(), std::back_inserter(notOffered),
                 [portMask](const fields::PortDevice& d) { return !IsOffered(portMask, d.port); });
    std::sort(
        notOffered.begin(), notOffered.end(),
        [](const fields::PortDevice& a, const fields::PortDevice& b) { return a.port < b.port; });
    for (const fields::PortDevice& device : notOffered) {
        rows.push_back(PortRow{device.port, false, device});
    }
    return rows;
}

std::vector<std::string> PortListing(uint16_t portMask,
                                     const std::vector<fields::PortDevice>& devices,
                                     const platform::TextLookup& text) {
    std::vector<std::string> lines;
    for (const PortRow& row : PortRows(portMask, devices)) {
        lines.push_back(PortLine(row, text));
    }
    return lines;
}

} // namespace script
