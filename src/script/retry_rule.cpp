#include "script/retry_rule.h"

#include "res/resource.h"

namespace script {

bool IsLineFault(int code) {
    const int kPortNotOpened = -704;
    if (code == kPortNotOpened) {
        return true;
    }
    if (code > -100 || code < -699) {
        return false; // not a code of the phases 1..6
    }
    const int condition = -code % 100;
    return condition >= 1 && condition <= 6;
}

bool IsWorthAnotherAttempt(const run::RunResult& result) {
    switch (result.outcome) {
    case run::Outcome::TimedOut:
        return true;
    case run::Outcome::StartRefused:
    case run::Outcome::Failed:
        return result.hasCode && IsLineFault(result.code);
    default:
        return false;
    }
}

std::string AttemptText(int attempt, int attempts, const std::string& text,
                        const platform::TextLookup& lookup) {
    return platform::FormatText(lookup(IDS_ATTEMPT),
                                {std::to_string(attempt), std::to_string(attempts), text});
}

} // namespace script
