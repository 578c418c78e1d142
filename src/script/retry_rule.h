#pragma once

#include "platform/string_table.h"
#include "run/run_result.h"

#include <string>

namespace script {

// Whether a run that the library ended with this code is run again (with
// /attempts, with a fresh InitDownload): only a fault of the line, which a
// noisy or loose cable causes and a second try can cure. That is a condition
// 1..6 (UART overrun, parity, framing, BCC, no response, character time-out)
// in the phases 1..6, and -704 (the port could not be opened). Not the line:
// the parameters and the library (-1..-9, -700, -702, -703), a cancel
// (-701), and conditions such as 7, 13, 15 and 17, where the CPM refused or
// the flash failed and a retry would flash a CPM that refused for a reason.
// A run that /timeout ended is retried too; that end is an outcome of its
// own, not a library code, and its caller decides it.
bool IsLineFault(int code);

// Whether a run that ended so is worth another attempt: a line fault, from
// InitDownload or while polling, or no progress for too long. Never a stop,
// a cancel, a refusal or an end the library did not confirm.
bool IsWorthAnotherAttempt(const run::RunResult& result);

// "attempt 2 of 3: Download successful!": the text of one of several attempts.
std::string AttemptText(int attempt, int attempts, const std::string& text,
                        const platform::TextLookup& lookup);

} // namespace script
