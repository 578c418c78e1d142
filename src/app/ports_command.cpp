#include "app/ports_command.h"

#include "download/download_library.h"
#include "fields/port_device.h"
#include "platform/serial_devices.h"
#include "platform/text.h"
#include "res/resource.h"
#include "script/outcomes.h"
#include "script/port_listing.h"
#include "script/report_lines.h"

int ListPorts(const platform::ConsoleOutput& console) {
    download::DownloadLibrary library;
    uint16_t portMask = 0;
    if (!library.Bind(portMask)) {
        console.WriteLine(script::OneLine(platform::ResourceText(IDS_LIBRARY_MISSING)));
        return script::ExitCode(run::Outcome::LibraryMissing);
    }
    const std::vector<fields::PortDevice> devices =
        fields::PortDevicesOf(platform::ListSerialDevices());
    for (const std::string& line : script::PortListing(portMask, devices, platform::ResourceText)) {
        console.WriteLine(line);
    }
    return 0;
}
