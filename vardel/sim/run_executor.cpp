#include "sim/run_executor.h"

#include "sim/codes.h"

#include <algorithm>

namespace vardel {

std::optional<FaultSite> LocateFault(const RunPlan& plan, const Fault& fault) {
    uint64_t blocks = 0;
    for (const PlanStep& step : plan.steps) {
        if (step.codePhase == fault.phase) {
            blocks += step.blocks;
        }
    }
    if (blocks == 0) {
        return std::nullopt;
    }
    uint64_t target =
        std::min<uint64_t>(blocks * static_cast<uint64_t>(fault.percent) / 100, blocks - 1);
    for (size_t i = 0; i < plan.steps.size(); ++i) {
        const PlanStep& step = plan.steps[i];
        if (step.codePhase != fault.phase) {
            continue;
        }
        if (target < step.blocks) {
            return FaultSite{i, target};
        }
        target -= step.blocks;
    }
    return std::nullopt;
}

int32_t ProgressOf(double doneSeconds, double totalSeconds) {
    if (totalSeconds <= 0) {
        return 0;
    }
    const double share = std::clamp(doneSeconds / totalSeconds, 0.0, 1.0);
    return std::min(static_cast<int32_t>(share * code::kFinished), code::kFinished - 1);
}

namespace {

struct PlacedFault {
    Fault fault;
    FaultSite site;
};

class Execution {
public:
    Execution(const RunPlan& plan, int retry, const TimingConstants& timing, Pacer& pacer,
              const RunHooks& hooks)
        : m_plan(plan), m_retry(retry), m_timing(timing), m_pacer(pacer), m_hooks(hooks),
          m_total(plan.Seconds()) {}

    DownloadStatus Run(const std::vector<PlacedFault>& faults) {
        m_pacer.Start();
        for (size_t s = 0; s < m_plan.steps.size(); ++s) {
            const PlanStep& step = m_plan.steps[s];
            Publish({ProgressOf(m_done, m_total), step.phase});
            for (uint64_t b = 0; b < step.blocks; ++b) {
                if (m_hooks.aborted()) {
                    return Publish({code::kCancelled, phase::kEnded});
                }
                const double seconds = step.BlockSeconds(b);
                for (const PlacedFault& placed : faults) {
                    if (placed.site.step != s || placed.site.block != b) {
                        continue;
                    }
                    if (placed.fault.stall) {
                        return Stall();
                    }
                    const Attempts attempts = Endure(placed.fault, seconds);
                    if (attempts == Attempts::Aborted) {
                        return Publish({code::kCancelled, phase::kEnded});
                    }
                    if (attempts == Attempts::Failed) {
                        return Publish({placed.fault.Code(), step.phase});
                    }
                }
                m_clock += seconds;
                m_pacer.WaitUntil(m_clock);
                m_done += seconds;
                Publish({ProgressOf(m_done, m_total), step.phase});
            }
        }
        return Publish({code::kFinished, phase::kEnded});
    }

private:
    DownloadStatus Publish(DownloadStatus status) {
        m_hooks.publish(status);
        return status;
    }

    // Nothing more happens, not even a status, until the run is aborted.
    DownloadStatus Stall() {
        while (!m_hooks.aborted()) {
            m_pacer.Hold();
        }
        return Publish({code::kCancelled, phase::kEnded});
    }

    enum class Attempts { Through, Failed, Aborted };

    // The failed attempts of a faulty telegram, each repeated while retries
    // are left.
    Attempts Endure(const Fault& fault, double blockSeconds) {
        const int attempts = m_retry + 1;
        const int failing =
            fault.failures == Fault::kPermanent ? attempts : std::min(fault.failures, attempts);
        const double wasted =
            blockSeconds + (WaitsForTimeout(fault.condition) ? m_timing.responseTimeoutSeconds : 0);
        for (int attempt = 0; attempt < failing; ++attempt) {
            m_clock += wasted;
            m_pacer.WaitUntil(m_clock);
            if (m_hooks.aborted()) {
                return Attempts::Aborted;
            }
        }
        return fault.CuredBy(m_retry) ? Attempts::Through : Attempts::Failed;
    }

    const RunPlan& m_plan;
    int m_retry;
    const TimingConstants& m_timing;
    Pacer& m_pacer;
    const RunHooks& m_hooks;
    double m_total;
    double m_clock = 0; // simulated time, repeats included
    double m_done = 0;  // planned time of the blocks done
};

} // namespace

DownloadStatus ExecutePlan(const RunPlan& plan, const std::vector<Fault>& faults, int retry,
                           const TimingConstants& timing, Pacer& pacer, const RunHooks& hooks) {
    std::vector<PlacedFault> placed;
    for (const Fault& fault : faults) {
        if (const std::optional<FaultSite> site = LocateFault(plan, fault)) {
            placed.push_back({fault, *site});
        }
    }
    return Execution(plan, retry, timing, pacer, hooks).Run(placed);
}

} // namespace vardel
