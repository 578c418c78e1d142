#pragma once

#include "platform/profile_store.h"
#include "platform/string_table.h"
#include "run/run_result.h"
#include "settings/download_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace script {

// "CPM 5", "Broadcast": a CPM of a sequence.
std::string CpmName(int address);
// "CPM 5 (3 of 7)", "Broadcast (1 of 1)": which run of a sequence is shown.
std::string SequenceText(int address, size_t index, size_t count);
// After a sequence, the outcomes of every CPM it named: how many got the
// firmware, how many did not, how many were not tried, and the exit code.
std::string SummaryLine(const std::vector<run::Outcome>& outcomes,
                        const platform::TextLookup& text);

// One run, or one refusal to run, as the console and the record tell it.
struct RunFacts {
    run::UtcTime time;
    int port = 0;        // 0: none chosen yet
    std::string address; // "5", "255"; for a refusal the addresses as given
    std::string target;  // "prim", "red"
    std::string file;    // full path
    std::string outcome; // its word
    std::optional<int> code;
    std::string text; // one line
    // The text names one of several attempts at the CPM: the console shows
    // it after a success too.
    bool namesAttempt = false;
    int attempt = 0; // which attempt at the CPM, of attempts; 0: not an attempt (not run, refused)
    int attempts = 0;
    double seconds = 0;
    // For the record only.
    std::string computer, user;
    std::optional<uint64_t> size;
    std::string sha256;       // lower-case hex; empty when the file could not be read
    std::string approvedName; // the approved list's name for the file, if any
    bool simulated = false;   // a run with the simulator: no CPM was written
};

// The facts of a run of these settings (file: the path as the settings hold it).
RunFacts FactsOf(const DownloadSettings& settings, const run::RunResult& result,
                 const platform::TextLookup& text);

struct Request;
// A request refused or stopped before its CPMs were known, as a line of its
// own: the port, addresses and target it names, and the file (full path).
RunFacts RequestFacts(const Request& request, run::Outcome outcome, const std::string& text,
                      const std::string& file, const platform::TextLookup& lookup);

// "2025-01-31T13:02:07Z"
std::string IsoUtc(const run::UtcTime& time);
// A message's lines joined by blanks.
std::string OneLine(const std::string& text);
// "2025-01-31T13:02:07Z  COM1  CPM 5  prim  C:\fw\main.fdl  failed  -217  Download error ! ..."
// The code only for a run that did not download; the text too, and after a
// download only when it names the attempt.
std::string ConsoleLine(const RunFacts& facts);

// The download record: CSV after RFC 4180, one line per run, CR LF.
std::string CsvField(const std::string& value);
std::string RecordHeader();
// The text column names the approved list's name for the file after the
// text, and then that the simulator wrote no CPM.
std::string RecordLine(const RunFacts& facts, const platform::TextLookup& text);
std::string HexText(const unsigned char* bytes, size_t count);

// The record named by the settings file's [LOG] FILE= ("" for none); a
// relative path lies beside the settings file.
std::string RecordPathSetting(ProfileStore& profile, const std::string& settingsPath);

} // namespace script
