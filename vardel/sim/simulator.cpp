#include "sim/simulator.h"

#include "sim/codes.h"
#include "sim/firmware_scan.h"

#include <limits>

namespace vardel {

Simulator::Simulator(FirmwareOpener opener, TimingConstants timing)
    : m_opener(std::move(opener)), m_timing(timing) {}

void Simulator::UseConfig(const SimConfig& config) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_callLogPath = config.callLog;
}

void Simulator::Log(const std::string& line) {
    std::string path;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        path = m_callLogPath;
    }
    m_callLog.Append(path, line);
}

int32_t Simulator::Register(std::shared_ptr<Session> session, std::optional<int32_t> handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const int32_t id = handle.value_or(m_nextHandle);
    if (id >= m_nextHandle && id < std::numeric_limits<int32_t>::max()) {
        m_nextHandle = id + 1;
    }
    m_sessions[id] = std::move(session);
    return id;
}

std::shared_ptr<Session> Simulator::Find(int32_t handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_sessions.find(handle);
    return found == m_sessions.end() ? nullptr : found->second;
}

int32_t Simulator::GetCOMsStatus(const SimConfig& config) {
    UseConfig(config);
    const int32_t result = static_cast<int32_t>(config.portMask);
    Log(GetCOMsStatusLine(result));
    return result;
}

int32_t Simulator::InitDownload(const InitRequest& request, const SimConfig& config,
                                int32_t ostrelVersion) {
    UseConfig(config);
    const int32_t result = Prepare(request, config, ostrelVersion, CountRun(request.Address()));
    Log(InitDownloadLine(request, result));
    return result;
}

int Simulator::CountRun(int address) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return ++m_runsTo[address];
}

int32_t Simulator::Prepare(const InitRequest& request, const SimConfig& config,
                           int32_t ostrelVersion, int run) {
    const ScriptSettings& script = config.script;
    auto session = [&]() -> std::shared_ptr<Session> {
        if (script.Scripted()) {
            return std::make_shared<ScriptedSession>(script);
        }
        return std::make_shared<ModelledSession>(request, config, m_opener, m_timing, run);
    };
    // The script's answers come without any check, so a test of the program
    // needs neither a firmware file nor matching settings.
    if (script.initResult) {
        if (*script.initResult < 0) {
            return *script.initResult;
        }
        return Register(session(), *script.initResult);
    }
    if (script.Scripted()) {
        return Register(session());
    }

    if (ostrelVersion != kOstrelVersion) {
        return code::kWrongOstrelVersion;
    }
    if (const int32_t wrong = CheckInitRequest(request, config)) {
        return wrong;
    }
    const std::unique_ptr<ByteSource> file = m_opener(request.path);
    if (!file) {
        return code::kCannotOpenFile;
    }
    FirmwareImage image(m_timing.blockBytes, m_timing.sectorBytes);
    if (ScanFirmware(*file, image, kInitScanBudget).outcome != ScanResult::Outcome::Valid) {
        return code::kDataError;
    }
    if (config.initError && config.FaultStrikes(request.Address(), run)) {
        return *config.initError;
    }
    return Register(session());
}

Simulator::Started Simulator::StartDownload(int32_t handle) {
    Started started{code::kWrongDownloadId, nullptr};
    if (const std::shared_ptr<Session> session = Find(handle)) {
        started.result = 0;
        if (session->Claim()) {
            started.run = session;
        }
    }
    Log(HandleCallLine("StartDownload", handle, started.result));
    return started;
}

int32_t Simulator::AbortDownload(int32_t handle) {
    int32_t result = code::kWrongDownloadId;
    if (const std::shared_ptr<Session> session = Find(handle)) {
        session->Abort();
        result = 0;
    }
    Log(HandleCallLine("AbortDownload", handle, result));
    return result;
}

DownloadStatus Simulator::GetDownloadStatus(int32_t handle) {
    DownloadStatus status{code::kWrongDownloadId, phase::kEnded};
    if (const std::shared_ptr<Session> session = Find(handle)) {
        status = session->Status();
    }
    Log(GetDownloadStatusLine(handle, status));
    return status;
}

} // namespace vardel
