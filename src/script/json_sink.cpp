#include "script/json_sink.h"

#include "script/outcomes.h"
#include "script/progress_line.h"
#include "vardel_api/exports.h"

#include <algorithm>
#include <utility>

namespace script {
namespace {

const char kSchema[] = "tavro-download/1";
const std::chrono::milliseconds kProgressEvery{1000};

JsonObject Event(const char* name) {
    JsonObject object;
    object.Add("schema", kSchema).Add("event", name);
    return object;
}

// A port of 0 is none chosen yet: not known.
void AddPort(JsonObject& object, int port) {
    if (port > 0) {
        object.Add("port", port);
    }
}

// The facts hold the address as text; for a CPM it is its number, and
// anything else (none yet, a refusal's list as given) is no CPM's address.
void AddCpm(JsonObject& object, const std::string& address) {
    const bool number =
        !address.empty() && address.size() <= 9 &&
        std::all_of(address.begin(), address.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (number) {
        object.Add("cpm", std::stoi(address));
    }
}

} // namespace

JsonSink::JsonSink(LineWriter writeLine, LineWriter note, platform::TextLookup text)
    : m_writeLine(std::move(writeLine)), m_note(std::move(note)), m_text(std::move(text)) {}

void JsonSink::RunStarted(const RunStart& e) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_progressWritten = false;
    }
    JsonObject object = Event("start");
    object.AddIfKnown("program", e.program)
        .AddIfKnown("library", e.library)
        .Add("simulator", e.simulated);
    AddPort(object, e.port);
    object.AddIfKnown("portName", e.portName)
        .AddIfKnown("serial", e.portSerial)
        .Add("cpm", e.address)
        .Add("index", e.index)
        .Add("count", e.count)
        .AddIfKnown("target", e.target)
        .AddIfKnown("file", e.file);
    if (e.size) {
        object.Add("size", *e.size);
    }
    object.AddIfKnown("sha256", e.sha256).Add("attempt", e.attempt).Add("attempts", e.attempts);
    Write(object);
}

bool JsonSink::ProgressDue(const RunProgress& e) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const bool due =
        !m_progressWritten || e.phase != m_phase || e.elapsed - m_elapsed >= kProgressEvery;
    if (due) {
        m_progressWritten = true;
        m_phase = e.phase;
        m_elapsed = e.elapsed;
    }
    return due;
}

void JsonSink::RunProgressed(const RunProgress& e) {
    if (!ProgressDue(e)) {
        return;
    }
    JsonObject object = Event("progress");
    object.Add("cpm", e.address)
        .Add("attempt", e.attempt)
        .Add("percent", std::clamp(e.status * 100 / vardel_api::kStatusFinished, 0, 100));
    if (const char* words = PhaseWords(e.phase)) {
        object.Add("phase", e.phase).Add("phaseText", words);
    }
    object.Add("seconds", static_cast<long long>(e.elapsed.count() / 1000));
    Write(object);
}

void JsonSink::RunEnded(const RunFacts& f) {
    JsonObject object = Event("end");
    if (f.time.year != 0) {
        object.Add("time", IsoUtc(f.time));
    }
    AddPort(object, f.port);
    AddCpm(object, f.address);
    object.AddIfKnown("target", f.target)
        .AddIfKnown("file", f.file)
        .AddIfKnown("outcome", f.outcome);
    if (f.code) {
        object.Add("code", *f.code);
    }
    object.AddIfKnown("text", f.text);
    if (f.attempt != 0) {
        object.Add("attempt", f.attempt).Add("attempts", f.attempts);
    }
    object.AddTenths("seconds", f.seconds).Add("simulator", f.simulated);
    Write(object);
}

// The lines never wait to go out, so the hurry of a session's end needs
// nothing of this sink.
void JsonSink::SequenceEnded(const std::vector<RunFacts>& lines, const SequenceSummary& summary,
                             std::optional<std::chrono::milliseconds> /*hurry*/) {
    for (const RunFacts& facts : lines) {
        RunEnded(facts);
    }
    // Per outcome word, in the order each first ended a CPM.
    std::vector<std::pair<std::string, int>> counts;
    for (run::Outcome outcome : summary.outcomes) {
        const std::string word = OutcomeWord(outcome, m_text);
        const auto known = std::find_if(counts.begin(), counts.end(),
                                        [&word](const auto& count) { return count.first == word; });
        if (known == counts.end()) {
            counts.emplace_back(word, 1);
        } else {
            ++known->second;
        }
    }
    JsonObject outcomes;
    for (const auto& count : counts) {
        outcomes.Add(count.first.c_str(), count.second);
    }
    Write(Event("summary")
              .Add("cpms", summary.outcomes.size())
              .Add("outcomes", outcomes)
              .Add("exitCode", summary.exitCode));
}

void JsonSink::Refused(const RunFacts& f, int exitCode) {
    JsonObject object = Event("refused");
    object.AddIfKnown("outcome", f.outcome).AddIfKnown("text", f.text);
    AddPort(object, f.port);
    object.AddIfKnown("address", f.address)
        .AddIfKnown("target", f.target)
        .AddIfKnown("file", f.file)
        .Add("exitCode", exitCode);
    Write(object);
}

void JsonSink::PortsListed(const std::vector<PortRow>& rows) {
    for (const PortRow& row : rows) {
        JsonObject object = Event("port");
        object.Add("port", row.port).Add("offered", row.offered);
        if (row.device) {
            object.AddIfKnown("name", row.device->name)
                .AddIfKnown("manufacturer", row.device->manufacturer)
                .AddIfKnown("usbIds", row.device->usbIds)
                .AddIfKnown("serial", row.device->serial);
        }
        Write(object);
    }
}

void JsonSink::VersionTold(const VersionFacts& f, int exitCode) {
    JsonObject object = Event("version");
    object.AddIfKnown("program", f.program);
    if (f.libraryLoaded) {
        object.AddIfKnown("libraryPath", f.libraryPath)
            .AddIfKnown("libraryVersion", f.libraryVersion)
            .Add("simulator", f.simulator);
    } else {
        object.AddIfKnown("text", OneLine(f.text));
    }
    Write(object.Add("exitCode", exitCode));
}

void JsonSink::Note(const std::string& text) {
    if (m_note) {
        m_note(text);
    }
}

} // namespace script
