#pragma once

#include "script/report_events.h"

#include <functional>
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

// The progress line as a sink: handed to show each time what it says has
// changed. Runs' thread only.
class ProgressLineSink : public ReportSink {
public:
    using Show = std::function<void(const std::string& utf8)>;
    explicit ProgressLineSink(Show show) : m_show(std::move(show)) {}

    void RunStarted(const RunStart&) override { m_shown.clear(); }
    void RunProgressed(const RunProgress& e) override;

private:
    const Show m_show;
    std::string m_shown;
};

} // namespace script
