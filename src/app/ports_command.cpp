#include "app/ports_command.h"

#include "download/download_library.h"
#include "fields/port_device.h"
#include "platform/serial_devices.h"
#include "platform/text.h"
#include "res/resource.h"
#include "script/outcomes.h"
#include "script/port_listing.h"

int ListPorts(script::ReportSink& report) {
    download::DownloadLibrary library;
    uint16_t portMask = 0;
    if (!library.Bind(portMask)) {
        script::RunFacts facts;
        facts.outcome = script::OutcomeWord(run::Outcome::LibraryMissing, platform::ResourceText);
        facts.text = script::OneLine(platform::ResourceText(IDS_LIBRARY_MISSING));
        const int exitCode = script::ExitCode(run::Outcome::LibraryMissing);
        report.Refused(facts, exitCode);
        return exitCode;
    }
    report.PortsListed(
        script::PortRows(portMask, fields::PortDevicesOf(platform::ListSerialDevices())));
    return 0;
}
