#pragma once

#include "sim/firmware_image.h"
#include "sim/line_settings.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vardel {

// The figures of the simulated CPM and its telegrams.
struct TimingConstants {
    // A request: function key, sub-station, four address bytes, byte counter
    // and check byte around its data; the CPM's answer: function key,
    // sub-station, result, byte counter and check byte.
    int requestOverheadBytes = 8;
    int responseBytes = 5;
    int checksumBytes = 2; // added to a verification answer
    uint32_t blockBytes = 128;
    double turnaroundSeconds = 0.005;
    double responseTimeoutSeconds = 1.0;
    double openPortSeconds = 0.1;
    double loaderStartSeconds = 0.8; // the CPR restarts into its flash loader
    uint32_t sectorBytes = 0x10000;
    double sectorEraseSeconds = 0.6;
    double programSecondsPerByte = 12e-6;
    double verifySecondsPerByte = 0.25e-6; // the CPM reads its flash back for the checksum
};

// One step of a run: `blocks` telegram exchanges of equal fixed time, over
// which `bytes` data bytes are spread as evenly as whole bytes allow.
struct PlanStep {
    int32_t phase; // reported with the status
    int codePhase; // of the codes it fails with
    uint64_t blocks;
    double blockSeconds;
    uint64_t bytes;
    double byteSeconds;

    uint64_t BytesOfBlock(uint64_t block) const;
    double BlockSeconds(uint64_t block) const;
    double Seconds() const;
};

struct RunPlan {
    std::vector<PlanStep> steps;
    double Seconds() const;
};

// The steps of a download after its data is prepared: starting, init, start
// of the CPR communication, erase and program the CPR, erase and program the
// IOP, verify. Each step has one block at least, so every phase is reported.
RunPlan PlanRun(const FirmwareImage& image, size_t initTelegramBytes, const LineSettings& line,
                const TimingConstants& timing);

// The time the data alone needs on the line, the bound no download beats.
double LineLimitSeconds(uint64_t bytes, const LineSettings& line);

} // namespace vardel
