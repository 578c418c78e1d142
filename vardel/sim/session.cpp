#include "sim/session.h"

#include "sim/codes.h"
#include "sim/firmware_scan.h"
#include "sim/run_executor.h"

namespace vardel {

ModelledSession::ModelledSession(InitRequest request, SimConfig config, FirmwareOpener opener,
                                 TimingConstants timing, int run)
    : m_request(std::move(request)), m_config(std::move(config)), m_opener(std::move(opener)),
      m_timing(timing), m_run(run), m_status(vardel_api::PackDownloadStatus(0, phase::kPreparing)) {
}

DownloadStatus ModelledSession::Status() {
    return vardel_api::SplitDownloadStatus(m_status.load());
}

void ModelledSession::Publish(DownloadStatus status) {
    m_status.store(vardel_api::PackDownloadStatus(status.status, status.phase));
}

void ModelledSession::Abort() {
    m_abort = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_claimed && !m_ended) {
        m_ended = true;
        Publish({code::kCancelled, phase::kEnded});
    }
}

bool ModelledSession::Claim() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_claimed || m_ended) {
        return false;
    }
    m_claimed = true;
    return true;
}

void ModelledSession::Unclaim() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_claimed = false;
}

std::vector<Fault> ModelledSession::Faults() const {
    std::vector<Fault> faults;
    const bool strikes = m_config.FaultStrikes(m_request.Address(), m_run);
    if ((m_config.noAnswer && strikes) || !m_config.Answers(m_request.port, m_request.Address())) {
        faults.push_back({codephase::kInitFdl, kConditionNoResponse, 0, Fault::kPermanent});
    }
    if (m_config.fault && strikes) {
        faults.push_back(*m_config.fault);
    }
    return faults;
}

void ModelledSession::Run(Pacer& pacer) {
    // The whole file is read again here: InitDownload looked at its start only.
    const std::unique_ptr<ByteSource> file = m_opener(m_request.path);
    if (!file) {
        Publish({code::kDataError, phase::kPreparing});
        return;
    }
    FirmwareImage image(m_timing.blockBytes, m_timing.sectorBytes);
    const ScanResult scan = ScanFirmware(*file, image, kWholeFile, [this] { return !m_abort; });
    if (scan.outcome == ScanResult::Outcome::Stopped) {
        Publish({code::kCancelled, phase::kEnded});
        return;
    }
    if (scan.outcome == ScanResult::Outcome::Broken) {
        Publish({code::kDataError, phase::kPreparing});
        return;
    }
    const RunPlan plan =
        PlanRun(image, InitTelegramBytes(m_request.initText).value_or(0), m_config.line, m_timing);
    const RunHooks hooks{[this] { return m_abort.load(); },
                         [this](DownloadStatus status) { Publish(status); }};
    ExecutePlan(plan, Faults(), m_request.retry, m_timing, pacer, hooks);
}

ScriptedSession::ScriptedSession(const ScriptSettings& script)
    : m_script(script.reads, script.afterAbort, script.abortDelayReads) {}

DownloadStatus ScriptedSession::Status() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_script.Read();
}

void ScriptedSession::Abort() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_script.Abort();
}

} // namespace vardel
