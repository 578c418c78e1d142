#pragma once

#include "script/report_events.h"

// What /version tells: "Tavro Download 2.2", then the Vardel.dll a download
// would use (its full path, its file version and whether it is the
// simulator), or why it cannot be loaded. None of the library's functions is
// called.
script::VersionFacts ReportVersions();
