#include "platform/string_table.h"
#include "run/phase_text.h"
#include "run/poll_loop.h"
#include "run/run_result.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
using Clock = run::PollTarget::Clock;
using std::chrono::milliseconds;

// A library that answers each status read with the next scripted pair, a
// window that records what the loop shows, and a clock that moves only when
// the loop waits; at given times the user (or the system) does something.
class ScriptedRun : public run::PollTarget {
public:
    explicit ScriptedRun(std::vector<vardel_api::DownloadStatus> reads, int quitAtWait = -1)
        : m_reads(std::move(reads)), m_quitAtWait(quitAtWait) {}

    // At this many ms after the start, while the loop waits.
    void At(int ms, std::function<void()> action) {
        m_actions.push_back({Clock::time_point(milliseconds(ms)), std::move(action)});
    }
    Clock::time_point Now() const override { return m_now; }
    bool WaitUntil(Clock::time_point until, const std::function<bool()>& wake) override {
        if (m_waits++ == m_quitAtWait) {
            return false;
        }
        for (auto& action : m_actions) {
            if (action.second && action.first <= until) {
                m_now = std::max(m_now, action.first);
                std::exchange(action.second, nullptr)();
                if (wake()) {
                    return true;
                }
            }
        }
        m_now = std::max(m_now, until);
        return true;
    }
    vardel_api::DownloadStatus ReadStatus() override {
        readTimes.push_back(Ms());
        const size_t i = m_readCount < m_reads.size() ? m_readCount : m_reads.size() - 1;
        ++m_readCount;
        m_now += milliseconds(30); // a read takes its time too
        return m_reads[i];
    }
    void Abort() override {
        calls.push_back("abort at " + std::to_string(Ms()));
        if (m_onAbort) {
            m_onAbort();
        }
    }
    void OnAbort(std::function<void()> action) { m_onAbort = std::move(action); }
    // A modal loop (a window dragged) holds the wait up: no read meanwhile.
    void Hold(int ms) { m_now += milliseconds(ms); }
    // From now on every read returns this.
    void Answer(vardel_api::DownloadStatus read) {
        m_reads.resize(m_readCount);
        m_reads.push_back(read);
    }
    void SetCaption(const std::string& caption) override { calls.push_back("caption " + caption); }
    void UpdateStatus(int status, int phase) override {
        calls.push_back("update " + std::to_string(status) + "/" + std::to_string(phase));
    }
    void ShowError(const std::string& text) override { calls.push_back("error " + text); }
    long long Ms() const {
        return std::chrono::duration_cast<milliseconds>(m_now.time_since_epoch()).count();
    }

    Calls calls;
    std::vector<long long> readTimes;
    size_t m_readCount = 0;

private:
    std::vector<vardel_api::DownloadStatus> m_reads;
    std::vector<std::pair<Clock::time_point, std::function<void()>>> m_actions;
    std::function<void()> m_onAbort;
    Clock::time_point m_now{};
    int m_waits = 0;
    int m_quitAtWait;
};

run::RunEnd Poll(ScriptedRun& run, run::StopRequest* stop = nullptr) {
    run::StopRequest none(false);
    int lastPercent = -5;
    return run::PollDownload(run, stop ? *stop : none, platform::StringTableText, lastPercent).end;
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

// Reads start an interval apart, counted from the start of the read before,
// however long a read takes.
TEST(PollDownload, ReadsAreOneIntervalApart) {
    ScriptedRun run({{0, 9}, {100, 3}, {200, 3}, {500, 7}});
    Poll(run);
    EXPECT_EQ(run.readTimes, (std::vector<long long>{200, 400, 600, 800}));
}

// A stop, from whichever side, aborts the run at once and exactly once; the
// run then ends with what the library reports. An abort that is never
// confirmed is waited for until somebody leaves, then for the grace time.
TEST(PollDownload, StopAbortsOnceAndTheGraceEndsOnlyAWaitNobodyWants) {
    struct Case {
        const char* name;
        bool stopIsFinal;
        run::StopReason reason;
        int leaveAtMs; // 0: nobody presses Exit
        vardel_api::DownloadStatus afterAbort;
        run::RunEnd end;
        long long lastReadMs;
        int holdMs = 0; // the stop comes at the end of a wait held up this long
    };
    const Case cases[] = {
        {"CancelConfirmed",
         false,
         run::StopReason::Cancel,
         0,
         {-701, 7},
         run::RunEnd::Cancelled,
         600},
        {"CancelAnsweredByTheEnd",
         false,
         run::StopReason::Cancel,
         0,
         {500, 7},
         run::RunEnd::Finished,
         600},
        {"ExitAfterAnUnconfirmedCancel",
         false,
         run::StopReason::Cancel,
         8000,
         {100, 3},
         run::RunEnd::Stopped,
         7800},
        {"ScriptStopsWithoutExit",
         true,
         run::StopReason::Interrupt,
         0,
         {100, 3},
         run::RunEnd::Stopped,
         5400},
        {"SessionEndNeedsNoExit",
         false,
         run::StopReason::SessionEnd,
         0,
         {100, 3},
         run::RunEnd::Stopped,
         5400},
        // clang-format off
        {"InterruptWhileDragged", true, run::StopReason::Interrupt, 0, {-701, 7}, run::RunEnd::Cancelled, 5450, 5000},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRun run({{0, 9}, {100, 3}, c.afterAbort});
        run::StopRequest stop(c.stopIsFinal);
        run.At(450, [&] { run.Hold(c.holdMs); });
        run.At(450, [&] { stop.Stop(c.reason); });
        if (c.leaveAtMs) {
            run.At(c.leaveAtMs, [&] { stop.Leave(run::AfterRun::Close); });
        }
        EXPECT_EQ(Poll(run, &stop), c.end);
        EXPECT_EQ(std::count(run.calls.begin(), run.calls.end(),
                             "abort at " + std::to_string(450 + c.holdMs)),
                  1);
        EXPECT_EQ(
            std::count_if(run.calls.begin(), run.calls.end(),
                          [](const std::string& call) { return call.rfind("abort", 0) == 0; }),
            1);
        EXPECT_EQ(run.readTimes.back(), c.lastReadMs);
        if (c.end == run::RunEnd::Stopped) {
            EXPECT_EQ(run.calls.back(), "caption Tavro Download - Error");
            EXPECT_EQ(run.calls[run.calls.size() - 2].rfind("error Download not confirmed!", 0),
                      0u);
            // A stop is a stop: cancelled, whether or not the library confirms it.
            const run::RunResult result =
                run::ResultOfEnd({c.end, true, 100}, platform::StringTableText);
            EXPECT_EQ(result.outcome, run::Outcome::Cancelled);
            EXPECT_EQ(result.text.rfind("Download not confirmed!", 0), 0u);
        }
    }
}

// No change of status or phase for the time-out: aborted once, and timed
// out whatever the library says then, unless it finished after all. Any
// change starts the time-out again. Judged on reads: a drag counts for nothing.
TEST(PollDownload, NoProgressForTheTimeOutAbortsTheRun) {
    struct Case {
        const char* name;
        std::vector<vardel_api::DownloadStatus> reads; // the last repeats
        vardel_api::DownloadStatus afterAbort;
        run::RunEnd end;
        long long abortMs;
        int holdMs = 0; // the wait at 450 ms is held up this long
    };
    const Case cases[] = {
        {"Stalled", {{0, 9}, {100, 3}}, {-701, 7}, run::RunEnd::TimedOut, 1430},
        {"PhaseChangesAreProgress",
         {{0, 9}, {100, 3}, {100, 4}, {100, 5}},
         {-701, 7},
         run::RunEnd::TimedOut,
         1830},
        {"NeverConfirmed", {{0, 9}, {100, 3}}, {100, 3}, run::RunEnd::TimedOut, 1430},
        {"FinishedAfterAll", {{0, 9}, {100, 3}}, {500, 7}, run::RunEnd::Finished, 1430},
        {"DragChanged", {{0, 9}, {100, 3}, {300, 5}}, {-701, 7}, run::RunEnd::TimedOut, 6480, 5000},
        {"DragSame", {{0, 9}, {100, 3}}, {-701, 7}, run::RunEnd::TimedOut, 5480, 5000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRun run(c.reads);
        run::StopRequest stop(false);
        run::PollOptions options;
        options.noProgressTimeout = std::chrono::seconds(1);
        int lastPercent = 0;
        run.OnAbort([&] { run.Answer(c.afterAbort); });
        run.At(450, [&] { run.Hold(c.holdMs); });
        EXPECT_EQ(run::PollDownload(run, stop, platform::StringTableText, lastPercent, options).end,
                  c.end);
        EXPECT_EQ(
            std::count_if(run.calls.begin(), run.calls.end(),
                          [](const std::string& call) { return call.rfind("abort", 0) == 0; }),
            1);
        EXPECT_EQ(
            std::count(run.calls.begin(), run.calls.end(), "abort at " + std::to_string(c.abortMs)),
            1);
        if (c.end == run::RunEnd::TimedOut) {
            EXPECT_EQ(run.calls[run.calls.size() - 2],
                      "error No progress for 1 s: download aborted.");
        }
    }
}

TEST(PollDownload, PercentCountsFromZeroForEachRun) {
    ScriptedRun run({{0, 9}, {500, 7}});
    int lastPercent = 77;
    run::StopRequest stop(false);
    run::PollDownload(run, stop, platform::StringTableText, lastPercent);
    EXPECT_EQ(run.calls.front(), "update 0/9"); // 0 % after a reset to 0: no caption
}

} // namespace
