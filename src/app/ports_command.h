#pragma once

#include "script/report_events.h"

// TavroDownload.com /ports: the COM ports the library offers now, each with
// what Windows tells of its device, then the ports Windows knows that the
// library does not offer. No window, no settings file. Returns the exit
// code: 0, or that of a missing library (told as a refusal).
int ListPorts(script::ReportSink& report);
