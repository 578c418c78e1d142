#include "sim_test_support.h"
#include "fake_pacer.h"
#include "sim/run_executor.h"
#include "sim/timing_model.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using vardel::DownloadStatus;
using vardel::Fault;
using vardel::FirmwareImage;
using vardel::LineSettings;
using vardel::Parity;
using vardel::RunPlan;
using vardel::TimingConstants;

const TimingConstants kTiming;
const size_t kInitBytes = 7; // "0xFD Adr 0x08 0x00 0x01 0xFF LRC"
const double kEpsilon = 1e-9;

LineSettings Line(int baud, int dataBits, Parity parity, int stopBits) {
    LineSettings line;
    line.baudRate = baud;
    line.dataBits = dataBits;
    line.parity = parity;
    line.stopBits = stopBits;
    return line;
}

const LineSettings k9600_8O1 = Line(9600, 8, Parity::Odd, 1);

FirmwareImage Image(uint32_t cprBytes, uint32_t iopBytes) {
    FirmwareImage image(kTiming.blockBytes, kTiming.sectorBytes);
    image.Add(0x00000000, cprBytes);
    image.Add(0x80000000, iopBytes);
    image.Finish();
    return image;
}

RunPlan Plan(uint32_t cprBytes, uint32_t iopBytes, const LineSettings& line = k9600_8O1) {
    return vardel::PlanRun(Image(cprBytes, iopBytes), kInitBytes, line, kTiming);
}

const vardel::PlanStep& StepOfPhase(const RunPlan& plan, int32_t phase) {
    for (const vardel::PlanStep& step : plan.steps) {
        if (step.phase == phase) {
            return step;
        }
    }
    throw std::runtime_error("no step of phase " + std::to_string(phase));
}

double Blocks(uint64_t bytes) {
    return std::ceil(static_cast<double>(bytes) / kTiming.blockBytes);
}

// A request without data and its answer, at a given time per character.
double Exchange(double character) {
    return (kTiming.requestOverheadBytes + kTiming.responseBytes) * character +
           kTiming.turnaroundSeconds;
}

TEST(TimingModel, LineLimitIsBytesTimesBitsOverBaud) {
    // 9600 bytes of 11 bits at 9600 baud: 11 seconds.
    EXPECT_NEAR(vardel::LineLimitSeconds(9600, k9600_8O1), 11.0, kEpsilon);
    EXPECT_NEAR(vardel::LineLimitSeconds(19200, Line(19200, 8, Parity::None, 1)), 10.0, kEpsilon);
}

struct ProgramCase {
    uint32_t bytes;
    LineSettings line;
    int bitsPerCharacter;
};

void PrintTo(const ProgramCase& c, std::ostream* os) {
    *os << c.bytes << " bytes at " << c.line.baudRate << " baud, " << c.bitsPerCharacter << " bits";
}

class ProgrammingTime : public testing::TestWithParam<ProgramCase> {};

TEST_P(ProgrammingTime, IsDataOnTheLinePlusTelegramOverheadAndFlashWrites) {
    const ProgramCase& c = GetParam();
    const double character = static_cast<double>(c.bitsPerCharacter) / c.line.baudRate;
    const double expected = Blocks(c.bytes) * Exchange(character) +
                            c.bytes * (character + kTiming.programSecondsPerByte);
    const RunPlan plan = Plan(c.bytes, c.bytes, c.line);
    EXPECT_NEAR(StepOfPhase(plan, 5).Seconds(), expected, kEpsilon);
    EXPECT_NEAR(StepOfPhase(plan, 6).Seconds(), expected, kEpsilon);
    EXPECT_GT(StepOfPhase(plan, 5).Seconds(), vardel::LineLimitSeconds(c.bytes, c.line));
}

INSTANTIATE_TEST_SUITE_P(Lines, ProgrammingTime,
                         testing::Values(ProgramCase{1000, k9600_8O1, 11},
                                         ProgramCase{1280, Line(19200, 8, Parity::None, 1), 10},
                                         ProgramCase{1, Line(9600, 7, Parity::Even, 2), 11},
                                         ProgramCase{65536, Line(115200, 8, Parity::Odd, 2), 12}));

TEST(TimingModel, WholeRunAddsUpItsSteps) {
    // 3 CPR sectors, 1 IOP sector.
    const uint32_t cpr = 0x28000, iop = 0x1000;
    const double character = 11.0 / 9600;
    const double exchange = Exchange(character);
    const double erase = exchange + kTiming.sectorEraseSeconds;
    const double verify = exchange + kTiming.checksumBytes * character +
                          kTiming.sectorBytes * kTiming.verifySecondsPerByte;
    const double expected =
        kTiming.openPortSeconds + (kInitBytes + kTiming.responseBytes) * character +
        kTiming.turnaroundSeconds + exchange + kTiming.loaderStartSeconds + 3 * erase +
        Blocks(cpr) * exchange + cpr * (character + kTiming.programSecondsPerByte) + 1 * erase +
        Blocks(iop) * exchange + iop * (character + kTiming.programSecondsPerByte) + 4 * verify +
        exchange;
    EXPECT_NEAR(Plan(cpr, iop).Seconds(), expected, 1e-6);
}

TEST(TimingModel, MemoryWithoutDataStillGetsOneExchangePerStep) {
    const RunPlan plan = Plan(4096, 0);
    const double exchange = Exchange(11.0 / 9600);
    for (int32_t phase : {4, 6}) {
        EXPECT_EQ(StepOfPhase(plan, phase).blocks, 1u);
        EXPECT_NEAR(StepOfPhase(plan, phase).Seconds(), exchange, kEpsilon);
    }
}

TEST(TimingModel, NeverBeatsTheLine) {
    for (uint32_t bytes : {1u, 128u, 5000u, 300000u}) {
        const RunPlan plan = Plan(bytes, bytes / 3);
        EXPECT_GT(plan.Seconds(), vardel::LineLimitSeconds(bytes + bytes / 3, k9600_8O1));
    }
}

TEST(PlanStep, SpreadsBytesEvenlyOverItsBlocks) {
    const vardel::PlanStep step{5, 3, 8, 0.01, 1003, 0.001};
    uint64_t bytes = 0;
    double seconds = 0;
    for (uint64_t b = 0; b < step.blocks; ++b) {
        EXPECT_GE(step.BytesOfBlock(b), 125u);
        EXPECT_LE(step.BytesOfBlock(b), 126u);
        bytes += step.BytesOfBlock(b);
        seconds += step.BlockSeconds(b);
    }
    EXPECT_EQ(bytes, 1003u);
    EXPECT_NEAR(seconds, step.Seconds(), kEpsilon);
}

struct Outcome {
    std::vector<DownloadStatus> published;
    DownloadStatus end;
    FakePacer pacer;
};

Outcome Execute(const RunPlan& plan, const std::vector<Fault>& faults = {}, int retry = 4,
                std::function<bool(double)> abortAt = nullptr) {
    Outcome o;
    bool aborted = false;
    o.pacer.onWait = [&](double seconds) { aborted = aborted || (abortAt && abortAt(seconds)); };
    const vardel::RunHooks hooks{[&] { return aborted; },
                                 [&](DownloadStatus s) { o.published.push_back(s); }};
    o.end = vardel::ExecutePlan(plan, faults, retry, kTiming, o.pacer, hooks);
    return o;
}

TEST(Run, GoesThroughThePhasesInOrderWithRisingProgress) {
    const RunPlan plan = Plan(70000, 9000);
    const Outcome o = Execute(plan);
    EXPECT_EQ(PhasesOf(o.published), (std::vector<int32_t>{0, 1, 2, 3, 5, 4, 6, 8, 7}));
    ASSERT_GE(o.published.size(), 2u);
    for (size_t i = 0; i + 1 < o.published.size(); ++i) {
        EXPECT_GE(o.published[i].status, 0);
        EXPECT_LT(o.published[i].status, 500);
        EXPECT_LE(o.published[i].status, o.published[i + 1].status);
    }
    EXPECT_EQ(o.end.status, 500);
    EXPECT_EQ(o.end.phase, 7);
    EXPECT_EQ(o.published.back().status, 500);
    EXPECT_EQ(o.published[o.published.size() - 2].status, 499);
    EXPECT_EQ(o.pacer.starts, 1);
    EXPECT_NEAR(o.pacer.Now(), plan.Seconds(), 1e-6);
}

TEST(Run, ProgressIsTheShareOfPlannedTimeDone) {
    EXPECT_EQ(vardel::ProgressOf(0, 80), 0);
    EXPECT_EQ(vardel::ProgressOf(40, 80), 250);
    EXPECT_EQ(vardel::ProgressOf(79.9, 80), 499);
    EXPECT_EQ(vardel::ProgressOf(80, 80), 499);
    EXPECT_EQ(vardel::ProgressOf(90, 80), 499);
}

TEST(Run, AbortEndsItBeforeTheNextBlock) {
    const RunPlan plan = Plan(20000, 0);
    const double abortTime = plan.Seconds() / 2;
    const Outcome o = Execute(plan, {}, 4, [&](double t) { return t >= abortTime; });
    EXPECT_EQ(o.end.status, -701);
    EXPECT_EQ(o.end.phase, 7);
    EXPECT_EQ(o.published.back().status, -701);
    // The block in which the abort came was the last one waited for.
    ASSERT_FALSE(o.pacer.waits.empty());
    EXPECT_GE(o.pacer.waits.back(), abortTime);
    EXPECT_LT(o.pacer.waits[o.pacer.waits.size() - 2], abortTime);
}

TEST(Run, AbortDuringRepeatsEndsItAsCancelled) {
    const Fault fault{1, 5, 0, Fault::kPermanent};
    const Outcome o = Execute(Plan(1000, 0), {fault}, 4, [](double t) { return t > 1.5; });
    EXPECT_EQ(o.end.status, -701);
    EXPECT_EQ(o.end.phase, 7);
}

struct FaultCase {
    const char* name;
    Fault fault;
    int32_t status;
    int32_t phase;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class InjectedFault : public testing::TestWithParam<FaultCase> {};

TEST_P(InjectedFault, EndsTheRunWithItsCodeInThePhaseItStruck) {
    const Outcome o = Execute(Plan(20000, 8000), {GetParam().fault});
    EXPECT_EQ(o.end.status, GetParam().status);
    EXPECT_EQ(o.end.phase, GetParam().phase);
    EXPECT_EQ(o.published.back().status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, InjectedFault,
    testing::Values(FaultCase{"OpenPort", {7, 4, 0, Fault::kPermanent}, -704, 0},
                    FaultCase{"InitCpm", {1, 13, 0, Fault::kPermanent}, -113, 1},
                    FaultCase{"StartCpr", {1, 15, 100, Fault::kPermanent}, -115, 2},
                    FaultCase{"EraseCpr", {2, 17, 0, Fault::kPermanent}, -217, 3},
                    FaultCase{"ProgramCpr", {3, 17, 50, Fault::kPermanent}, -317, 5},
                    FaultCase{"EraseIop", {4, 5, 0, Fault::kPermanent}, -405, 4},
                    FaultCase{"ProgramIop", {5, 4, 100, Fault::kPermanent}, -504, 6},
                    FaultCase{"Verify", {6, 6, 30, Fault::kPermanent}, -606, 8},
                    FaultCase{"MoreFailuresThanRetries", {3, 2, 10, 5}, -302, 5}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(Run, FaultStrikesAtItsShareOfThePhase) {
    // 20 000 bytes of CPR data take 157 telegrams; 50 % is telegram 78.
    const RunPlan plan = Plan(20000, 0);
    const Outcome o = Execute(plan, {{3, 17, 50, Fault::kPermanent}});
    double before = 0;
    for (size_t s = 0; s < 4; ++s) {
        before += plan.steps[s].Seconds();
    }
    for (uint64_t b = 0; b < 78; ++b) {
        before += plan.steps[4].BlockSeconds(b);
    }
    const int32_t lastProgress = o.published[o.published.size() - 2].status;
    EXPECT_EQ(lastProgress, vardel::ProgressOf(before, plan.Seconds()));
}

struct SiteCase {
    int phase;
    int percent;
    size_t step;
    uint64_t block;
};

void PrintTo(const SiteCase& c, std::ostream* os) {
    *os << "phase " << c.phase << " at " << c.percent << " %";
}

class FaultSite : public testing::TestWithParam<SiteCase> {};

TEST_P(FaultSite, IsTheBlockAtThePercentOfThePhasesBlocks) {
    const RunPlan plan = Plan(1280, 0); // 10 CPR telegrams
    const SiteCase& c = GetParam();
    const auto site = vardel::LocateFault(plan, {c.phase, 1, c.percent, Fault::kPermanent});
    ASSERT_TRUE(site);
    EXPECT_EQ(site->step, c.step);
    EXPECT_EQ(site->block, c.block);
}

INSTANTIATE_TEST_SUITE_P(Percents, FaultSite,
                         testing::Values(SiteCase{3, 0, 4, 0}, SiteCase{3, 50, 4, 5},
                                         SiteCase{3, 99, 4, 9}, SiteCase{3, 100, 4, 9},
                                         SiteCase{1, 0, 1, 0}, SiteCase{1, 50, 2, 0},
                                         SiteCase{1, 100, 2, 0}, SiteCase{7, 60, 0, 0},
                                         SiteCase{6, 100, 8, 0}));

TEST(FaultSite, NoneOutsideTheRunsPhases) {
    EXPECT_FALSE(vardel::LocateFault(Plan(100, 0), {0, 1, 0, Fault::kPermanent}));
}

struct RetryCase {
    const char* name;
    int failures;
    int retry;
    int condition;
    bool cured;
    double extraTimeouts; // response time-outs waited on top of the repeats
};

void PrintTo(const RetryCase& c, std::ostream* os) {
    *os << c.name;
}

class Retries : public testing::TestWithParam<RetryCase> {};

TEST_P(Retries, CureAFaultWithNoMoreFailuresThanRetries) {
    const RetryCase& c = GetParam();
    const RunPlan plan = Plan(1000, 0);
    const double block = StepOfPhase(plan, 5).BlockSeconds(0);
    const Outcome o = Execute(plan, {{3, c.condition, 0, c.failures}}, c.retry);
    const int attemptsFailed = c.cured ? c.failures : c.retry + 1;
    const double wasted = attemptsFailed * block + c.extraTimeouts * kTiming.responseTimeoutSeconds;
    if (c.cured) {
        EXPECT_EQ(o.end.status, 500);
        EXPECT_NEAR(o.pacer.Now(), plan.Seconds() + wasted, 1e-6);
    } else {
        EXPECT_EQ(o.end.status, -300 - c.condition);
        EXPECT_EQ(o.end.phase, 5);
        double before = 0;
        for (size_t s = 0; s < 4; ++s) {
            before += plan.steps[s].Seconds();
        }
        EXPECT_NEAR(o.pacer.Now(), before + wasted, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, Retries,
                         testing::Values(RetryCase{"NoFailure", 0, 0, 4, true, 0},
                                         RetryCase{"AsManyAsRetries", 2, 2, 4, true, 0},
                                         RetryCase{"FewerThanRetries", 1, 4, 4, true, 0},
                                         RetryCase{"OneMoreThanRetries", 3, 2, 4, false, 0},
                                         RetryCase{"NoRetries", 1, 0, 17, false, 0},
                                         RetryCase{"TimeoutsCured", 2, 4, 5, true, 2},
                                         RetryCase{"CharacterTimeoutsNotCured", 6, 4, 6, false, 5}),
                         [](const testing::TestParamInfo<RetryCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Run, SilentCpmTimesOutOnceForEveryAttempt) {
    const RunPlan plan = Plan(1000, 0);
    const int retry = 4;
    const Outcome o = Execute(plan, {{1, 5, 0, Fault::kPermanent}}, retry);
    EXPECT_EQ(o.end.status, -105);
    EXPECT_EQ(o.end.phase, 1);
    const double attempt = plan.steps[1].Seconds() + kTiming.responseTimeoutSeconds;
    EXPECT_NEAR(o.pacer.Now(), kTiming.openPortSeconds + (retry + 1) * attempt, 1e-9);
    EXPECT_EQ(PhasesOf(o.published), (std::vector<int32_t>{0, 1}));
}

} // namespace
