#pragma once

#include "platform/string_table.h"
#include "run/poll_loop.h"

#include <string>

namespace run {

// How one attempt at a download ended, as whoever asked for it needs to know:
// a person at the window, a script reading the exit code, the download record.
enum class Outcome {
    Downloaded,     // the library reported the end (500)
    Cancelled,      // -701, normally after Cancel; or a stop whose end was never confirmed
    Refused,        // a check failed before the library was asked to download
    StartRefused,   // InitDownload returned an error code
    Failed,         // an error code while polling
    LibraryMissing, // Vardel.dll missing or unusable
    NotRun,         // a CPM of a sequence that was never started
    TimedOut,       // aborted after no progress for too long
};

// A moment in UTC, to the second.
struct UtcTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

struct RunResult {
    Outcome outcome = Outcome::Refused;
    bool hasCode = false; // whether the library gave a status or code
    int code = 0;         // its last status: 500, -701 or an error code
    std::string text;     // what the window shows or a box would say
    UtcTime started;
    double seconds = 0; // from the checks passed to the end
};

// The result of a run that the library ended (500, -701, an error code) or
// that ended without its end being confirmed (Stopped).
// timeout: the one the run was polled with, for a run that timed out.
RunResult ResultOfEnd(const PollEnd& end, const platform::TextLookup& text,
                      const PollOptions& options = {});
// InitDownload refused the run with this code.
RunResult ResultOfStartError(int code, const platform::TextLookup& text);

} // namespace run
