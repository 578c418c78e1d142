#pragma once

#include <string>
#include <vector>

namespace platform {

// A device of Windows' Ports or Modem class as its device list holds it, in
// the words Windows uses; what they mean is the port rules' business.
struct SerialDeviceEntry {
    std::string portName;     // "COM3" (PortName, or a modem's AttachedTo), "LPT1"
    std::string friendlyName; // "USB Serial Port (COM3)"; else its description
    std::string manufacturer; // "FTDI"
    std::string instanceId;   // "USB\VID_0403&PID_6001\A12345"
    // Its parent's: for "USB\VID_2341&PID_8036&MI_00\6&1234ABCD&0&0000", a
    // function of a composite device, "USB\VID_2341&PID_8036\85736323838351F0B1C1".
    // Empty when Windows cannot tell.
    std::string parentInstanceId;
};

// The present devices of the Ports class, then of the Modem class (many USB
// devices and phones install as modems), from SetupAPI. Empty when Windows
// cannot tell; it never fails otherwise.
std::vector<SerialDeviceEntry> ListSerialDevices();

} // namespace platform
