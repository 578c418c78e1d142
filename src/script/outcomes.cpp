#include "script/outcomes.h"

#include "res/resource.h"

#include <algorithm>

namespace script {
namespace {

struct OutcomeRow {
    run::Outcome outcome;
    int exitCode;
    int word;
};

// A CPM never run counts as 1: either the user stopped the sequence, or an
// earlier CPM failed, whose own code is higher.
const OutcomeRow kOutcomes[] = {
    {run::Outcome::Downloaded, 0, IDS_OUTCOME_DOWNLOADED},
    {run::Outcome::Cancelled, 1, IDS_OUTCOME_CANCELLED},
    {run::Outcome::NotRun, 1, IDS_OUTCOME_NOT_RUN},
    {run::Outcome::Refused, 2, IDS_OUTCOME_REFUSED},
    {run::Outcome::StartRefused, 3, IDS_OUTCOME_START_REFUSED},
    {run::Outcome::Failed, 4, IDS_OUTCOME_FAILED},
    {run::Outcome::TimedOut, 4, IDS_OUTCOME_TIMED_OUT},
    {run::Outcome::LibraryMissing, 5, IDS_OUTCOME_LIBRARY_MISSING},
};

const OutcomeRow& RowOf(run::Outcome outcome) {
    for (const OutcomeRow& row : kOutcomes) {
        if (row.outcome == outcome) {
            return row;
        }
    }
    // Every outcome has its row; one without would count as failed, never as more.
    return kOutcomes[5]; // failed
}

} // namespace

int ExitCode(run::Outcome outcome) {
    return RowOf(outcome).exitCode;
}

std::string OutcomeWord(run::Outcome outcome, const platform::TextLookup& text) {
    return text(RowOf(outcome).word);
}

int WorstExitCode(const std::vector<run::Outcome>& outcomes) {
    int worst = 0;
    for (run::Outcome outcome : outcomes) {
        worst = std::max(worst, ExitCode(outcome));
    }
    return worst;
}

bool GoesOn(run::Outcome outcome, bool keepGoing) {
    return outcome == run::Outcome::Downloaded || (keepGoing && outcome != run::Outcome::Cancelled);
}

} // namespace script
