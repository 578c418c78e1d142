#pragma once

#include <windows.h>

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
// whether the console is being closed, after which Windows ends the process
// within a few seconds whatever the program does. An empty action ends this;
// a closed console waits for that, a few seconds at most.
void OnConsoleInterrupt(std::function<void(bool closing)> action);

// The handler that the system calls for those events, for tests that play
// the system where no console can be had.
PHANDLER_ROUTINE ConsoleControlHandler();

} // namespace platform
