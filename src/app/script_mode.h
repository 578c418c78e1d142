#pragma once

#include <string>
#include <vector>

// A start with switches (TavroDownload.com /download ...): downloads for a
// script or a production line, without the main window, each run told on the
// console and in the download record. Never waits for a person unless /wait
// asks for it; never writes the settings file. Returns the exit code.
int RunScriptedDownloads(const std::vector<std::string>& arguments,
                         const std::string& settingsPath);
