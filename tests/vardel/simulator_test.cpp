#include "fake_pacer.h"
#include "hex_text.h"
#include "sim_test_support.h"
#include "sim/simulator.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using vardel::DownloadStatus;
using vardel::InitRequest;
using vardel::ReadSimConfig;

const char* const kFile = "C:\\fw\\main.fdl";
const char* const kBroken = "C:\\fw\\broken.fdl";
const int32_t kAnyHandle = INT32_MAX; // expected: some handle, 0 or more

class SimulatorTest : public testing::Test {
protected:
    SimulatorTest() {
        m_files[kFile] = hextext::File(hextext::Data(0, 3000) + hextext::Data(0x80000000, 1000));
        m_files[kBroken] = hextext::File("garbage\r\n");
    }

    int32_t Init(const std::string& config, const InitRequest& request = DefaultRequest(kFile),
                 int32_t ostrelVersion = vardel::kOstrelVersion) {
        return m_sim.InitDownload(request, ReadSimConfig(config), ostrelVersion);
    }

    // Starts the download and runs it to its end on a fake clock, reading
    // the status after every block as the program's polling would.
    std::vector<DownloadStatus> RunToEnd(int32_t handle,
                                         std::function<void(double)> atWait = nullptr) {
        std::vector<DownloadStatus> seen{m_sim.GetDownloadStatus(handle)};
        const vardel::Simulator::Started started = m_sim.StartDownload(handle);
        EXPECT_EQ(started.result, 0);
        if (!started.run) {
            ADD_FAILURE() << "nothing to run";
            return seen;
        }
        m_pacer.onWait = [&](double t) {
            seen.push_back(m_sim.GetDownloadStatus(handle));
            if (atWait) {
                atWait(t);
            }
        };
        started.run->Run(m_pacer);
        seen.push_back(m_sim.GetDownloadStatus(handle));
        return seen;
    }

    std::map<std::string, std::string> m_files;
    vardel::Simulator m_sim{[this](const std::string& path) -> std::unique_ptr<vardel::ByteSource> {
        const auto file = m_files.find(path);
        if (file == m_files.end()) {
            return nullptr;
        }
        return std::make_unique<vardel::StringSource>(file->second);
    }};
    FakePacer m_pacer;
};

struct InitCase {
    const char* name;
    const char* config;
    std::function<void(InitRequest&)> change;
    int32_t ostrelVersion;
    int32_t expected;
};

void PrintTo(const InitCase& c, std::ostream* os) {
    *os << c.name;
}

class InitDownload : public SimulatorTest, public testing::WithParamInterface<InitCase> {};

TEST_P(InitDownload, ReturnsAHandleOrTheFirstFailingCheck) {
    const InitCase& c = GetParam();
    InitRequest request = DefaultRequest(kFile);
    c.change(request);
    const int32_t result = Init(c.config, request, c.ostrelVersion);
    if (c.expected == kAnyHandle) {
        EXPECT_GE(result, 0);
    } else {
        EXPECT_EQ(result, c.expected);
    }
}

const auto kNoChange = [](InitRequest&) {};
const int32_t kOstrel = vardel::kOstrelVersion;

INSTANTIATE_TEST_SUITE_P(
    Cases, InitDownload,
    testing::Values(
        InitCase{"Valid", "", kNoChange, kOstrel, kAnyHandle},
        InitCase{"OstrelVersion", "", kNoChange, 0x0201, -702},
        InitCase{"Port", "", [](InitRequest& r) { r.port = 2; }, kOstrel, -1},
        InitCase{"MissingFile", "", [](InitRequest& r) { r.path = "C:\\none.fdl"; }, kOstrel, -9},
        InitCase{"BrokenData", "", [](InitRequest& r) { r.path = kBroken; }, kOstrel, -703},
        InitCase{"InjectedInitError", "[Fault]\nInitError=-704\n", kNoChange, kOstrel, -704},
        InitCase{"InjectedInitErrorForAnotherAddress", "[Fault]\nInitError=-704\nAddress=2\n",
                 kNoChange, kOstrel, kAnyHandle},
        InitCase{"ChecksBeforeInjectedError", "[Fault]\nInitError=-704\n",
                 [](InitRequest& r) { r.port = 5; }, kOstrel, -1},
        InitCase{"ScriptedResultSkipsChecks", "[Script]\nInitResult=-9\n",
                 [](InitRequest& r) {
                     r.port = 9;
                     r.path = "C:\\none.fdl";
                 },
                 0x0201, -9},
        InitCase{"ScriptedReadsSkipChecks", "[Script]\nReads=0/9\n",
                 [](InitRequest& r) {
                     r.initText = "p";
                     r.path = "";
                 },
                 0x0201, kAnyHandle}),
    [](const testing::TestParamInfo<InitCase>& info) { return std::string(info.param.name); });

TEST_F(SimulatorTest, EachInitGivesANewHandle) {
    const int32_t first = Init("");
    const int32_t second = Init("");
    EXPECT_GE(first, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(Init("[Script]\nInitResult=42\n"), 42);
    EXPECT_EQ(Init(""), 43);
}

TEST_F(SimulatorTest, UnknownHandleIsAWrongDownloadId) {
    const int32_t refused = Init("", DefaultRequest("C:\\none.fdl"));
    EXPECT_EQ(refused, -9);
    for (int32_t handle : {-9, 0, 1, 77}) {
        EXPECT_EQ(m_sim.StartDownload(handle).result, -700);
        EXPECT_FALSE(m_sim.StartDownload(handle).run);
        EXPECT_EQ(m_sim.AbortDownload(handle), -700);
        const DownloadStatus status = m_sim.GetDownloadStatus(handle);
        EXPECT_EQ(status.status, -700);
        EXPECT_EQ(status.phase, 7);
    }
}

TEST_F(SimulatorTest, DownloadPreparesThenRunsEveryPhaseToSuccess) {
    const int32_t handle = Init("");
    const std::vector<DownloadStatus> seen = RunToEnd(handle);
    EXPECT_EQ(PhasesOf(seen), (std::vector<int32_t>{9, 0, 1, 2, 3, 5, 4, 6, 8, 7}));
    EXPECT_EQ(seen.back().status, 500);
    for (size_t i = 0; i + 1 < seen.size(); ++i) {
        EXPECT_LE(seen[i].status, seen[i + 1].status);
    }
    // One start only: a second StartDownload runs nothing more.
    const vardel::Simulator::Started again = m_sim.StartDownload(handle);
    EXPECT_EQ(again.result, 0);
    EXPECT_FALSE(again.run);
}

TEST_F(SimulatorTest, RunKeepsTheConfigurationOfItsInit) {
    const int32_t handle = Init("[Vardel]\nSpeedFactor=50\n");
    Init("[Vardel]\nSpeedFactor=2\n");
    const vardel::Simulator::Started started = m_sim.StartDownload(handle);
    ASSERT_TRUE(started.run);
    EXPECT_EQ(started.run->SpeedFactor(), 50);
}

TEST_F(SimulatorTest, AbortBeforeStartEndsTheDownload) {
    const int32_t handle = Init("");
    EXPECT_EQ(m_sim.AbortDownload(handle), 0);
    const DownloadStatus status = m_sim.GetDownloadStatus(handle);
    EXPECT_EQ(status.status, -701);
    EXPECT_EQ(status.phase, 7);
    EXPECT_FALSE(m_sim.StartDownload(handle).run);
}

TEST_F(SimulatorTest, AbortDuringTheRunEndsItCancelled) {
    const int32_t handle = Init("");
    const std::vector<DownloadStatus> seen = RunToEnd(handle, [&](double t) {
        if (t > 5.0) {
            m_sim.AbortDownload(handle);
        }
    });
    EXPECT_EQ(seen.back().status, -701);
    EXPECT_EQ(seen.back().phase, 7);
}

TEST_F(SimulatorTest, UnclaimedStartCanBeAbortedAndStartedAgain) {
    const int32_t handle = Init("");
    const vardel::Simulator::Started started = m_sim.StartDownload(handle);
    ASSERT_TRUE(started.run);
    started.run->Unclaim(); // no thread could be made
    EXPECT_TRUE(m_sim.StartDownload(handle).run);
    started.run->Unclaim();
    m_sim.AbortDownload(handle);
    EXPECT_EQ(m_sim.GetDownloadStatus(handle).status, -701);
}

struct RunCase {
    const char* name;
    const char* config;
    int targetAndAddress;
    int32_t status;
    int32_t phase;
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

class RunEnd : public SimulatorTest, public testing::WithParamInterface<RunCase> {};

TEST_P(RunEnd, FollowsTheCpmsAndTheFaults) {
    const RunCase& c = GetParam();
    InitRequest request = DefaultRequest(kFile);
    request.targetAndAddress = c.targetAndAddress;
    const int32_t handle = Init(c.config, request);
    ASSERT_GE(handle, 0);
    const DownloadStatus end = RunToEnd(handle).back();
    EXPECT_EQ(end.status, c.status);
    EXPECT_EQ(end.phase, c.phase);
}

INSTANTIATE_TEST_SUITE_P(
    Configs, RunEnd,
    testing::Values(
        RunCase{"Cpm1Answers", "", 1, 500, 7}, RunCase{"Cpm5Silent", "", 5, -105, 1},
        RunCase{"Cpm5Listed", "[CPM]\nCOM1=1,5\n", 5, 500, 7},
        RunCase{"RedundantCpm5", "[CPM]\nCOM1=5\n", 0x105, 500, 7},
        RunCase{"Broadcast", "", 255, 500, 7},
        RunCase{"BroadcastToNobody", "[CPM]\nCOM1=\n", 255, -105, 1},
        RunCase{"NeverAnswers", "[Fault]\nNoAnswer=1\n", 1, -105, 1},
        RunCase{"FaultInProgrammingIop", "[Fault]\nPhase=5\nCondition=17\nPercent=50\n", 1, -517,
                6},
        RunCase{"TransientFaultCured", "[Fault]\nPhase=3\nCondition=4\nPercent=50\nFailures=4\n", 1,
                500, 7},
        RunCase{"TransientFaultBeyondRetries",
                "[Fault]\nPhase=3\nCondition=4\nPercent=50\nFailures=5\n", 1, -304, 5},
        RunCase{"RangeOfCpms", "[CPM]\nCOM1=1-127\n", 77, 500, 7},
        RunCase{"FaultForItsAddress",
                "[CPM]\nCOM1=1-9\n[Fault]\nAddress=5\nPhase=2\nCondition=17\n", 5, -217, 3},
        RunCase{"FaultForAnotherAddress",
                "[CPM]\nCOM1=1-9\n[Fault]\nAddress=5\nPhase=2\nCondition=17\n", 6, 500, 7},
        RunCase{"SilenceForAnotherAddress", "[Fault]\nAddress=5\nNoAnswer=1\n", 1, 500, 7}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

struct RunsCase {
    const char* name;
    const char* config;
    std::vector<std::pair<int, int32_t>> runs; // address; InitDownload's refusal or the end
};

void PrintTo(const RunsCase& c, std::ostream* os) {
    *os << c.name;
}

class FirstRuns : public SimulatorTest, public testing::WithParamInterface<RunsCase> {};

// Every InitDownload counts as a run of its address; a stalled run ends only
// when it is aborted.
TEST_P(FirstRuns, AreStruckByTheFaultAndTheLaterOnesNot) {
    for (const auto& [address, expected] : GetParam().runs) {
        InitRequest request = DefaultRequest(kFile);
        request.targetAndAddress = address;
        const int32_t handle = Init(GetParam().config, request);
        if (handle < 0) {
            EXPECT_EQ(handle, expected);
            continue;
        }
        const int holdsBefore = m_pacer.holds;
        const DownloadStatus end = RunToEnd(handle, [&](double) {
                                       if (m_pacer.holds == holdsBefore + 3) {
                                           m_sim.AbortDownload(handle);
                                       }
                                   }).back();
        EXPECT_EQ(end.status, expected) << "CPM " << address;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Configs, FirstRuns,
    testing::Values(RunsCase{"LineFaultTwiceAtOneAddress",
                             "[CPM]\nCOM1=1-9\n[Fault]\nAddress=5\nRuns=2\nPhase=3\nCondition=4\n"
                             "Failures=9\n",
                             {{5, -304}, {6, 500}, {5, -304}, {5, 500}, {6, 500}}},
                    RunsCase{"EachAddressCountedApart",
                             "[CPM]\nCOM1=1-9\n[Fault]\nRuns=1\nPhase=2\nCondition=17\n",
                             {{5, -217}, {6, -217}, {5, 500}, {6, 500}}},
                    RunsCase{"StallOfTheFirstRun",
                             "[Fault]\nRuns=1\nPhase=3\nPercent=50\nStall=1\n",
                             {{1, -701}, {1, 500}}}),
    [](const testing::TestParamInfo<RunsCase>& info) { return std::string(info.param.name); });

TEST_F(SimulatorTest, DataBrokenBeyondWhatInitReadsFailsWhilePreparing) {
    std::string records;
    for (uint32_t chunk = 0; records.size() <= vardel::kInitScanBudget; ++chunk) {
        records += hextext::Data(chunk * 0x10000, 0x8000);
    }
    m_files[kFile] = hextext::File(records + "garbage\r\n");
    const int32_t handle = Init("");
    ASSERT_GE(handle, 0);
    const DownloadStatus end = RunToEnd(handle).back();
    EXPECT_EQ(end.status, -703);
    EXPECT_EQ(end.phase, 9);
}

TEST_F(SimulatorTest, FileGoneBeforeTheRunFailsWhilePreparing) {
    const int32_t handle = Init("");
    m_files.erase(kFile);
    const DownloadStatus end = RunToEnd(handle).back();
    EXPECT_EQ(end.status, -703);
    EXPECT_EQ(end.phase, 9);
}

TEST_F(SimulatorTest, CallLogHasALinePerCall) {
    const std::filesystem::path log =
        std::filesystem::temp_directory_path() / "vardel_simulator_test.log";
    std::filesystem::remove(log);
    const std::string config = "[Vardel]\nCallLog=" + log.string() + "\n[Script]\nReads=7/9\n";
    m_sim.GetCOMsStatus(ReadSimConfig(config));
    InitRequest request = DefaultRequest(kFile);
    request.retry = 255;
    const int32_t handle = Init(config, request);
    m_sim.StartDownload(handle);
    m_sim.GetDownloadStatus(handle);
    m_sim.AbortDownload(handle);
    m_sim.GetDownloadStatus(handle);
    m_sim.GetCOMsStatus(ReadSimConfig("")); // no log from here on
    m_sim.GetDownloadStatus(handle);

    std::ifstream file(log, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    const std::string h = std::to_string(handle);
    EXPECT_EQ(text.str(), "GetCOMsStatus\t=>\t1\r\n"
                          "InitDownload\tC:\\fw\\main.fdl\t0xFD Adr 0x08 0x00 0x01 0xFF LRC"
                          "\t1\t1\t9600\t8\t1\t1\t255\t=>\t" +
                              h +
                              "\r\n"
                              "StartDownload\t" +
                              h +
                              "\t=>\t0\r\n"
                              "GetDownloadStatus\t" +
                              h +
                              "\t=>\t7\t9\r\n"
                              "AbortDownload\t" +
                              h +
                              "\t=>\t0\r\n"
                              "GetDownloadStatus\t" +
                              h + "\t=>\t-701\t7\r\n");
    file.close();
    std::filesystem::remove(log);
}

} // namespace
