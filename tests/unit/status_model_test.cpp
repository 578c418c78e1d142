#include "run/status_model.h"

#include "recording_status_view.h"

#include <gtest/gtest.h>

namespace {

using Calls = std::vector<std::string>;

class StatusModelTest : public testing::Test {
protected:
    void SetUp() override {
        model.Start();
        view.Take();
    }
    RecordingStatusView view;
    long long now = 1000; // seconds on a clock that only tests move
    run::StatusModel model{view, [this] { return now; }};
};

TEST(FormatSpan, MinutesAndSecondsWithoutWrappingAtTheHour) {
    const std::pair<long long, const char*> cases[] = {
        {0, "00:00"},    {5, "00:05"},    {65, "01:05"},    {599, "09:59"}, {3599, "59:59"},
        {3600, "60:00"}, {3723, "62:03"}, {6000, "100:00"}, {-4, "00:00"}};
    for (auto [seconds, text] : cases) {
        EXPECT_EQ(run::FormatSpan(seconds), text) << seconds;
    }
}

TEST(EstimatedTotalSeconds, RoundsUpToTheNextMultipleOfFive) {
    EXPECT_EQ(run::EstimatedTotalSeconds(60, 50), 125); // 120 exactly: still up
    EXPECT_EQ(run::EstimatedTotalSeconds(37, 20), 190); // 185
    EXPECT_EQ(run::EstimatedTotalSeconds(10, 3), 335);  // 333
    EXPECT_EQ(run::EstimatedTotalSeconds(0, 40), 5);
}

TEST_F(StatusModelTest, StartShowsPreparingRedErrorLedAndNoRepeat) {
    RecordingStatusView fresh;
    run::StatusModel m(fresh, [] { return 7LL; });
    m.Start();
    EXPECT_EQ(fresh.Take(), (Calls{"progress 0", "message Preparing Download Data ...",
                                   "repeat off", "error red", "run grey"}));
    EXPECT_EQ(m.m_timeStart, 7);
}

TEST_F(StatusModelTest, EstimateOfHalfwayAfterAMinute) {
    model.UpdateStatus(10, 3);
    view.Take();
    now += 60;
    model.UpdateStatus(250, 5);
    EXPECT_EQ(view.Take(),
              (Calls{"run grey", "elapsed 01:00", "progress 250",
                     "message Programming CPR Flash...", "percent 50", "estimate 02:05"}));
}

TEST_F(StatusModelTest, EstimateStaysOnOncePhaseFiveWasSeen) {
    model.UpdateStatus(50, 5); // 10 % at 0 s
    now += 37;
    model.UpdateStatus(100, 6);
    const Calls calls = view.Take();
    EXPECT_EQ(calls[calls.size() - 2], "percent 20");
    EXPECT_EQ(calls.back(), "estimate 03:10");
}

TEST_F(StatusModelTest, BeforePhaseFiveNoPercentOrEstimate) {
    for (int status : {0, 40, 120, 300}) {
        now += 3;
        model.UpdateStatus(status, 3);
    }
    EXPECT_FALSE(view.Has("percent"));
    EXPECT_FALSE(view.Has("estimate"));
    EXPECT_TRUE(view.Has("progress 300"));
}

TEST_F(StatusModelTest, SamePercentTwiceRewritesNeitherPercentNorEstimate) {
    now += 10;
    model.UpdateStatus(100, 5); // 20 %
    view.Take();
    now += 10;
    model.UpdateStatus(104, 5); // still 20 %
    EXPECT_EQ(view.Take(), (Calls{"run grey", "elapsed 00:20", "progress 104"}));
}

TEST_F(StatusModelTest, ZeroPercentGivesNoEstimate) {
    model.UpdateStatus(2, 5);
    EXPECT_FALSE(view.Has("percent"));
    EXPECT_EQ(model.m_nShownPercent, 0);
}

TEST_F(StatusModelTest, RunLedBlinksGreenFirstOnEveryUpdate) {
    Calls leds;
    for (int i = 0; i < 4; ++i) {
        model.UpdateStatus(i, 1);
    }
    for (const std::string& c : view.Take()) {
        if (c.rfind("run ", 0) == 0) {
            leds.push_back(c);
        }
    }
    EXPECT_EQ(leds, (Calls{"run green", "run grey", "run green", "run grey"}));
}

TEST_F(StatusModelTest, PhaseTextOnlyWhenThePhaseChangesAndOnlyForKnownPhases) {
    model.UpdateStatus(1, 1);
    model.UpdateStatus(2, 1);
    model.UpdateStatus(3, 12);
    model.UpdateStatus(4, -3);
    model.UpdateStatus(5, 2);
    Calls messages;
    for (const std::string& c : view.Take()) {
        if (c.rfind("message ", 0) == 0) {
            messages.push_back(c);
        }
    }
    EXPECT_EQ(messages,
              (Calls{"message Initialising CPM...", "message Start CPR Communication..."}));
}

TEST_F(StatusModelTest, FinishedEndFillsTheBarAndOffersExit) {
    model.UpdateStatus(480, 5);
    view.Take();
    model.UpdateStatus(500, 7);
    EXPECT_EQ(view.Take(), (Calls{"run grey", "cancel Exit", "repeat on", "error grey", "run green",
                                  "progress 500", "message Download successful!", "percent 100",
                                  "estimate 00:05"}));
    EXPECT_TRUE(model.m_bFinished);
}

TEST_F(StatusModelTest, CancelWhilePollingAbortsOnceThenActsAsExit) {
    EXPECT_TRUE(model.OnCancelPressed());
    EXPECT_EQ(view.Take(), (Calls{"error red", "run grey", "cancel Exit", "repeat on"}));
    EXPECT_FALSE(model.OnCancelPressed());
    EXPECT_TRUE(view.Take().empty());
}

TEST_F(StatusModelTest, CancelledEndWithoutAPressKeepsTheCancelButton) {
    model.UpdateStatus(-1, 10);
    const Calls calls = view.Take();
    EXPECT_EQ(calls, (Calls{"run green", "error red", "run grey", "repeat on",
                            "message Download cancelled by user!"}));
    EXPECT_FALSE(model.m_bFinished);
    EXPECT_TRUE(model.OnCancelPressed()); // the next press still asks for the abort
}

TEST_F(StatusModelTest, ErrorEndShowsTheTextInPlaceOfThePhase) {
    model.UpdateStatus(-1, 11);
    model.ShowError("Download error !\r\nDel CPR: Byte count too large.");
    const Calls calls = view.Take();
    EXPECT_EQ(calls.back(), "repeat on");
    EXPECT_NE(std::find(calls.begin(), calls.end(),
                        "message Download error !\r\nDel CPR: Byte count too large."),
              calls.end());
    EXPECT_TRUE(model.m_bFinished);
    EXPECT_EQ(model.m_nLastPhase, 11);
}

TEST_F(StatusModelTest, ElapsedTimeIsWrittenOnlyWhenItChanged) {
    model.UpdateStatus(1, 0);
    now += 3723;
    model.UpdateStatus(2, 0);
    model.UpdateStatus(3, 0);
    Calls elapsed;
    for (const std::string& c : view.Take()) {
        if (c.rfind("elapsed ", 0) == 0) {
            elapsed.push_back(c);
        }
    }
    EXPECT_EQ(elapsed, Calls{"elapsed 62:03"});
}

} // namespace
