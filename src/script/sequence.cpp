#include "script/sequence.h"

#include "res/resource.h"
#include "script/outcomes.h"
#include "script/retry_rule.h"

namespace script {

Sequence::Sequence(std::vector<int> addresses, DownloadSettings settings, int attempts,
                   bool simulated, platform::TextLookup text)
    : m_addresses(std::move(addresses)), m_settings(std::move(settings)), m_nAttempts(attempts),
      m_bSimulated(simulated), m_text(std::move(text)) {}

bool Sequence::BeginAttempt(size_t index, int attempt, const Moment& now) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bEnded) {
        return false;
    }
    if (m_current != index) {
        CountCurrentCpm();
        m_current = index;
    }
    m_nAttempt = attempt;
    m_bAttemptOpen = true;
    m_attemptStart = now;
    return true;
}

std::optional<RunFacts> Sequence::EndAttempt(const DownloadSettings& settings,
                                             const run::RunResult& result) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bAttemptOpen) {
        return std::nullopt;
    }
    m_bAttemptOpen = false;
    m_currentOutcome = result.outcome; // a CPM counts with its last attempt
    return Facts(settings, result);
}

std::optional<Sequence::Ending> Sequence::End(bool stopped, const std::string& cutShort,
                                              const Moment& now) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bEnded) {
        return std::nullopt;
    }
    m_bEnded = true;
    Ending ending;
    DownloadSettings settings = m_settings;
    if (m_bAttemptOpen) {
        m_bAttemptOpen = false;
        settings.m_nCpmAddress = m_addresses[*m_current];
        run::RunResult cancelled;
        cancelled.outcome = run::Outcome::Cancelled;
        cancelled.text = cutShort;
        cancelled.started = m_attemptStart.utc;
        cancelled.seconds =
            std::chrono::duration<double>(now.steady - m_attemptStart.steady).count();
        ending.lines.push_back(Facts(settings, cancelled));
        m_currentOutcome = cancelled.outcome;
    }
    CountCurrentCpm();
    // The CPMs the sequence did not reach are named too: none may pass unseen.
    const size_t reached = m_outcomes.size();
    for (size_t i = reached; i < m_addresses.size(); ++i) {
        settings.m_nCpmAddress = m_addresses[i];
        run::RunResult notRun;
        notRun.outcome = run::Outcome::NotRun;
        notRun.started = now.utc;
        notRun.text = stopped || reached == 0
                          ? m_text(IDS_NOT_RUN_STOPPED)
                          : platform::FormatText(m_text(IDS_NOT_RUN_AFTER),
                                                 {CpmName(m_addresses[reached - 1])});
        ending.lines.push_back(FactsOf(settings, notRun, m_text));
        m_outcomes.push_back(notRun.outcome);
    }
    m_nExitCode = WorstExitCode(m_outcomes);
    ending.summary.outcomes = m_outcomes;
    ending.summary.exitCode = m_nExitCode;
    if (m_addresses.size() > 1) {
        ending.summary.line = SummaryLine(m_outcomes, m_text);
    }
    return ending;
}

int Sequence::ExitCode() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_nExitCode;
}

// Every attempt is told; with several, its text names which one it was.
RunFacts Sequence::Facts(const DownloadSettings& settings, const run::RunResult& result) const {
    RunFacts facts = FactsOf(settings, result, m_text);
    facts.attempt = m_nAttempt;
    facts.attempts = m_nAttempts;
    if (m_nAttempts > 1) {
        facts.text = AttemptText(m_nAttempt, m_nAttempts, facts.text, m_text);
        facts.namesAttempt = true;
    }
    facts.simulated = m_bSimulated;
    return facts;
}

void Sequence::CountCurrentCpm() {
    if (m_currentOutcome) {
        m_outcomes.push_back(*m_currentOutcome);
        m_currentOutcome.reset();
    }
}

} // namespace script
