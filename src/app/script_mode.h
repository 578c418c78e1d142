#pragma once

#include <string>
#include <vector>

// A start with switches (TavroDownload.com /download ..., /ports, /version,
// /?): downloads for a script or a production line without the main window,
// the COM ports or the versions, told on the console, in the download record
// or as JSON lines. Returns the exit code.
int RunScriptedDownloads(const std::vector<std::string>& arguments,
                         const std::string& settingsPath);
