#pragma once

#include "sim/byte_source.h"
#include "sim/init_request.h"
#include "sim/pacer.h"
#include "sim/sim_config.h"
#include "sim/status_script.h"
#include "sim/timing_model.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vardel {

// Opens a firmware file for reading; nullptr when it cannot be opened.
using FirmwareOpener = std::function<std::unique_ptr<ByteSource>(const std::string& path)>;

// One download, from InitDownload on. Status and Abort may come from any
// thread while Run works on the library's worker thread.
class Session {
public:
    virtual ~Session() = default;

    virtual DownloadStatus Status() = 0;
    virtual void Abort() = 0;
    // True once, for the start of a session that Run must carry out on a
    // thread of its own.
    virtual bool Claim() = 0;
    // Hands back a claim that no thread could carry out.
    virtual void Unclaim() = 0;
    virtual void Run(Pacer& pacer) = 0;
    virtual double SpeedFactor() const = 0;
};

// A download through the simulated CPM: prepares the data, then goes through
// the run plan on the pacer's clock with the configured faults.
class ModelledSession : public Session {
public:
    // run: how many runs to its CPM address InitDownload has counted, this one
    // included, for the faults of the first runs only.
    ModelledSession(InitRequest request, SimConfig config, FirmwareOpener opener,
                    TimingConstants timing, int run);

    DownloadStatus Status() override;
    void Abort() override;
    bool Claim() override;
    void Unclaim() override;
    void Run(Pacer& pacer) override;
    double SpeedFactor() const override { return m_config.speedFactor; }

private:
    void Publish(DownloadStatus status);
    std::vector<Fault> Faults() const;

    const InitRequest m_request;
    const SimConfig m_config;
    const FirmwareOpener m_opener;
    const TimingConstants m_timing;
    const int m_run;
    std::atomic<int64_t> m_status;
    std::atomic<bool> m_abort{false};
    std::mutex m_mutex;
    bool m_claimed = false;
    bool m_ended = false;
};

// A download that answers from the [Script] settings; nothing runs.
class ScriptedSession : public Session {
public:
    explicit ScriptedSession(const ScriptSettings& script);

    DownloadStatus Status() override;
    void Abort() override;
    bool Claim() override { return false; }
    void Unclaim() override {}
    void Run(Pacer&) override {}
    double SpeedFactor() const override { return 1.0; }

private:
    std::mutex m_mutex;
    StatusScript m_script;
};

} // namespace vardel
