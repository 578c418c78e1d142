#pragma once

#include "download/download_library.h"
#include "run/run_result.h"
#include "settings/download_settings.h"

#include <atomic>
#include <string>

namespace download {

// One download with no window at all, for a script that wants none: the same
// library calls and end rules as with the status window, the status read
// every 200 ms. abortRequested (set from another thread, by Ctrl+C) asks the
// library to abort.
run::RunResult RunWithoutWindow(DownloadLibrary& library, const DownloadSettings& settings,
                                const std::string& libraryPath,
                                const std::atomic<bool>& abortRequested);

} // namespace download
