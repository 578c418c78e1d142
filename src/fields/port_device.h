#pragma once

#include "platform/serial_devices.h"
#include "platform/string_table.h"

#include <string>
#include <vector>

namespace fields {

// A COM port's device as the user is told of it.
struct PortDevice {
    int port = 0;             // n of COMn
    std::string name;         // "USB Serial Port", without the "(COM3)" the port shows anyway
    std::string manufacturer; // "FTDI"
    std::string usbIds;       // "0403:6001"; empty when it is no USB device
    std::string serial;       // "A12345"; empty when the device has none
};

// The COM ports among Windows' serial devices (not LPT1, say), in the order
// given; a port named twice keeps its first device.
std::vector<PortDevice> PortDevicesOf(const std::vector<platform::SerialDeviceEntry>& entries);

// The device of a port, null when Windows does not describe it.
const PortDevice* FindPortDevice(const std::vector<PortDevice>& devices, int port);

// What is known of it, in this order: name, manufacturer, "USB 0403:6001",
// "serial A12345"; the ones that are empty left out.
std::vector<std::string> DescriptionFields(const PortDevice& device,
                                           const platform::TextLookup& text);

} // namespace fields
