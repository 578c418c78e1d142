#include "sim/status_script.h"

#include <gtest/gtest.h>

namespace {

using vardel::DownloadStatus;
using vardel::StatusScript;

std::vector<DownloadStatus> GuiScript() {
    return *vardel::ParseStatusPairs("0/9 3/0 250/5 499/6 500/7");
}

std::vector<std::pair<int32_t, int32_t>> ReadN(StatusScript& script, int n) {
    std::vector<std::pair<int32_t, int32_t>> reads;
    for (int i = 0; i < n; ++i) {
        const DownloadStatus s = script.Read();
        reads.emplace_back(s.status, s.phase);
    }
    return reads;
}

using Reads = std::vector<std::pair<int32_t, int32_t>>;

TEST(StatusPairs, ParseStatusSlashPhaseSeparatedByBlanks) {
    const auto pairs = vardel::ParseStatusPairs("  0/9\t-701/7 0x10/0 ");
    ASSERT_TRUE(pairs);
    ASSERT_EQ(pairs->size(), 3u);
    EXPECT_EQ((*pairs)[1].status, -701);
    EXPECT_EQ((*pairs)[1].phase, 7);
    EXPECT_EQ((*pairs)[2].status, 16);
    for (const char* bad :
         {"", " ", "0/9 3", "0/9 a/0", "0/9,3/0", "5/", "/5", "1/2/3", "99999999999/1"}) {
        EXPECT_FALSE(vardel::ParseStatusPairs(bad)) << bad;
    }
}

TEST(StatusScript, ReadsFollowTheScriptAndTheLastPairRepeats) {
    StatusScript script(GuiScript(), DownloadStatus{-701, 7}, 0);
    EXPECT_EQ(ReadN(script, 7),
              (Reads{{0, 9}, {3, 0}, {250, 5}, {499, 6}, {500, 7}, {500, 7}, {500, 7}}));
}

struct AbortCase {
    const char* name;
    std::optional<DownloadStatus> afterAbort;
    int delay;
    int readsBeforeAbort;
    Reads expected; // the reads after the abort
};

void PrintTo(const AbortCase& c, std::ostream* os) {
    *os << c.name;
}

class ScriptAbort : public testing::TestWithParam<AbortCase> {};

TEST_P(ScriptAbort, SwitchesToAfterAbortOnceTheDelayIsOver) {
    const AbortCase& c = GetParam();
    StatusScript script(GuiScript(), c.afterAbort, c.delay);
    ReadN(script, c.readsBeforeAbort);
    script.Abort();
    EXPECT_EQ(ReadN(script, static_cast<int>(c.expected.size())), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ScriptAbort,
    testing::Values(
        AbortCase{"AtOnce", DownloadStatus{-701, 7}, 0, 1, {{-701, 7}, {-701, 7}}},
        AbortCase{"BeforeTheFirstRead", DownloadStatus{-701, 7}, 0, 0, {{-701, 7}}},
        AbortCase{"AfterThreeReads",
                  DownloadStatus{-701, 7},
                  3,
                  1,
                  {{3, 0}, {250, 5}, {499, 6}, {-701, 7}, {-701, 7}}},
        AbortCase{
            "DelayBeyondTheScript", DownloadStatus{-701, 7}, 2, 4, {{500, 7}, {500, 7}, {-701, 7}}},
        AbortCase{"OtherPair", DownloadStatus{-205, 3}, 0, 2, {{-205, 3}}},
        AbortCase{"Ignored", std::nullopt, 0, 1, {{3, 0}, {250, 5}, {499, 6}, {500, 7}}}),
    [](const testing::TestParamInfo<AbortCase>& info) { return std::string(info.param.name); });

} // namespace
