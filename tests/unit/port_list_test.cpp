#include "fields/port_device.h"
#include "fields/port_list.h"

#include <gtest/gtest.h>

namespace {

TEST(PortItemsForMask, ListsUsablePortsInPortOrder) {
    const auto items = fields::PortItemsForMask(0x0005);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "COM 1");
    EXPECT_EQ(items[0].port, 1);
    EXPECT_EQ(items[1].text, "COM 3");
    EXPECT_EQ(items[1].port, 3);
}

TEST(PortItemsForMask, EdgeMasks) {
    EXPECT_EQ(fields::PortItemsForMask(0xFFFF).size(), 16u);
    EXPECT_EQ(fields::PortItemsForMask(0xFFFF).back().text, "COM 16");
    const auto only16 = fields::PortItemsForMask(0x8000);
    ASSERT_EQ(only16.size(), 1u);
    EXPECT_EQ(only16[0].port, 16);
    const auto none = fields::PortItemsForMask(0);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].text, "<none>");
    EXPECT_EQ(none[0].port, 0);
}

TEST(IndexOfPort, FindsByPortNumberNotPosition) {
    const auto before = fields::PortItemsForMask(0x0006); // COM 2, COM 3
    const auto after = fields::PortItemsForMask(0x0005);  // COM 1, COM 3
    EXPECT_EQ(fields::IndexOfPort(before, 3), 1);
    EXPECT_EQ(fields::IndexOfPort(after, 3), 1);
    EXPECT_EQ(fields::IndexOfPort(after, 2), -1);
    EXPECT_EQ(fields::IndexOfPort(fields::PortItemsForMask(0), 0), 0);
}

// What Windows' device list says of a port's device, and what the user is
// told of it: port, then name, manufacturer, USB ids, serial number.
TEST(PortDevices, NamesAndInstanceIds) {
    const std::pair<platform::SerialDeviceEntry, std::string> rows[] = {
        {{"COM1", "Communications Port (COM1)", "(Standard port types)", "ACPI\\PNP0501\\1", ""},
         "1|Communications Port|(Standard port types)"},
        {{"COM3", "USB Serial Port (COM3)", "FTDI", "USB\\VID_0403&PID_6001\\A12345", ""},
         "3|USB Serial Port|FTDI|USB 0403:6001|serial A12345"},
        // Windows made the last part up: the device has no serial number, nor
        // is the hub it sits on the device.
        {{"COM4", "Prolific (COM4)", "Prolific", "USB\\VID_067b&PID_2303\\5&2a3c6f1&0&2",
          "USB\\VID_05E3&PID_0610\\HUB01"},
         "4|Prolific|Prolific|USB 067B:2303"},
        // A name without its port, or with another port's, is kept whole.
        {{"com5", "Bluetooth link (COM6)", "", "BTHENUM\\{00001101}_LOCALMFG&0002\\7&1B&0&0_0", ""},
         "5|Bluetooth link (COM6)"},
        {{"COM17", "USB Serial Device (COM17)", "", "USB\\VID_2341&PID_0043\\75735353038351E0E1A1",
          ""},
         "17|USB Serial Device|USB 2341:0043|serial 75735353038351E0E1A1"},
        // FTDI's own bus appends the chip's channel to the serial number; a
        // part that is no serial number and channel gives none.
        {{"COM8", "USB Serial Port (COM8)", "FTDI", "FTDIBUS\\VID_0403+PID_6001+A12345A\\0000", ""},
         "8|USB Serial Port|FTDI|USB 0403:6001|serial A12345"},
        {{"COM9", "B (COM9)", "", "ftdibus\\vid_0403+pid_6010+ft4zk9b\\0000",
          "USB\\VID_0403&PID_6010&MI_01\\6&2F1C&0&0001"},
         "9|B|USB 0403:6010|serial ft4zk9"},
        {{"COM10", "", "", "FTDIBUS\\VID_0403+PID_6001+A1234E\\0000", ""}, "10|USB 0403:6001"},
        {{"COM12", "", "", "FTDIBUS\\VID_0403+PID_6001+7&1A&0&2A\\0000", ""}, "12|USB 0403:6001"},
        // A broken USB id tells nothing, nor takes its parent's.
        {{"COM11", "", "", "USB\\VID_0403&PID_600\\A12345", "USB\\VID_0403&PID_6001\\A12345"},
         "11"},
        // The USB device above a port of FTDI's bus or a composite device's
        // function tells the serial number.
        {{"COM13", "", "", "FTDIBUS\\COMPORT&VID_0403&PID_6001\\7&1A&0&1",
          "USB\\VID_0403&PID_6001\\A12345"},
         "13|USB 0403:6001|serial A12345"},
        {{"COM14", "", "", "USB\\VID_2341&PID_8036&MI_00\\6&1234ABCD&0&0000",
          "USB\\VID_2341&PID_8036\\85736323838351F0B1C1"},
         "14|USB 2341:8036|serial 85736323838351F0B1C1"},
        {{"COM15", "", "", "USB\\VID_1209&PID_2302&MI_02\\7&3A4B&0&0002",
          "USB\\VID_1209&PID_2302\\6&11AA&0&3"},
         "15|USB 1209:2302"},
        {{"COM18", "", "", "usb\\vid_2e8a&pid_000a&mi_00\\7&1f&0&0000",
          "usb\\vid_2e8a&pid_000a\\e6614c311b7e6a2f"},
         "18|USB 2E8A:000A|serial e6614c311b7e6a2f"},
    };
    for (const auto& [entry, told] : rows) {
        const auto devices = fields::PortDevicesOf({entry});
        ASSERT_EQ(devices.size(), 1u) << entry.portName;
        std::string text = std::to_string(devices[0].port);
        for (const std::string& field :
             fields::DescriptionFields(devices[0], platform::StringTableText)) {
            text += "|" + field;
        }
        EXPECT_EQ(text, told);
    }
    // Not COM ports, and a port named twice: its first device.
    const auto devices = fields::PortDevicesOf({{"LPT1", "Printer Port (LPT1)", "", "", ""},
                                                {"COM2", "A", "", "", ""},
                                                {"COM2", "B", "", "", ""},
                                                {}});
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(fields::FindPortDevice(devices, 2)->name, "A");
}

} // namespace
