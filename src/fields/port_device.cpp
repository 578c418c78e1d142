#include "fields/port_device.h"

#include "res/resource.h"

#include <algorithm>
#include <cctype>

namespace fields {
namespace {

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

bool IsDigits(const std::string& text, size_t from) {
    return from < text.size() &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// "COM3" gives 3; LPT1 and the like give 0.
int PortNumber(const std::string& portName) {
    const std::string name = Upper(portName);
    if (name.compare(0, 3, "COM") != 0 || !IsDigits(name, 3) || name.size() > 7) {
        return 0;
    }
    return std::stoi(name.substr(3));
}

// Windows names a port's device "USB Serial Port (COM3)"; the list shows
// COM 3 beside it already. Another port's number in it is kept: it says
// something the port name does not.
std::string NameWithoutPort(std::string name, int port) {
    const std::string suffix = " (COM" + std::to_string(port) + ")";
    if (name.size() > suffix.size() &&
        Upper(name).compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        name.erase(name.size() - suffix.size());
    }
    return name;
}

std::vector<std::string> Split(const std::string& text, const std::string& separators) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (separators.find(c) != std::string::npos) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// "VID_0403" with prefix "VID_" and 4 digits.
bool IsHexId(const std::string& token, const std::string& prefix, size_t digits) {
    return token.size() == prefix.size() + digits && token.compare(0, prefix.size(), prefix) == 0 &&
           std::all_of(token.begin() + static_cast<std::ptrdiff_t>(prefix.size()), token.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// The serial number in FTDI's part "A12345A" of its bus's instance id: the
// device's own, with the letter of the chip's channel appended ("A" on a
// single channel chip, "A" to "D" on the FT2232 and FT4232). Shown without
// that letter, as the device reports it, as USB\VID_0403&PID_6001\A12345
// and the label on the adapter show it: a port reads the same under either
// driver, and the channels of one chip share it. A part that does not end in
// a channel letter after at least one character of its own is not of that
// form: no serial number is guessed from it.
std::string FtdiSerial(const std::string& serialAndChannel) {
    if (serialAndChannel.size() < 2 || serialAndChannel.find('&') != std::string::npos) {
        return {};
    }
    const char channel =
        static_cast<char>(std::toupper(static_cast<unsigned char>(serialAndChannel.back())));
    return channel >= 'A' && channel <= 'D'
               ? serialAndChannel.substr(0, serialAndChannel.size() - 1)
               : std::string();
}

// What an instance id tells of its device.
struct InstanceId {
    std::string bus;    // "USB", "FTDIBUS", "ACPI": upper case
    std::string usbIds; // "0403:6001"; empty when it names none
    std::string serial; // as Windows wrote it; empty when it has none
};

// From "USB\VID_0403&PID_6001\A12345" (or FTDI's own bus,
// "FTDIBUS\VID_0403+PID_6001+A12345A\0000"): the USB ids and the serial
// number; ids compare without regard to case. A last part with "&" was made
// up by Windows for a device without a serial number, and for each function
// ("&MI_00") of a composite device.
InstanceId ReadInstanceId(const std::string& text) {
    InstanceId id;
    const std::vector<std::string> parts = Split(text, "\\");
    if (parts.size() != 3) {
        return id;
    }
    id.bus = Upper(parts[0]);
    const bool ftdi = id.bus == "FTDIBUS";
    if (id.bus != "USB" && !ftdi) {
        return id;
    }
    const std::vector<std::string> tokens = Split(parts[1], ftdi ? "+" : "&");
    std::string vendor, product;
    for (const std::string& token : tokens) {
        const std::string upper = Upper(token);
        if (IsHexId(upper, "VID_", 4)) {
            vendor = upper.substr(4);
        } else if (IsHexId(upper, "PID_", 4)) {
            product = upper.substr(4);
        }
    }
    if (vendor.empty() || product.empty()) {
        return id;
    }
    id.usbIds = vendor + ":" + product;
    if (ftdi) {
        id.serial = tokens.size() == 3 ? FtdiSerial(tokens[2]) : "";
    } else if (parts[2].find('&') == std::string::npos) {
        id.serial = parts[2];
    }
    return id;
}

// The USB ids and serial number of an entry's device. A function of a
// composite device ("&MI_00") and a port of FTDI's bus are children of the
// USB device that holds the serial number; what that device reports stands
// before what the child's id says. The parent counts only when it is a USB
// device with the same ids: the hub a plain adapter sits on does not, and a
// function's parent that is another function gives no more than its ids.
// An id of another bus names no ids to compare and takes a USB parent's; a
// USB id that names none is broken and takes nothing.
void ReadIds(const platform::SerialDeviceEntry& entry, PortDevice& device) {
    const InstanceId own = ReadInstanceId(entry.instanceId);
    const InstanceId parent = ReadInstanceId(entry.parentInstanceId);
    const bool sameDevice = parent.bus == "USB" && (parent.usbIds == own.usbIds ||
                                                    (own.usbIds.empty() && own.bus != "USB"));
    device.usbIds = sameDevice ? parent.usbIds : own.usbIds;
    device.serial = sameDevice && !parent.serial.empty() ? parent.serial : own.serial;
}

} // namespace

std::vector<PortDevice> PortDevicesOf(const std::vector<platform::SerialDeviceEntry>& entries) {
    std::vector<PortDevice> devices;
    for (const platform::SerialDeviceEntry& entry : entries) {
        PortDevice device;
        device.port = PortNumber(entry.portName);
        if (device.port == 0 || FindPortDevice(devices, device.port) != nullptr) {
            continue;
        }
        device.name = NameWithoutPort(entry.friendlyName, device.port);
        device.manufacturer = entry.manufacturer;
        ReadIds(entry, device);
        devices.push_back(device);
    }
    return devices;
}

const PortDevice* FindPortDevice(const std::vector<PortDevice>& devices, int port) {
    const auto found = std::find_if(devices.begin(), devices.end(),
                                    [port](const PortDevice& d) { return d.port == port; });
    return found == devices.end() ? nullptr : &*found;
}

std::vector<std::string> DescriptionFields(const PortDevice& device,
                                           const platform::TextLookup& text) {
    std::vector<std::string> fields;
    for (const std::string& field : {device.name, device.manufacturer}) {
        if (!field.empty()) {
            fields.push_back(field);
        }
    }
    if (!device.usbIds.empty()) {
        fields.push_back(platform::FormatText(text(IDS_PORT_USB_IDS), {device.usbIds}));
    }
    if (!device.serial.empty()) {
        fields.push_back(platform::FormatText(text(IDS_PORT_SERIAL), {device.serial}));
    }
    return fields;
}

} // namespace fields
