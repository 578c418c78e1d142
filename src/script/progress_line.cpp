#include "script/progress_line.h"

#include "run/phase_text.h"
#include "run/status_model.h"
#include "vardel_api/exports.h"

namespace script {

const char* PhaseWords(int phase) {
    // The rows of the phase table that a run in progress reports; its ends
    // (successful, cancelled, error) are told by the result line.
    static const char* const kWords[run::kPhaseCount] = {
        "Starting",        "Init CPM",       "Start CPR Comm", "Erase CPR Flash",
        "Erase IOP Flash", "Prog CPR Flash", "Prog IOP Flash", nullptr,
        "Verifying",       "Preparing",      nullptr,          nullptr};
    return phase >= 0 && phase < run::kPhaseCount ? kWords[phase] : nullptr;
}

std::string ProgressLine(const Progress& p) {
    std::string line = p.cpm;
    if (p.attempts > 1) {
        line += ", attempt " + std::to_string(p.attempt) + " of " + std::to_string(p.attempts);
    }
    if (const char* words = PhaseWords(p.phase)) {
        line += std::string("  ") + words;
    }
    return line + "  " + std::to_string(p.status * 100 / vardel_api::kStatusFinished) + " %  " +
           run::FormatSpan(p.seconds);
}

void ProgressLineSink::RunProgressed(const RunProgress& e) {
    Progress progress;
    progress.cpm = e.cpm;
    progress.attempt = e.attempt;
    progress.attempts = e.attempts;
    progress.phase = e.phase;
    progress.status = e.status;
    progress.seconds = std::chrono::duration_cast<std::chrono::seconds>(e.elapsed).count();
    std::string line = ProgressLine(progress);
    if (line != m_shown) {
        m_show(line);
        m_shown = std::move(line);
    }
}

} // namespace script
