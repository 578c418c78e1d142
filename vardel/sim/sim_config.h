#pragma once

#include "sim/fault.h"
#include "sim/line_settings.h"
#include "sim/status_script.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vardel {

// The scripted mode: InitDownload and the status reads follow the
// configuration instead of the simulated CPM, for tests of the program.
struct ScriptSettings {
    std::vector<DownloadStatus> reads; // empty: not scripted
    std::optional<int32_t> initResult;
    std::optional<DownloadStatus> afterAbort = DownloadStatus{-701, 7}; // none: abort ignored
    int abortDelayReads = 0;

    bool Scripted() const { return !reads.empty(); }
};

// Everything the configuration file can set. A key that is missing or whose
// value cannot be read keeps its default.
struct SimConfig {
    // [Vardel]
    uint32_t portMask = 0x0001;
    std::string callLog;
    double speedFactor = 1.0;
    // How long GetCOMsStatus and InitDownload take, in real ms after their
    // call is logged: a caller can be caught inside them.
    int32_t scanDelayMs = 0;
    int32_t initDelayMs = 0;
    // [Line]
    LineSettings line;
    // [CPM]: the addresses that answer, by port.
    std::map<int, std::set<int>> answering = {{1, {1}}};
    // [Fault]
    std::optional<int32_t> initError;
    std::optional<Fault> fault;
    bool noAnswer = false;
    std::optional<int> faultAddress; // the faults strike only runs to this CPM
    std::optional<int> faultRuns;    // ... and only its first runs, this many
    // [Script]
    ScriptSettings script;

    // Broadcast (255) reaches the port's CPMs if there is one.
    bool Answers(int port, int address) const;
    // Whether the [Fault] section applies to a run to this address, the
    // run-th (from 1) to it since the library was loaded.
    bool FaultStrikes(int address, int run) const;
};

SimConfig ReadSimConfig(const std::string& iniText);

// [Ostrel] Version, which the serial helper library reports as its own.
const int32_t kOstrelVersion = 0x0202;
int32_t ReadOstrelVersion(const std::string& iniText);

} // namespace vardel
