#pragma once

#include "platform/string_table.h"
#include "vardel_api/exports.h"

#include <chrono>
#include <string>

namespace run {

// Status reads are this far apart.
inline constexpr std::chrono::milliseconds kPollInterval{200};
// How long a run waits for a cancelled download to end once the user (or a
// script) wants to leave: a library that never reports the end must not keep
// the window, or the program, from closing.
inline constexpr std::chrono::seconds kAbortGrace{5};

// What the polling loop of one run works with; the main window implements it
// on the library and the status window, tests with a scripted library.
class PollTarget {
public:
    virtual ~PollTarget() = default;
    // Waits until the next status read is due (200 ms after the last one),
    // handling window messages meanwhile. false: stop polling now.
    virtual bool WaitForNextRead() = 0;
    virtual vardel_api::DownloadStatus ReadStatus() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void UpdateStatus(int status, int phase) = 0;
    virtual void ShowError(const std::string& text) = 0;
};

enum class RunEnd {
    Finished,  // status 500
    Cancelled, // -701
    Failed,    // any other error code, shown in the status window
    Stopped,   // the wait asked to stop before the library reported an end
};

inline const char* const kCaptionIdle = "Tavro Download";

// Reads the status until the library reports an end, keeping the caption and
// the status window up to date, then shows the end. lastPercent is the
// percentage last written into the caption. endStatus, when given, receives
// the status that ended the run (500, -701 or an error code).
RunEnd PollDownload(PollTarget& target, const platform::TextLookup& text, int& lastPercent,
                    int* endStatus = nullptr);

// The main window's caption while polling: "Tavro Download - 42%".
std::string PercentCaption(int percent);

} // namespace run
