#include "fields/port_list.h"

namespace fields {

std::string PortItemText(int port) {
    return "COM " + std::to_string(port);
}

std::vector<PortItem> PortItemsForMask(uint16_t comPorts) {
    std::vector<PortItem> items;
    if (comPorts == 0) {
        items.push_back({"<none>", 0});
        return items;
    }
    for (int port = 1; port <= 16; ++port) {
        if (comPorts & (1u << (port - 1))) {
            items.push_back({PortItemText(port), port});
        }
    }
    return items;
}

int IndexOfPort(const std::vector<PortItem>& items, int port) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].port == port) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace fields
