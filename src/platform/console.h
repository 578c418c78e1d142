#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>

namespace platform {

// Where a scripted start writes its lines: the standard output it was handed
// (its console, or a file or pipe of the script that started it), else the
// console of the process that started it. Neither exists when it was started
// from Explorer or a scheduler without a console: then the lines go nowhere.
// Its lines may come from several threads.
class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    bool Available() const { return m_handle != nullptr; }
    // A line; it takes the place of the progress line, if one is shown.
    void WriteLine(const std::string& utf8) const;
    // The one line kept up to date in place while a run goes on, cut to the
    // console's width so that it never wraps. Only on a console a person
    // reads: output redirected to a file or a pipe gets none.
    void ShowProgress(const std::string& utf8) const;

private:
    void Write(const std::wstring& text) const;

    HANDLE m_handle = nullptr;
    bool m_bOwned = false;
    bool m_bConsole = false; // a console, not a file or a pipe
    // What the console shows: the length of the progress line, 0 for none.
    mutable size_t m_nProgressLength = 0;
    mutable std::mutex m_mutex;
};

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
