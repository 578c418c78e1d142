#pragma once

#include "sim/call_log.h"
#include "sim/init_request.h"
#include "sim/session.h"
#include "sim/sim_config.h"
#include "sim/timing_model.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vardel {

// InitDownload reads this much of the file to refuse broken data at once;
// the rest is checked while the run prepares its data, so the caller's
// thread never waits long on a large file.
const uint64_t kInitScanBudget = 4u << 20;

// The download library behind its five entry points, without the platform:
// each call takes the configuration as just read and writes its call-log
// line. Safe to call from any thread.
class Simulator {
public:
    explicit Simulator(FirmwareOpener opener, TimingConstants timing = {});

    int32_t GetCOMsStatus(const SimConfig& config);
    int32_t InitDownload(const InitRequest& request, const SimConfig& config,
                         int32_t ostrelVersion);

    struct Started {
        int32_t result;
        // Set when the session needs a worker thread to Run it.
        std::shared_ptr<Session> run;
    };
    Started StartDownload(int32_t handle);
    int32_t AbortDownload(int32_t handle);
    DownloadStatus GetDownloadStatus(int32_t handle);

private:
    int32_t Prepare(const InitRequest& request, const SimConfig& config, int32_t ostrelVersion,
                    int run);
    // Counts an InitDownload to this address; returns how many there were.
    int CountRun(int address);
    int32_t Register(std::shared_ptr<Session> session, std::optional<int32_t> handle = {});
    std::shared_ptr<Session> Find(int32_t handle);
    void UseConfig(const SimConfig& config);
    void Log(const std::string& line);

    const FirmwareOpener m_opener;
    const TimingConstants m_timing;
    std::mutex m_mutex;
    std::map<int32_t, std::shared_ptr<Session>> m_sessions;
    int32_t m_nextHandle = 1;
    std::map<int, int> m_runsTo; // InitDownload calls by CPM address
    std::string m_callLogPath;
    CallLog m_callLog;
};

} // namespace vardel
