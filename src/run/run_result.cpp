#include "run/run_result.h"

#include "res/resource.h"
#include "run/error_messages.h"
#include "run/phase_text.h"

namespace run {

RunResult ResultOfEnd(const PollEnd& end, const platform::TextLookup& text,
                      const PollOptions& options) {
    RunResult result;
    // A run that timed out keeps the library's last word, whatever it was.
    result.hasCode = end.end != RunEnd::Stopped && end.hasStatus;
    result.code = end.status;
    const int status = end.status;
    switch (end.end) {
    case RunEnd::Finished:
        result.outcome = Outcome::Downloaded;
        result.text = PhaseText(kPhaseSuccessful);
        break;
    case RunEnd::Cancelled:
        result.outcome = Outcome::Cancelled;
        result.text = PhaseText(kPhaseCancelled);
        break;
    case RunEnd::Failed:
        result.outcome = Outcome::Failed;
        result.text = ErrorStatusText(status, text);
        break;
    case RunEnd::Stopped: // a stop is a stop, whether or not the library confirms it
        result.outcome = Outcome::Cancelled;
        result.text = text(IDS_END_NOT_CONFIRMED);
        break;
    case RunEnd::TimedOut:
        result.outcome = Outcome::TimedOut;
        result.text =
            TimedOutText(options.noProgressTimeout.value_or(std::chrono::seconds(0)), text);
        break;
    }
    return result;
}

RunResult ResultOfStartError(int code, const platform::TextLookup& text) {
    RunResult result;
    result.outcome = Outcome::StartRefused;
    result.hasCode = true;
    result.code = code;
    result.text = ErrorBoxText(code, text);
    return result;
}

} // namespace run
