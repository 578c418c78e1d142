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

bool IsHexId(const std::string& token, const char* prefix) {
    return token.size() == 8 && token.compare(0, 4, prefix) == 0 &&
           std::all_of(token.begin() + 4, token.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// From "USB\VID_0403&PID_6001\A12345" (or FTDI's own bus,
// "FTDIBUS\VID_0403+PID_6001+A12345A\0000"): the USB ids and the serial
// number. An instance part with "&" was made up by Windows for a device
// without a serial number. FTDI's bus adds the channel to the serial number,
// so it is not shown from there.
void ReadInstanceId(const std::string& instanceId, PortDevice& device) {
    const std::vector<std::string> parts = Split(Upper(instanceId), "\\");
    if (parts.size() != 3 || (parts[0] != "USB" && parts[0] != "FTDIBUS")) {
        return;
    }
    std::string vendor, product;
    for (const std::string& token : Split(parts[1], "&+")) {
        if (IsHexId(token, "VID_")) {
            vendor = token.substr(4);
        } else if (IsHexId(token, "PID_")) {
            product = token.substr(4);
        }
    }
    if (vendor.empty() || product.empty()) {
        return;
    }
    device.usbIds = vendor + ":" + product;
    const std::string instance = Split(instanceId, "\\")[2]; // as Windows wrote it
    if (parts[0] == "USB" && !instance.empty() && instance.find('&') == std::string::npos) {
        device.serial = instance;
    }
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
        ReadInstanceId(entry.instanceId, device);
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
