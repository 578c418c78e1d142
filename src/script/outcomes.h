#pragma once

#include "platform/string_table.h"
#include "run/run_result.h"

#include <string>
#include <vector>

namespace script {

// What a script and the download record make of an outcome. One table holds
// each outcome's exit code and word; a worse outcome has a higher code.

// 0 downloaded, 1 cancelled or not run, 2 refused, 3 start refused, 4 failed
// or timed out, 5 library missing.
int ExitCode(run::Outcome outcome);
// "downloaded", "failed", ...: the outcome's word in the console and the record.
std::string OutcomeWord(run::Outcome outcome, const platform::TextLookup& text);
// The exit code of an invocation: the worst outcome among every CPM it
// named, those never run included, so 0 only when every one was downloaded.
int WorstExitCode(const std::vector<run::Outcome>& outcomes);
// Whether a sequence goes on after a run: never after a cancel (Cancel stops
// the whole sequence), after a failure only when asked to keep going.
bool GoesOn(run::Outcome outcome, bool keepGoing);

} // namespace script
