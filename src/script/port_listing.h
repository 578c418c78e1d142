#pragma once

#include "fields/port_device.h"
#include "platform/string_table.h"

#include <cstdint>
#include <string>
#include <vector>

namespace script {

// TavroDownload.com /ports: one line per port the library offers (bit n-1 of
// portMask for COMn), in port order, with what Windows tells of its device
// ("COM3  USB Serial Port  FTDI  USB 0403:6001  serial A12345"); then each
// port Windows knows that the library does not offer, marked so.
std::vector<std::string> PortListing(uint16_t portMask,
                                     const std::vector<fields::PortDevice>& devices,
                                     const platform::TextLookup& text);

} // namespace script
