#include "script/text_sink.h"

#include "script/port_listing.h"

namespace script {

void ConsoleTextSink::RunEnded(const RunFacts& facts) {
    m_writeLine(ConsoleLine(facts));
}

void ConsoleTextSink::SequenceEnded(const std::vector<RunFacts>& lines,
                                    const SequenceSummary& summary,
                                    std::optional<std::chrono::milliseconds>) {
    for (const RunFacts& facts : lines) {
        m_writeLine(ConsoleLine(facts));
    }
    if (!summary.line.empty()) {
        m_writeLine(summary.line);
    }
}

// A command that runs nothing (/ports) is refused with its text alone: it
// has no moment, port or file to tell.
void ConsoleTextSink::Refused(const RunFacts& facts, int) {
    m_writeLine(facts.time.year == 0 ? facts.text : ConsoleLine(facts));
}

void ConsoleTextSink::PortsListed(const std::vector<PortRow>& rows) {
    for (const PortRow& row : rows) {
        m_writeLine(PortLine(row, m_text));
    }
}

void ConsoleTextSink::VersionTold(const VersionFacts& facts, int) {
    m_writeLine(facts.text);
}

void ConsoleTextSink::Note(const std::string& text) {
    m_writeLine(text);
}

} // namespace script
