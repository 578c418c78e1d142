#include "platform/string_table.h"
#include "run/phase_text.h"
#include "run/poll_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// A library that answers each status read with the next scripted pair, and a
// window that records what the loop shows.
class ScriptedRun : public run::PollTarget {
public:
    explicit ScriptedRun(std::vector<vardel_api::DownloadStatus> reads, int stopAfterWaits = -1)
        : m_reads(std::move(reads)), m_stopAfterWaits(stopAfterWaits) {}

    bool WaitForNextRead() override { return m_waits++ != m_stopAfterWaits; }
    vardel_api::DownloadStatus ReadStatus() override {
        const size_t i = m_readCount < m_reads.size() ? m_readCount : m_reads.size() - 1;
        ++m_readCount;
        return m_reads[i];
    }
    void SetCaption(const std::string& caption) override { calls.push_back("caption " + caption); }
    void UpdateStatus(int status, int phase) override {
        calls.push_back("update " + std::to_string(status) + "/" + std::to_string(phase));
    }
    void ShowError(const std::string& text) override { calls.push_back("error " + text); }

    Calls calls;
    size_t m_readCount = 0;

private:
    std::vector<vardel_api::DownloadStatus> m_reads;
    int m_waits = 0;
    int m_stopAfterWaits;
};

run::RunEnd Poll(ScriptedRun& run) {
    int lastPercent = -5;
    const run::RunEnd end = run::PollDownload(run, platform::StringTableText, lastPercent);
    return end;
}

TEST(PollDownload, CaptionOnlyOnChangedPercentagesThenOk) {
    ScriptedRun run({{0, 9}, {3, 0}, {250, 5}, {499, 6}, {500, 7}});
    EXPECT_EQ(Poll(run), run::RunEnd::Finished);
    EXPECT_EQ(run.calls, (Calls{"update 0/9", "update 3/0", "caption Tavro Download - 50%",
                                "update 250/5", "caption Tavro Download - 99%", "update 499/6",
                                "update 500/7", "caption Tavro Download - OK"}));
}

TEST(PollDownload, EndOnTheVeryFirstReadMakesNoUpdateInTheLoop) {
    struct Case {
        vardel_api::DownloadStatus read;
        run::RunEnd end;
        Calls calls;
    };
    const Case cases[] = {
        {{500, 7}, run::RunEnd::Finished, {"update 500/7", "caption Tavro Download - OK"}},
        {{-701, 3}, run::RunEnd::Cancelled, {"update -1/10", "caption Tavro Download - Cancel"}},
        {{-9, 0},
         run::RunEnd::Failed,
         {"update -1/11",
          "error Download error !\r\nInit COM: Can not open fdl file. Check path and file name.",
          "caption Tavro Download - Error"}},
    };
    for (const Case& c : cases) {
        ScriptedRun run({c.read});
        EXPECT_EQ(Poll(run), c.end) << c.read.status;
        EXPECT_EQ(run.calls, c.calls) << c.read.status;
        EXPECT_EQ(run.m_readCount, 1u);
    }
}

TEST(PollDownload, CancelReportedByTheLibraryWithoutAPress) {
    ScriptedRun run({{100, 5}, {-701, 5}});
    EXPECT_EQ(Poll(run), run::RunEnd::Cancelled);
    EXPECT_EQ(run.calls.back(), "caption Tavro Download - Cancel");
}

TEST(PollDownload, ErrorWhilePollingUsesTheStatusForm) {
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {-305, "Download error !\r\nProg CPR: CPR not responding."},
        {-703, "Download init error! \r\nError reading data for download."},
        {-118, "Download error !\r\n"},
        {-70000, "Download init error! \r\n"},
    };
    for (const Case& c : cases) {
        ScriptedRun run({{120, 3}, {c.code, 3}});
        EXPECT_EQ(Poll(run), run::RunEnd::Failed);
        ASSERT_EQ(run.calls.size(), 5u);
        EXPECT_EQ(run.calls[3], std::string("error ") + c.text);
    }
}

TEST(PollDownload, StatusBeyondFiveHundredIsNotShownAsDone) {
    ScriptedRun run({{600, 6}, {500, 7}});
    EXPECT_EQ(Poll(run), run::RunEnd::Finished);
    EXPECT_EQ(run.calls[0], "caption Tavro Download - 99%");
    EXPECT_EQ(run.calls[1], "update 499/6");
}

// Phases 7, 10 and 11 name the ends of a run. Reported while the run goes on
// they must not reach the window, which would show "Download successful!" or
// "Error!" before anything has ended; the end itself still shows.
TEST(PollDownload, EndPhasesWhileRunningAreNotShown) {
    for (int phase : {7, 10, 11}) {
        ScriptedRun run({{250, phase}, {500, 7}});
        EXPECT_EQ(Poll(run), run::RunEnd::Finished) << phase;
        ASSERT_EQ(run.calls.size(), 4u) << phase;
        EXPECT_EQ(run.calls[0], "caption Tavro Download - 50%");
        EXPECT_EQ(run.calls[1].rfind("update 250/", 0), 0u) << run.calls[1];
        EXPECT_EQ(run::PhaseText(std::stoi(run.calls[1].substr(11))), nullptr) << run.calls[1];
        EXPECT_EQ(run.calls[2], "update 500/7");
    }
    ScriptedRun other({{250, 8}, {500, 7}});
    Poll(other);
    EXPECT_EQ(other.calls[1], "update 250/8");
}

TEST(PollDownload, StopsWhenTheWaitSaysSo) {
    ScriptedRun run({{10, 1}}, 3);
    EXPECT_EQ(Poll(run), run::RunEnd::Stopped);
    EXPECT_EQ(run.m_readCount, 3u);
}

TEST(PollDownload, PercentCountsFromZeroForEachRun) {
    ScriptedRun run({{0, 9}, {500, 7}});
    int lastPercent = 77;
    run::PollDownload(run, platform::StringTableText, lastPercent);
    EXPECT_EQ(run.calls.front(), "update 0/9"); // 0 % after a reset to 0: no caption
}

} // namespace
