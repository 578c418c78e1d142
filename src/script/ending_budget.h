#pragma once

#include <chrono>
#include <optional>

namespace script {

// How a scripted run spends the time Windows gives before it ends the
// process: after the console was closed, and at the session's end when the
// program shows no window. That time is the system's hung-app timeout
// (SPI_GETHUNGAPPTIMEOUT: 5 s unless an administrator set less), and never
// more than 5 s for a closed console. The record comes first, then the
// library's abort; what is left is for the console and the exit code.
struct EndingBudget {
    std::chrono::milliseconds recordWait; // for a record another program holds
    std::chrono::milliseconds abortWait;  // until the library was asked to abort
    std::chrono::milliseconds total;      // by then the program ends itself
};

// hungAppTimeout: the system's, nothing when it cannot be read.
EndingBudget EndingBudgetFor(std::optional<std::chrono::milliseconds> hungAppTimeout);

} // namespace script
