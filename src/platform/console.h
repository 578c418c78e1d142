#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace platform {

// Where a scripted start writes its lines: the standard output it was handed
// (a file or pipe of the script that started it), else the console of the
// process that started it. Neither exists when it was started from Explorer
// or a scheduler without a console: then the lines go nowhere.
class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    bool Available() const { return m_handle != nullptr; }
    void WriteLine(const std::string& utf8) const;

private:
    HANDLE m_handle = nullptr;
    bool m_bOwned = false;
};

// Ctrl+C, Ctrl+Break and closing the console: action runs (on a thread of
// the system's) instead of the process being ended at once. An empty action
// ends this; a closed console waits for that, a few seconds at most.
void OnConsoleInterrupt(std::function<void()> action);

// The handler that the system calls for those events, for tests that play
// the system where no console can be had.
PHANDLER_ROUTINE ConsoleControlHandler();

} // namespace platform
