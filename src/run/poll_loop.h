#pragma once

#include "platform/string_table.h"
#include "run/stop_request.h"
#include "vardel_api/exports.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace run {

// Status reads are this far apart.
inline constexpr std::chrono::milliseconds kPollInterval{200};
// How long a run waits for an aborted download to end once nobody wants to
// wait longer: a library that never reports the end must not keep the
// window, or the program, from closing.
inline constexpr std::chrono::milliseconds kAbortGrace{5000};

// What the polling loop of one run works with: the library and whatever shows
// the run (the status window and the main window's caption, or nothing).
class PollTarget {
public:
    using Clock = std::chrono::steady_clock;
    virtual ~PollTarget() = default;
    virtual Clock::time_point Now() const { return Clock::now(); }
    // Handles what arrives meanwhile (window messages) until `until`, or
    // earlier as soon as wake() is true. false: the program is being ended.
    virtual bool WaitUntil(Clock::time_point until, const std::function<bool()>& wake) = 0;
    virtual vardel_api::DownloadStatus ReadStatus() = 0;
    // AbortDownload for the run, and whatever shows it says so.
    virtual void Abort() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void UpdateStatus(int status, int phase) = 0;
    virtual void ShowError(const std::string& text) = 0;
};

enum class RunEnd {
    Finished,  // status 500
    Cancelled, // -701
    Failed,    // any other error code, shown in the status window
    Stopped,   // given up before the library reported an end
    TimedOut,  // aborted because nothing changed for too long
};

struct PollOptions {
    // Reads this far apart or more that show the same status and phase, and
    // none between them another: the run is aborted and ends timed out,
    // unless the library reports it finished after all.
    std::optional<std::chrono::seconds> noProgressTimeout;
};

struct PollEnd {
    RunEnd end = RunEnd::Stopped;
    bool hasStatus = false; // whether the library was read at all
    int status = 0;         // the last status read: 500, -701, an error code
};

inline const char* const kCaptionIdle = "Tavro Download";

// Reads the status every kPollInterval until the library reports an end,
// keeping the caption and the status window up to date, then shows the end.
// A stop request aborts the run at once; once the run is aborted and
// stop.Leaving() (or it timed out), the wait for the end is given up after
// kAbortGrace. lastPercent is the percentage last written into the caption.
PollEnd PollDownload(PollTarget& target, StopRequest& stop, const platform::TextLookup& text,
                     int& lastPercent, const PollOptions& options = {});

// "No progress for 30 s: download aborted."
std::string TimedOutText(std::chrono::seconds timeout, const platform::TextLookup& text);

// The main window's caption while polling: "Tavro Download - 42%".
std::string PercentCaption(int percent);

} // namespace run
