#pragma once

#include "platform/string_table.h"
#include "script/json_text.h"
#include "script/report_events.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>

namespace script {

// The JSON event stream of /json (docs/json-events.md): one object per
// event, one line each, for a line controller or a plant's MES to read
// without parsing text meant for a person.
class JsonSink : public ReportSink {
public:
    using LineWriter = std::function<void(const std::string& line)>;

    // writeLine: a line for standard output, without its line end; it takes
    // lines from any thread and waits for none to go out. note: a message for
    // a person, for standard error, so that standard output holds JSON only.
    // text: the outcome words of the summary.
    JsonSink(LineWriter writeLine, LineWriter note, platform::TextLookup text);

    void RunStarted(const RunStart& e) override;
    // At most once a second of the attempt, but always its first and at each
    // change of phase: enough to watch, too few to flood a log.
    void RunProgressed(const RunProgress& e) override;
    void RunEnded(const RunFacts& facts) override;
    void SequenceEnded(const std::vector<RunFacts>& lines, const SequenceSummary& summary,
                       std::optional<std::chrono::milliseconds> hurry) override;
    void Refused(const RunFacts& facts, int exitCode) override;
    void PortsListed(const std::vector<PortRow>& rows) override;
    void VersionTold(const VersionFacts& facts, int exitCode) override;
    void Note(const std::string& text) override;

private:
    void Write(const JsonObject& object) const { m_writeLine(object.Text()); }
    bool ProgressDue(const RunProgress& e);

    LineWriter m_writeLine;
    LineWriter m_note;
    platform::TextLookup m_text;

    // The last progress written. Progress comes from the runs' thread only;
    // the lock keeps that from being a hidden rule.
    std::mutex m_mutex;
    bool m_progressWritten = false; // since the attempt started
    int m_phase = -1;
    std::chrono::milliseconds m_elapsed{0};
};

} // namespace script
