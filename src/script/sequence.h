#pragma once

#include "platform/string_table.h"
#include "run/run_result.h"
#include "script/report_events.h"
#include "script/report_lines.h"
#include "settings/download_settings.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace script {

// The CPMs that one scripted request names and what became of each: the line
// that the console and the record get for every attempt, for the CPMs never
// reached and for the sequence as a whole. The runs go on one thread; the
// end of the Windows session and a closed console end the sequence from
// threads of their own, at any moment, and each line is still given once.
class Sequence {
public:
    using Clock = std::chrono::steady_clock;
    // A moment as the record names it and as a run's duration is measured.
    struct Moment {
        run::UtcTime utc;
        Clock::time_point steady;
    };
    // The lines that end the sequence: an attempt cut short, then the CPMs
    // not reached; then what became of every CPM (its line only after a
    // sequence of several CPMs, else "").
    struct Ending {
        std::vector<RunFacts> lines;
        SequenceSummary summary;
    };

    // settings: those of every CPM but its address.
    Sequence(std::vector<int> addresses, DownloadSettings settings, int attempts, bool simulated,
             platform::TextLookup text);

    size_t Count() const { return m_addresses.size(); }
    int Address(size_t index) const { return m_addresses[index]; }
    // Attempt `attempt` at the CPM index begins now. false: the sequence has
    // ended, and nothing more is run.
    bool BeginAttempt(size_t index, int attempt, const Moment& now);
    // The end of the attempt begun last, as the console and the record tell
    // it; nothing when the sequence ended under it and told it then.
    std::optional<RunFacts> EndAttempt(const DownloadSettings& settings,
                                       const run::RunResult& result);
    // Ends the sequence, once (nothing the second time): an attempt begun
    // and not ended counts as cancelled, with cutShort as its text; each CPM
    // not reached gets its line, saying that the sequence was stopped, or
    // that it ended after the last CPM reached was not downloaded.
    std::optional<Ending> End(bool stopped, const std::string& cutShort, const Moment& now);
    // The worst outcome of every CPM named, once the sequence has ended.
    int ExitCode() const;

private:
    RunFacts Facts(const DownloadSettings& settings, const run::RunResult& result) const;
    void CountCurrentCpm();

    const std::vector<int> m_addresses;
    const DownloadSettings m_settings;
    const int m_nAttempts;
    const bool m_bSimulated;
    const platform::TextLookup m_text;

    mutable std::mutex m_mutex;
    std::vector<run::Outcome> m_outcomes; // of the CPMs reached, in turn
    std::optional<size_t> m_current;      // the CPM being run
    std::optional<run::Outcome> m_currentOutcome;
    int m_nAttempt = 0;
    bool m_bAttemptOpen = false;
    Moment m_attemptStart;
    bool m_bEnded = false;
    int m_nExitCode = 0;
};

} // namespace script
