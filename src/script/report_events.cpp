#include "script/report_events.h"

namespace script {

void Reporter::RunStarted(const RunStart& e) {
    for (ReportSink* sink : m_sinks) {
        sink->RunStarted(e);
    }
}

void Reporter::RunProgressed(const RunProgress& e) {
    for (ReportSink* sink : m_sinks) {
        sink->RunProgressed(e);
    }
}

void Reporter::RunEnded(const RunFacts& facts) {
    for (ReportSink* sink : m_sinks) {
        sink->RunEnded(facts);
    }
}

void Reporter::SequenceEnded(const std::vector<RunFacts>& lines, const SequenceSummary& summary,
                             std::optional<std::chrono::milliseconds> hurry) {
    for (ReportSink* sink : m_sinks) {
        sink->SequenceEnded(lines, summary, hurry);
    }
}

void Reporter::Refused(const RunFacts& facts, int exitCode) {
    for (ReportSink* sink : m_sinks) {
        sink->Refused(facts, exitCode);
    }
}

void Reporter::PortsListed(const std::vector<PortRow>& rows) {
    for (ReportSink* sink : m_sinks) {
        sink->PortsListed(rows);
    }
}

void Reporter::VersionTold(const VersionFacts& facts, int exitCode) {
    for (ReportSink* sink : m_sinks) {
        sink->VersionTold(facts, exitCode);
    }
}

void Reporter::Note(const std::string& text) {
    for (ReportSink* sink : m_sinks) {
        sink->Note(text);
    }
}

} // namespace script
