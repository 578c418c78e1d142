#pragma once

#include "app/script_output.h"
#include "script/command_line.h"

#include <string>

// The downloads a scripted request asks for: its CPMs in turn, each run
// again while a fault of the line may pass, the whole sequence stopped by
// Cancel, Ctrl+C, a closed console or the session's end. Decides what
// happens next; what it does is told through output. Never waits for a
// person unless /wait asks for it; never writes the settings file. Returns
// the exit code.
int RunScriptedSequence(const script::Request& request, const std::string& settingsPath,
                        ScriptOutput& output);
