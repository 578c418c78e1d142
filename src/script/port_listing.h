#pragma once

#include "fields/port_device.h"
#include "platform/string_table.h"
#include "script/report_events.h"

#include <cstdint>
#include <string>
#include <vector>

namespace script {

// The COM ports of /ports, in the order every form of the listing shows them:
// each port the library offers (bit n-1 of portMask for COMn), in port order,
// with Windows' device if it describes one; then each port Windows knows that
// the library does not offer, in port order.
std::vector<PortRow> PortRows(uint16_t portMask, const std::vector<fields::PortDevice>& devices);

// TavroDownload.com /ports: one line per port the library offers (bit n-1 of
// portMask for COMn), in port order, with what Windows tells of its device
// ("COM3  USB Serial Port  FTDI  USB 0403:6001  serial A12345"); then each
// port Windows knows that the library does not offer, marked so.
std::vector<std::string> PortListing(uint16_t portMask,
                                     const std::vector<fields::PortDevice>& devices,
                                     const platform::TextLookup& text);

// A row of that listing: "COM17  USB-SERIAL CH340  wch.cn  USB 1A86:7523  not
// offered by Vardel.dll".
std::string PortLine(const PortRow& row, const platform::TextLookup& text);

} // namespace script
