#include "run/poll_loop.h"

#include "run/error_messages.h"
#include "run/phase_text.h"

namespace run {

std::string PercentCaption(int percent) {
    return std::string(kCaptionIdle) + " - " + std::to_string(percent) + "%";
}

namespace {

bool IsEnd(int status) {
    return status < 0 || status == vardel_api::kStatusFinished;
}

// The rows for a successful, cancelled or failed end are shown by the end
// handling alone. A library that reports one of these phases while its run
// goes on must not have the window say "Download successful!" (or "Error!",
// with the red LED) before anything has ended.
int PhaseWhileRunning(int phase) {
    return phase == kPhaseSuccessful || phase == kPhaseCancelled || phase == kPhaseError ? kNoPhase
                                                                                         : phase;
}

RunEnd ShowEnd(PollTarget& target, const platform::TextLookup& text, int status) {
    const std::string base = kCaptionIdle;
    if (status == vardel_api::kStatusCancelled) {
        target.UpdateStatus(-1, kPhaseCancelled);
        target.SetCaption(base + " - Cancel");
        return RunEnd::Cancelled;
    }
    if (status == vardel_api::kStatusFinished) {
        target.UpdateStatus(vardel_api::kStatusFinished, kPhaseSuccessful);
        target.SetCaption(base + " - OK");
        return RunEnd::Finished;
    }
    target.UpdateStatus(-1, kPhaseError);
    target.ShowError(ErrorStatusText(status, text));
    target.SetCaption(base + " - Error");
    return RunEnd::Failed;
}

} // namespace

RunEnd PollDownload(PollTarget& target, const platform::TextLookup& text, int& lastPercent,
                    int* endStatus) {
    lastPercent = 0;
    for (;;) {
        if (!target.WaitForNextRead()) {
            return RunEnd::Stopped;
        }
        const vardel_api::DownloadStatus read = target.ReadStatus();
        if (IsEnd(read.status)) {
            if (endStatus) {
                *endStatus = read.status;
            }
            return ShowEnd(target, text, read.status);
        }
        // Only 500 means done: a library that counts past it is shown as not
        // quite finished rather than as 100 % or more.
        const int status = read.status < vardel_api::kStatusFinished
                               ? read.status
                               : vardel_api::kStatusFinished - 1;
        const int percent = status * 100 / vardel_api::kStatusFinished;
        if (percent != lastPercent) {
            target.SetCaption(PercentCaption(percent));
            lastPercent = percent;
        }
        target.UpdateStatus(status, PhaseWhileRunning(read.phase));
    }
}

} // namespace run
