#include "sim/call_log.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using vardel::InitRequest;

struct LineCase {
    const char* name;
    std::string line;
    const char* expected;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class CallLogLine : public testing::TestWithParam<LineCase> {};

TEST_P(CallLogLine, IsTabSeparatedWithArrowAndCrLf) {
    EXPECT_EQ(GetParam().line, GetParam().expected);
}

// A request whose fields all differ from the defaults, so each is seen in the line.
InitRequest Request() {
    InitRequest r = DefaultRequest();
    r.port = 3;
    r.targetAndAddress = 0x105;
    r.retry = 200;
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Functions, CallLogLine,
    testing::Values(
        LineCase{"GetCOMsStatus", vardel::GetCOMsStatusLine(1), "GetCOMsStatus\t=>\t1\r\n"},
        LineCase{"GetCOMsStatusNegative", vardel::GetCOMsStatusLine(-1),
                 "GetCOMsStatus\t=>\t-1\r\n"},
        LineCase{"InitDownload", vardel::InitDownloadLine(Request(), 2),
                 "InitDownload\tC:\\fw\\main.fdl\t0xFD Adr 0x08 0x00 0x01 0xFF LRC\t3\t261\t9600"
                 "\t8\t1\t1\t200\t=>\t2\r\n"},
        LineCase{"InitDownloadEmptyTexts", vardel::InitDownloadLine(InitRequest{}, -7),
                 "InitDownload\t\t\t0\t0\t0\t0\t0\t0\t0\t=>\t-7\r\n"},
        LineCase{"StartDownload", vardel::HandleCallLine("StartDownload", 2, 0),
                 "StartDownload\t2\t=>\t0\r\n"},
        LineCase{"AbortDownload", vardel::HandleCallLine("AbortDownload", 9, -700),
                 "AbortDownload\t9\t=>\t-700\r\n"},
        LineCase{"GetDownloadStatus", vardel::GetDownloadStatusLine(2, {-701, 7}),
                 "GetDownloadStatus\t2\t=>\t-701\t7\r\n"}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(CallLog, AppendsOneLineAtATime) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "vardel_call_log_test.log";
    std::filesystem::remove(path);
    vardel::CallLog log;
    log.Append(path.string(), vardel::GetCOMsStatusLine(1));
    log.Append(path.string(), vardel::HandleCallLine("StartDownload", 1, 0));
    log.Append("", vardel::GetCOMsStatusLine(5)); // no log configured
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), "GetCOMsStatus\t=>\t1\r\nStartDownload\t1\t=>\t0\r\n");
    file.close();
    std::filesystem::remove(path);
}

} // namespace
