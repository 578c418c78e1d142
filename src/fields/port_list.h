#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fields {

struct PortItem {
    std::string text; // "COM 3"
    int port;         // item data: the port number, 0 for the "<none>" item
};

// The port list's items for a port mask, in port order; "<none>" alone for mask 0.
std::vector<PortItem> PortItemsForMask(uint16_t comPorts);

// Index of the item for a port, -1 when the list has none.
int IndexOfPort(const std::vector<PortItem>& items, int port);

// The list text of a port, "COM %d".
std::string PortItemText(int port);

} // namespace fields
