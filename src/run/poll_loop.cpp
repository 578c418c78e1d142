#include "run/poll_loop.h"

#include "res/resource.h"
#include "run/error_messages.h"
#include "run/phase_text.h"

#include <optional>

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

void ShowFailure(PollTarget& target, const std::string& text) {
    target.UpdateStatus(-1, kPhaseError);
    target.ShowError(text);
    target.SetCaption(std::string(kCaptionIdle) + " - Error");
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
    ShowFailure(target, ErrorStatusText(status, text));
    return RunEnd::Failed;
}

// One status read that did not end the run, shown.
void ShowProgress(PollTarget& target, vardel_api::DownloadStatus read, int& lastPercent) {
    // Only 500 means done: a library that counts past it is shown as not
    // quite finished rather than as 100 % or more.
    const int status =
        read.status < vardel_api::kStatusFinished ? read.status : vardel_api::kStatusFinished - 1;
    const int percent = status * 100 / vardel_api::kStatusFinished;
    if (percent != lastPercent) {
        target.SetCaption(PercentCaption(percent));
        lastPercent = percent;
    }
    target.UpdateStatus(status, PhaseWhileRunning(read.phase));
}

class Poll {
public:
    using Time = PollTarget::Clock::time_point;

    Poll(PollTarget& target, StopRequest& stop, const PollOptions& options)
        : m_target(target), m_stop(stop), m_options(options) {}

    // Waits until the next read is due, aborting the run as soon as a stop
    // is asked for. false: stop polling now.
    bool WaitForNextRead(Time due) {
        const auto abortWanted = [this] { return m_stop.Stopped() && !m_abortSent; };
        while (m_target.Now() < due) {
            if (!m_target.WaitUntil(due, abortWanted)) {
                return false;
            }
            if (abortWanted()) {
                AbortNow();
            }
        }
        const bool leaving = m_stop.Leaving() || m_timedOut;
        return !(m_abortSent && leaving && m_target.Now() - *m_abortSent >= kAbortGrace);
    }
    // A read that did not end the run: progress when anything changed. The
    // time-out is judged on reads only, this one fresh: a wait that took long
    // (a window dragged, its system menu open: no read is made meanwhile)
    // tells nothing of the library.
    void Read(vardel_api::DownloadStatus read, Time at) {
        if (!m_last || read.status != m_last->status || read.phase != m_last->phase) {
            m_sameSince = at;
        } else if (m_options.noProgressTimeout && !m_abortSent &&
                   at - m_sameSince >= *m_options.noProgressTimeout) {
            m_timedOut = true;
            AbortNow();
        }
        m_last = read;
    }
    bool TimedOut() const { return m_timedOut; }

private:
    void AbortNow() {
        m_target.Abort();
        m_abortSent = m_target.Now();
    }

    PollTarget& m_target;
    StopRequest& m_stop;
    const PollOptions& m_options;
    std::optional<Time> m_abortSent;
    std::optional<vardel_api::DownloadStatus> m_last;
    Time m_sameSince; // the first read that showed m_last's status and phase
    bool m_timedOut = false;
};

} // namespace

std::string TimedOutText(std::chrono::seconds timeout, const platform::TextLookup& text) {
    return platform::FormatText(text(IDS_TIMEOUT_ABORTED), {std::to_string(timeout.count())});
}

PollEnd PollDownload(PollTarget& target, StopRequest& stop, const platform::TextLookup& text,
                     int& lastPercent, const PollOptions& options) {
    lastPercent = 0;
    Poll poll(target, stop, options);
    PollEnd result;
    // A run aborted for want of progress ends timed out, whatever the
    // library says then, unless it says the download was finished after all.
    const auto timedOut = [&] {
        ShowFailure(target, TimedOutText(*options.noProgressTimeout, text));
        result.end = RunEnd::TimedOut;
        return result;
    };
    // The first read comes one interval after the run was shown; each next
    // one an interval after the one before, however long a read took.
    PollTarget::Clock::time_point lastRead = target.Now();
    for (;;) {
        if (!poll.WaitForNextRead(lastRead + kPollInterval)) {
            if (poll.TimedOut()) {
                return timedOut();
            }
            ShowFailure(target, text(IDS_END_NOT_CONFIRMED));
            result.end = RunEnd::Stopped;
            return result;
        }
        lastRead = target.Now();
        const vardel_api::DownloadStatus read = target.ReadStatus();
        result.hasStatus = true;
        result.status = read.status;
        if (IsEnd(read.status)) {
            if (poll.TimedOut() && read.status != vardel_api::kStatusFinished) {
                return timedOut();
            }
            result.end = ShowEnd(target, text, read.status);
            return result;
        }
        poll.Read(read, lastRead);
        ShowProgress(target, read, lastPercent);
    }
}

} // namespace run
