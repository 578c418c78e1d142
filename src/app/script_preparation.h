#pragma once

#include "download/download_library.h"
#include "download/held_firmware.h"
#include "run/run_result.h"
#include "script/command_line.h"
#include "script/report_events.h"
#include "settings/download_settings.h"

#include <optional>
#include <string>
#include <vector>

// A scripted request made ready to run: the settings file's values changed
// by the switches and checked by the rules the window and the settings file
// use, the library loaded as the request wants it, the firmware checked.
struct PreparedRequest {
    DownloadSettings settings;
    std::vector<int> addresses;
    std::string libraryPath; // the file's path as the library takes it
    // What every attempt's start tells of the program, the library, the
    // port's device and the file; only with describe.
    script::RunStart start;
    // Refused: the outcome, why, and the file it names (the settings' one
    // when the request named none).
    std::optional<run::Outcome> refusal;
    std::string why;
    std::string refusedFile;
};

// hashFirmware: the file is hashed and held even when nothing checks it,
// for whoever tells of it.
PreparedRequest PrepareRequest(const script::Request& request, const std::string& settingsPath,
                               download::DownloadLibrary& library, download::HeldFirmware& firmware,
                               bool hashFirmware);
