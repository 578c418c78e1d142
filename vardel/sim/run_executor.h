#pragma once

#include "sim/fault.h"
#include "sim/pacer.h"
#include "sim/status_script.h"
#include "sim/timing_model.h"

#include <functional>
#include <optional>
#include <vector>

namespace vardel {

struct FaultSite {
    size_t step;
    uint64_t block;
};

// The block at `percent` of the blocks of the steps of the fault's phase;
// none when no step fails with codes of that phase.
std::optional<FaultSite> LocateFault(const RunPlan& plan, const Fault& fault);

// Progress in 500ths for the planned time done so far; 500 is left for the end.
int32_t ProgressOf(double doneSeconds, double totalSeconds);

struct RunHooks {
    std::function<bool()> aborted;
    std::function<void(DownloadStatus)> publish;
};

// Runs the plan one block at a time on the pacer's clock and publishes the
// status at the start of each step and after each block: progress 0..499 of
// the planned time, then 500 with phase 7. An abort takes effect before the
// next block (-701 with phase 7); a fault that the retries do not cure ends
// the run with its code and the phase of the step it struck; a stall holds
// the run where it strikes, publishing nothing, until the abort. Returns the
// last status published.
DownloadStatus ExecutePlan(const RunPlan& plan, const std::vector<Fault>& faults, int retry,
                           const TimingConstants& timing, Pacer& pacer, const RunHooks& hooks);

} // namespace vardel
