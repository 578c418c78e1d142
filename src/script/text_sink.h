#pragma once

#include "platform/string_table.h"
#include "script/report_events.h"

#include <functional>
#include <string>

namespace script {

// The console's text: a line per attempt, per CPM not reached and per
// refusal, the summary after a sequence, the port listing, the versions and
// every note, each handed to writeLine.
class ConsoleTextSink : public ReportSink {
public:
    using WriteLine = std::function<void(const std::string& utf8)>;
    ConsoleTextSink(WriteLine writeLine, platform::TextLookup text)
        : m_writeLine(std::move(writeLine)), m_text(std::move(text)) {}

    void RunEnded(const RunFacts& facts) override;
    void SequenceEnded(const std::vector<RunFacts>& lines, const SequenceSummary& summary,
                       std::optional<std::chrono::milliseconds> hurry) override;
    void Refused(const RunFacts& facts, int exitCode) override;
    void PortsListed(const std::vector<PortRow>& rows) override;
    void VersionTold(const VersionFacts& facts, int exitCode) override;
    void Note(const std::string& text) override;

private:
    const WriteLine m_writeLine;
    const platform::TextLookup m_text;
};

} // namespace script
