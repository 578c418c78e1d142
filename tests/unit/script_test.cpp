// Scripted downloads: the command line, the sequence rules, the console
// lines and the download record's CSV.
#include "memory_profile.h"
#include "script/command_line.h"
#include "script/outcomes.h"
#include "script/report_lines.h"

#include <gtest/gtest.h>

namespace {

using run::Outcome;
const platform::TextLookup kTable = platform::StringTableText;

// The request in one line, or the refusal's text.
std::string Parsed(const std::vector<std::string>& arguments) {
    const script::ParseResult parsed = script::ParseRequest(arguments, kTable);
    if (!parsed.request) {
        return parsed.error;
    }
    const script::Request& r = *parsed.request;
    std::string text = r.help ? "help" : "download";
    text += r.port ? " port=" + std::to_string(*r.port) : "";
    for (size_t i = 0; i < r.addresses.size(); ++i) {
        text += (i == 0 ? " address=" : ",") + std::to_string(r.addresses[i]);
    }
    text += r.target ? " target=" + std::to_string(*r.target) : "";
    text += r.retry ? " retry=" + std::to_string(*r.retry) : "";
    text += r.file.empty() ? "" : " file=" + r.file;
    text += r.logPath.empty() ? "" : " log=" + r.logPath;
    return text + (r.wait ? " wait" : "") + (r.quiet ? " quiet" : "") +
           (r.keepGoing ? " keepgoing" : "");
}

TEST(ScriptCommandLine, RequestsAndRefusals) {
    struct Row {
        std::vector<std::string> arguments;
        std::string parsed;
    };
    const char* const kUnknown = "Unknown switch %s.\nTavroDownload.exe /? lists the switches.";
    const char* const kBad = "Bad value in %s.\nTavroDownload.exe /? lists the switches.";
    const auto with = [](const char* format, const char* what) {
        return platform::FormatText(format, {what});
    };
    const Row rows[] = {
        {{"/download"}, "download"},
        {{"/DOWNLOAD", "/Port:COM3", "/address:1,3,5-7", "/target:RED", "/retry:-2", "/KeepGoing",
          "/wait", "/log:C:\\rec.csv", "C:\\fw\\a b.fdl"},
         "download port=3 address=1,3,5,6,7 target=1 retry=-2 file=C:\\fw\\a b.fdl "
         "log=C:\\rec.csv wait keepgoing"},
        {{"/download", "x.fdl", "/quiet", "/port:16", "/address:255", "/target:prim"},
         "download port=16 address=255 target=0 file=x.fdl quiet"},
        {{"/?"}, "help"},
        {{"/download", "/?"}, "help"},
        {{"/port:1", "/download"},
         "/port:1: a scripted download starts with /download.\n"
         "TavroDownload.exe /? lists the switches."},
        {{"/download", "/bogus"}, with(kUnknown, "/bogus")},
        {{"/download", "/wait:1"}, with(kBad, "/wait:1")},
        {{"/download", "/port"}, with(kBad, "/port")},
        {{"/download", "/port:0"}, with(kBad, "/port:0")},
        {{"/download", "/port:17"}, with(kBad, "/port:17")},
        {{"/download", "/port:COM"}, with(kBad, "/port:COM")},
        {{"/download", "/target:primary"}, with(kBad, "/target:primary")},
        {{"/download", "/retry:3x"}, with(kBad, "/retry:3x")},
        {{"/download", "/retry:99999999999"}, with(kBad, "/retry:99999999999")},
        {{"/download", "/log:"}, with(kBad, "/log:")},
        {{"/download", "/address:9-5"}, with(kBad, "/address:9-5")},
        {{"/download", "/port:1", "/PORT:2"}, "/PORT:2 is given twice."},
        {{"/download", "/download"}, "/download is given twice."},
        {{"/download", "a.fdl", "b.fdl"},
         "Only one firmware file can be given; b.fdl is a second one."},
        {{"/download", "/quiet", "/wait"},
         "/quiet shows no window and /wait keeps one open: give only one of them."},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Parsed(row.arguments), row.parsed) << row.arguments.back();
    }
    EXPECT_TRUE(script::IsSwitchCommandLine({"/download"}));
    EXPECT_FALSE(script::IsSwitchCommandLine({"C:\\fw\\main.fdl", "/download"}));
    EXPECT_FALSE(script::IsSwitchCommandLine({}));
}

TEST(ScriptCommandLine, AddressLists) {
    const std::pair<const char*, std::vector<int>> valid[] = {{"5", {5}},
                                                              {"1,3,5-9", {1, 3, 5, 6, 7, 8, 9}},
                                                              {"7-7", {7}},
                                                              {"3,1", {3, 1}},
                                                              {"255", {255}}};
    for (const auto& [text, addresses] : valid) {
        EXPECT_EQ(script::ParseAddressList(text), addresses) << text;
    }
    for (const char* text :
         {"", ",", "1,", "-5", "5-", "1-2-3", "a", "256", "250-256", " 5", "0x5"}) {
        EXPECT_FALSE(script::ParseAddressList(text)) << text;
    }
    EXPECT_EQ(script::ParseAddressList("0-255")->size(), 256u);
}

TEST(ScriptOutcomes, ExitCodesAndWhetherASequenceGoesOn) {
    struct Row {
        Outcome outcome;
        int exitCode;
        bool goesOn, goesOnWhenKeptGoing;
        const char* word;
    };
    const Row rows[] = {{Outcome::Downloaded, 0, true, true, "downloaded"},
                        {Outcome::Cancelled, 1, false, false, "cancelled"},
                        {Outcome::Refused, 2, false, true, "refused"},
                        {Outcome::StartRefused, 3, false, true, "start refused"},
                        {Outcome::Failed, 4, false, true, "failed"},
                        {Outcome::LibraryMissing, 5, false, true, "library missing"},
                        {Outcome::NotRun, 1, false, true, "not run"}};
    for (const Row& row : rows) {
        EXPECT_EQ(script::ExitCode(row.outcome), row.exitCode);
        EXPECT_EQ(script::GoesOn(row.outcome, false), row.goesOn) << row.word;
        EXPECT_EQ(script::GoesOn(row.outcome, true), row.goesOnWhenKeptGoing) << row.word;
        EXPECT_EQ(script::OutcomeWord(row.outcome, kTable), row.word);
    }
    // Every CPM named counts: one never run is never 0, whatever ran before it.
    struct Sequence {
        std::vector<Outcome> outcomes;
        const char* summary;
    };
    const Sequence sequences[] = {
        {{Outcome::Downloaded, Outcome::Failed, Outcome::Cancelled, Outcome::NotRun,
          Outcome::NotRun},
         "5 CPMs: 1 downloaded, 2 not downloaded, 2 not run. Exit code 4."},
        {{Outcome::Downloaded, Outcome::NotRun, Outcome::NotRun},
         "3 CPMs: 1 downloaded, 0 not downloaded, 2 not run. Exit code 1."},
        {{Outcome::NotRun, Outcome::NotRun},
         "2 CPMs: 0 downloaded, 0 not downloaded, 2 not run. Exit code 1."},
        {{Outcome::Downloaded, Outcome::Downloaded},
         "2 CPMs: 2 downloaded, 0 not downloaded, 0 not run. Exit code 0."},
    };
    for (const Sequence& sequence : sequences) {
        EXPECT_EQ(script::SummaryLine(sequence.outcomes, kTable), sequence.summary);
        EXPECT_EQ(
            script::WorstExitCode(sequence.outcomes),
            std::stoi(
                std::string(sequence.summary).substr(std::string(sequence.summary).size() - 2)));
    }
    EXPECT_EQ(script::SequenceText(5, 3, 7), "CPM 5 (3 of 7)");
    EXPECT_EQ(script::SequenceText(255, 1, 1), "Broadcast (1 of 1)");
}

script::RunFacts Facts(const char* outcome, std::optional<int> code, const char* text) {
    script::RunFacts f;
    f.time = {2025, 1, 31, 3, 2, 7};
    f.port = 1;
    f.address = "5";
    f.target = "red";
    f.file = "C:\\fw\\a,b.fdl";
    f.outcome = outcome;
    f.code = code;
    f.text = text;
    f.seconds = 12.34;
    f.computer = "BENCH-2";
    f.user = "Jörg \"JM\" M";
    f.size = 80123;
    f.sha256 = "00ff";
    return f;
}

TEST(ScriptReport, ConsoleAndRecordLines) {
    EXPECT_EQ(script::ConsoleLine(Facts("downloaded", 500, "Download successful!")),
              "2025-01-31T03:02:07Z  COM1  CPM 5  red  C:\\fw\\a,b.fdl  downloaded");
    EXPECT_EQ(script::ConsoleLine(Facts("failed", -217, "Download error ! Del CPR: x")),
              "2025-01-31T03:02:07Z  COM1  CPM 5  red  C:\\fw\\a,b.fdl  failed  -217  "
              "Download error ! Del CPR: x");
    script::RunFacts refusal;
    refusal.time = {2025, 12, 1, 23, 59, 59};
    refusal.address = "255";
    refusal.outcome = "refused";
    refusal.text = "No firmware file selected.";
    EXPECT_EQ(script::ConsoleLine(refusal),
              "2025-12-01T23:59:59Z  Broadcast  refused  No firmware file selected.");
    EXPECT_EQ(script::RecordLine(Facts("failed", -217, "Del CPR: x")),
              "2025-01-31T03:02:07Z,BENCH-2,\"Jörg \"\"JM\"\" M\",COM1,5,red,\"C:\\fw\\a,b.fdl\","
              "80123,00ff,failed,-217,Del CPR: x,12.3\r\n");
    EXPECT_EQ(script::RecordHeader(), "time_utc,computer,user,port,address,target,file,size,"
                                      "sha256,outcome,code,text,seconds\r\n");
    for (const auto& [value, field] :
         std::vector<std::pair<std::string, std::string>>{{"", ""},
                                                          {" a b ", " a b "},
                                                          {"a\nb", "\"a\nb\""},
                                                          {"\r", "\"\r\""},
                                                          {"\"", "\"\"\"\""}}) {
        EXPECT_EQ(script::CsvField(value), field);
    }
    EXPECT_EQ(script::OneLine("Download error !\r\nDel CPR: x\n"), "Download error ! Del CPR: x");
    const unsigned char bytes[] = {0x00, 0x9f, 0xa0, 0xff};
    EXPECT_EQ(script::HexText(bytes, 4), "009fa0ff");
}

TEST(ScriptReport, RecordPathOfTheSettingsFile) {
    const std::pair<const char*, const char*> rows[] = {
        {"", ""},
        {"C:\\logs\\rec.csv", "C:\\logs\\rec.csv"},
        {"\\\\server\\share\\rec.csv", "\\\\server\\share\\rec.csv"},
        {"rec.csv", "c:\\tools\\rec.csv"},
        {"logs\\rec.csv", "c:\\tools\\logs\\rec.csv"}};
    for (const auto& [value, path] : rows) {
        MemoryProfile profile;
        (void)profile.WriteString("LOG", "FILE", value); // its result does not matter here
        EXPECT_EQ(script::RecordPathSetting(profile, "c:\\tools\\tavrodownload.ini"), path);
    }
}

} // namespace
