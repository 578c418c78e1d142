#pragma once

#include "fields/port_device.h"
#include "run/run_result.h"
#include "script/report_lines.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace script {

// What a scripted request tells, as events: every way of telling it (the
// console's lines, the progress line, the JSON stream, the record) is a sink
// fed by the same events, and the host only decides what happens next.

// One attempt at one CPM begins.
struct RunStart {
    std::string program;    // the program's version, "2.2"
    std::string library;    // the library's file version; "" when it has none
    bool simulated = false; // the simulator: no CPM is written
    int port = 0;           // n of COMn
    std::string portName;   // the port's device as Windows names it; "" unknown
    std::string portSerial; // its USB serial number; "" unknown
    int address = 0;        // 0..127, 255 broadcast
    size_t index = 1;       // its place in the sequence, from 1
    size_t count = 1;       // the CPMs the sequence names
    std::string target;     // "prim", "red"
    std::string file;       // full path
    std::optional<uint64_t> size;
    std::string sha256; // lower-case hex; "" unknown
    int attempt = 1;
    int attempts = 1;
};

// Where the run stands, each time it is polled.
struct RunProgress {
    int address = 0;
    std::string cpm; // "CPM 5 (3 of 7)"
    int attempt = 1;
    int attempts = 1;
    int phase = -1; // the last phase that has words (PhaseWords); -1: none yet
    int status = 0; // the library's progress, 0..500
    std::chrono::milliseconds elapsed{0}; // since the attempt began
};

// After the sequence: what became of every CPM it named.
struct SequenceSummary {
    std::vector<run::Outcome> outcomes; // in the order named
    int exitCode = 0;
    std::string line; // "3 CPMs: 1 downloaded, ..."; "" when one CPM was named
};

// /ports: a COM port the library offers, or one only Windows knows.
struct PortRow {
    int port = 0;
    bool offered = false;
    std::optional<fields::PortDevice> device; // nothing: Windows does not describe it
};

// /version.
struct VersionFacts {
    std::string program; // "2.2"
    bool libraryLoaded = false;
    std::string libraryPath;    // full path; "" when not loaded
    std::string libraryVersion; // "" when it has none, or not loaded
    bool simulator = false;
    std::string text; // all of it, or why the library cannot be loaded, as a person reads it
};

// One way of telling. Every event may come from the runs' thread; the
// sequence's end and a note also from the threads that learn of the
// session's end and of a closed console: a sink that keeps state guards it.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void RunStarted(const RunStart&) {}
    virtual void RunProgressed(const RunProgress&) {}
    // An attempt ended (facts.attempt names it when there are several).
    virtual void RunEnded(const RunFacts&) {}
    // The sequence ended: the attempt it cut short and the CPMs it did not
    // reach, then the summary. hurry: Windows ends the process soon, and a
    // sink waits no longer than this for anything.
    virtual void SequenceEnded(const std::vector<RunFacts>& /*lines*/,
                               const SequenceSummary& /*summary*/,
                               std::optional<std::chrono::milliseconds> /*hurry*/) {}
    // The request was refused before any run (facts.text says why).
    virtual void Refused(const RunFacts& /*facts*/, int /*exitCode*/) {}
    virtual void PortsListed(const std::vector<PortRow>&) {}
    virtual void VersionTold(const VersionFacts& /*facts*/, int /*exitCode*/) {}
    // A message for whoever watches (the record cannot be written, the usage).
    virtual void Note(const std::string& /*text*/) {}
};

// Hands every event to each sink, in the order they were added.
class Reporter : public ReportSink {
public:
    void Add(ReportSink& sink) { m_sinks.push_back(&sink); }

    void RunStarted(const RunStart& e) override;
    void RunProgressed(const RunProgress& e) override;
    void RunEnded(const RunFacts& facts) override;
    void SequenceEnded(const std::vector<RunFacts>& lines, const SequenceSummary& summary,
                       std::optional<std::chrono::milliseconds> hurry) override;
    void Refused(const RunFacts& facts, int exitCode) override;
    void PortsListed(const std::vector<PortRow>& rows) override;
    void VersionTold(const VersionFacts& facts, int exitCode) override;
    void Note(const std::string& text) override;

private:
    std::vector<ReportSink*> m_sinks; // all added before the first event
};

} // namespace script
