#include "sim/timing_model.h"

#include "sim/codes.h"

#include <algorithm>

namespace vardel {

uint64_t PlanStep::BytesOfBlock(uint64_t block) const {
    return bytes / blocks + (block < bytes % blocks ? 1 : 0);
}

double PlanStep::BlockSeconds(uint64_t block) const {
    return blockSeconds + static_cast<double>(BytesOfBlock(block)) * byteSeconds;
}

double PlanStep::Seconds() const {
    return static_cast<double>(blocks) * blockSeconds + static_cast<double>(bytes) * byteSeconds;
}

double RunPlan::Seconds() const {
    double seconds = 0;
    for (const PlanStep& step : steps) {
        seconds += step.Seconds();
    }
    return seconds;
}

double LineLimitSeconds(uint64_t bytes, const LineSettings& line) {
    return static_cast<double>(bytes) * CharacterSeconds(line);
}

RunPlan PlanRun(const FirmwareImage& image, size_t initTelegramBytes, const LineSettings& line,
                const TimingConstants& timing) {
    const double character = CharacterSeconds(line);
    // One request without data and its answer.
    const double exchange =
        (timing.requestOverheadBytes + timing.responseBytes) * character + timing.turnaroundSeconds;
    const double sectorErase = timing.sectorEraseSeconds;
    const double sectorVerify =
        timing.checksumBytes * character + timing.sectorBytes * timing.verifySecondsPerByte;

    // Per sector one erase request; a memory without data gets one request
    // that erases nothing.
    auto erase = [&](int32_t phase, int codePhase, const RegionTally& region) {
        const uint64_t sectors = region.sectors.size();
        return PlanStep{phase,
                        codePhase,
                        std::max<uint64_t>(sectors, 1),
                        exchange + (sectors > 0 ? sectorErase : 0.0),
                        0,
                        0.0};
    };
    auto program = [&](int32_t phase, int codePhase, const RegionTally& region) {
        return PlanStep{phase,    codePhase,    std::max<uint64_t>(region.telegrams, 1),
                        exchange, region.bytes, character + timing.programSecondsPerByte};
    };
    const uint64_t sectors = image.Cpr().sectors.size() + image.Iop().sectors.size();

    RunPlan plan;
    plan.steps = {
        {phase::kStarting, codephase::kLibrary, 1, timing.openPortSeconds, 0, 0.0},
        {phase::kInitCpm, codephase::kInitFdl, 1,
         static_cast<double>(initTelegramBytes + timing.responseBytes) * character +
             timing.turnaroundSeconds,
         0, 0.0},
        {phase::kStartCpr, codephase::kInitFdl, 1, exchange + timing.loaderStartSeconds, 0, 0.0},
        erase(phase::kEraseCpr, codephase::kDelCpr, image.Cpr()),
        program(phase::kProgramCpr, codephase::kProgCpr, image.Cpr()),
        erase(phase::kEraseIop, codephase::kDelIop, image.Iop()),
        program(phase::kProgramIop, codephase::kProgIop, image.Iop()),
        // A checksum per sector, then the closing exchange that restarts the CPM.
        {phase::kVerifying, codephase::kEndFdl, std::max<uint64_t>(sectors, 1),
         exchange + (sectors > 0 ? sectorVerify : 0.0), 0, 0.0},
        {phase::kVerifying, codephase::kEndFdl, 1, exchange, 0, 0.0},
    };
    return plan;
}

} // namespace vardel
