#pragma once

#include <string>

namespace script {

// What the console shows of a run while it is polled: one line, kept up to
// date in place.
struct Progress {
    std::string cpm; // "CPM 5 (3 of 7)"
    int attempt = 1; // of attempts: named only when there are several
    int attempts = 1;
    int phase = -1;        // the last phase that has words; none yet: -1
    int status = 0;        // the library's progress, 0..499 in 500ths
    long long seconds = 0; // since the attempt started
};

// "Prog CPR Flash": a phase in the few words the progress line has room
// for; nullptr for a phase that a run in progress does not report.
const char* PhaseWords(int phase);

// "CPM 5 (3 of 7)  Prog CPR Flash  42 %  00:31", or with several attempts
// "CPM 5 (3 of 7), attempt 2 of 3  Prog CPR Flash  42 %  00:31".
std::string ProgressLine(const Progress& progress);

} // namespace script
