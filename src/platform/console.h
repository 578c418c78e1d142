#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace platform {

// A console program started from Explorer gets a console window of its own,
// which nobody reads and which would stay open beside the program's windows:
// it is let go. A console shared with the command prompt or the script that
// started the program stays.
void LeaveOwnConsole();
// Lets go of the console, whoever shares it: a Ctrl+C typed there or the
// console closed then end nothing of this program's.
void LeaveConsole();

// Ctrl+C, Ctrl+Break and closing the console: action runs (on a thread of
// the system's) instead of the process being ended at once; closing says
// whether the console is being closed. After a close Windows ends the
// process soon whatever the program does, and with a code of its own: the
// handler gives the program closeWait to end itself, then ends the process
// with the exit code the action returned. An empty action ends this.
void OnConsoleInterrupt(std::function<int(bool closing)> action,
                        std::chrono::milliseconds closeWait);

// Tests that play the system in their own process are told the exit code
// instead of being ended; an empty hook ends this.
void SetProcessEndHook(std::function<void(UINT exitCode)> hook);

// The handler that the system calls for those events, for tests that play
// the system where no console can be had.
PHANDLER_ROUTINE ConsoleControlHandler();

} // namespace platform
