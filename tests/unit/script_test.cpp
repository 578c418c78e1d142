// Scripted downloads: the command line, the sequence rules, the console
// lines and the download record's CSV.
#include "memory_profile.h"
#include "script/approved_list.h"
#include "script/command_line.h"
#include "script/ending_budget.h"
#include "script/firmware_check.h"
#include "script/outcomes.h"
#include "script/progress_line.h"
#include "script/report_lines.h"
#include "script/retry_rule.h"
#include "script/sequence.h"

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
    std::string text = r.help ? "help" : r.version ? "version" : r.ports ? "ports" : "download";
    text += r.port ? " port=" + std::to_string(*r.port) : "";
    for (size_t i = 0; i < r.addresses.size(); ++i) {
        text += (i == 0 ? " address=" : ",") + std::to_string(r.addresses[i]);
    }
    text += r.target ? " target=" + std::to_string(*r.target) : "";
    text += r.retry ? " retry=" + std::to_string(*r.retry) : "";
    text += r.file.empty() ? "" : " file=" + r.file;
    text += r.logPath.empty() ? "" : " log=" + r.logPath;
    text += r.timeoutSeconds ? " timeout=" + std::to_string(*r.timeoutSeconds) : "";
    text += r.attempts != 1 ? " attempts=" + std::to_string(r.attempts) : "";
    text += r.sha256.empty() ? "" : " sha256=" + r.sha256;
    return text + (r.wait ? " wait" : "") + (r.quiet ? " quiet" : "") +
           (r.keepGoing ? " keepgoing" : "") + (r.simulate ? " simulate" : "");
}

TEST(ScriptCommandLine, RequestsAndRefusals) {
    struct Row {
        std::vector<std::string> arguments;
        std::string parsed;
    };
    const char* const kUnknown = "Unknown switch %s.\nTavroDownload.com /? lists the switches.";
    const char* const kBad = "Bad value in %s.\nTavroDownload.com /? lists the switches.";
    const std::string kHash = "92097A4C8656019C4927F5F069E6BD107A10932533DB7BD8E8825A55D9C2AB7F";
    const std::string kLowerHash =
        "92097a4c8656019c4927f5f069e6bd107a10932533db7bd8e8825a55d9c2ab7f";
    const auto with = [](const char* format, const std::string& what) {
        return platform::FormatText(format, {what});
    };
    const Row rows[] = {
        {{"/download"}, "download"},
        {{"/DOWNLOAD", "/Port:COM3", "/address:1,3,5-7", "/target:RED", "/retry:255", "/KeepGoing",
          "/wait", "/log:C:\\rec.csv", "C:\\fw\\a b.fdl", "/Simulate"},
         "download port=3 address=1,3,5,6,7 target=1 retry=255 file=C:\\fw\\a b.fdl "
         "log=C:\\rec.csv wait keepgoing simulate"},
        {{"/download", "x.fdl", "/quiet", "/port:16", "/address:255", "/target:prim"},
         "download port=16 address=255 target=0 file=x.fdl quiet"},
        {{"/?"}, "help"},
        {{"/download", "/?"}, "help"},
        {{"/VERSION"}, "version"},
        {{"/PORTS"}, "ports"},
        {{"/ports", "/bogus"}, with(kUnknown, "/bogus")},
        {{"/port:1", "/download"},
         "/port:1: a scripted download starts with /download.\n"
         "Usage: TavroDownload.com /download [switches] [file]\n"
         "TavroDownload.com /? lists the switches."},
        {{"/download", "/bogus"}, with(kUnknown, "/bogus")},
        {{"/download", "/wait:1"}, with(kBad, "/wait:1")},
        {{"/download", "/port"}, with(kBad, "/port")},
        {{"/download", "/port:0"}, with(kBad, "/port:0")},
        {{"/download", "/port:17"}, with(kBad, "/port:17")},
        {{"/download", "/port:COM"}, with(kBad, "/port:COM")},
        {{"/download", "/target:primary"}, with(kBad, "/target:primary")},
        {{"/download", "/retry:3x"}, with(kBad, "/retry:3x")},
        {{"/download", "/retry:300"}, with(kBad, "/retry:300")},
        {{"/download", "/retry:-1"}, with(kBad, "/retry:-1")},
        {{"/download", "/retry:99999999999"}, with(kBad, "/retry:99999999999")},
        {{"/download", "/log:"}, with(kBad, "/log:")},
        {{"/download", "/address:9-5"}, with(kBad, "/address:9-5")},
        {{"/download", "/timeout:86400", "/Attempts:10", "/SHA256:" + kHash},
         "download timeout=86400 attempts=10 sha256=" + kLowerHash},
        {{"/download", "/timeout:1", "/attempts:1"}, "download timeout=1"},
        {{"/download", "/timeout:0"}, with(kBad, "/timeout:0")},
        {{"/download", "/timeout:86401"}, with(kBad, "/timeout:86401")},
        {{"/download", "/attempts:0"}, with(kBad, "/attempts:0")},
        {{"/download", "/attempts:11"}, with(kBad, "/attempts:11")},
        {{"/download", "/sha256:" + kHash.substr(1)}, with(kBad, "/sha256:" + kHash.substr(1))},
        {{"/download", "/sha256:x" + kHash.substr(1)}, with(kBad, "/sha256:x" + kHash.substr(1))},
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
    // A switch anywhere makes a scripted request; a path alone, split at its
    // blanks, stays a path.
    const std::pair<std::vector<std::string>, bool> lines[] = {
        {{"/download"}, true},
        {{"/bogus"}, true},
        {{"fw.fdl", "/download", "/quiet"}, true},
        {{"C:\\fw\\a", "b.fdl", "/Retry:3"}, true},
        {{"C:\\fw\\main.fdl"}, false},
        {{"C:\\my", "fw\\a.fdl"}, false},
        {{}, false}};
    for (const auto& [arguments, scripted] : lines) {
        EXPECT_EQ(script::IsSwitchCommandLine(arguments), scripted) << arguments.back();
    }
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
                        {Outcome::NotRun, 1, false, true, "not run"},
                        {Outcome::TimedOut, 4, false, true, "timed out"}};
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
    EXPECT_EQ(script::RecordLine(Facts("failed", -217, "Del CPR: x"), kTable),
              "2025-01-31T03:02:07Z,BENCH-2,\"Jörg \"\"JM\"\" M\",COM1,5,red,\"C:\\fw\\a,b.fdl\","
              "80123,00ff,failed,-217,Del CPR: x,12.3\r\n");
    // One of several attempts is named after a success too; a simulated run
    // says in the record that no CPM was written.
    script::RunFacts third = Facts("downloaded", 500, "attempt 3 of 3: Download successful!");
    third.namesAttempt = true;
    third.simulated = true;
    third.approvedName = "app 3";
    EXPECT_EQ(script::ConsoleLine(third),
              "2025-01-31T03:02:07Z  COM1  CPM 5  red  C:\\fw\\a,b.fdl  "
              "downloaded  attempt 3 of 3: Download successful!");
    EXPECT_NE(script::RecordLine(third, kTable)
                  .find(",downloaded,500,attempt 3 of 3: Download successful! (approved: app 3) "
                        "(simulator: no CPM was written),12.3\r\n"),
              std::string::npos);
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

TEST(ScriptReport, ProgressLine) {
    const std::pair<script::Progress, const char*> rows[] = {
        {{"CPM 5 (3 of 7)", 1, 1, 5, 210, 31}, "CPM 5 (3 of 7)  Prog CPR Flash  42 %  00:31"},
        {{"CPM 5 (3 of 7)", 2, 3, 6, 499, 3723},
         "CPM 5 (3 of 7), attempt 2 of 3  Prog IOP Flash  99 %  62:03"},
        {{"Broadcast (1 of 1)", 1, 1, 10, 0, 0}, "Broadcast (1 of 1)  0 %  00:00"}, // no words
    };
    for (const auto& [progress, line] : rows) {
        EXPECT_EQ(script::ProgressLine(progress), line);
    }
}

// Whoever ends the sequence (its own thread, the session's end, a closed
// console) and whenever, each CPM gets one line, and the exit code counts it.
TEST(ScriptSequence, EachCpmIsToldOnceWhoeverEndsTheSequence) {
    DownloadSettings settings;
    const script::Sequence::Moment now{};
    run::RunResult result;
    result.outcome = Outcome::Failed;
    script::Sequence sequence({3, 5, 7}, settings, 3, true, kTable);
    ASSERT_TRUE(sequence.BeginAttempt(0, 1, now));
    EXPECT_TRUE(sequence.EndAttempt(settings, result)->simulated);
    ASSERT_TRUE(sequence.BeginAttempt(1, 2, now)); // the session ends under it
    const auto ending = sequence.End(true, "The session ended.", now);
    ASSERT_EQ(ending->lines.size(), 2u);
    EXPECT_EQ(ending->lines[0].address + " " + ending->lines[0].text,
              "5 attempt 2 of 3: The session ended.");
    EXPECT_EQ(ending->lines[1].address + " " + ending->lines[1].outcome, "7 not run");
    EXPECT_EQ(ending->summary.line, "3 CPMs: 0 downloaded, 2 not downloaded, 1 not run. Exit code 4.");
    EXPECT_FALSE(sequence.EndAttempt(settings, result)); // the run's own end, later
    EXPECT_FALSE(sequence.BeginAttempt(1, 3, now));
    EXPECT_FALSE(sequence.End(false, "", now));
    EXPECT_EQ(sequence.ExitCode(), 4);
}

// The time Windows gives before it ends the process: the program ends itself
// before, the record having had the most of it.
TEST(ScriptSequence, EndingBudgetWithinTheTimeWindowsGives) {
    using ms = std::chrono::milliseconds;
    struct Row {
        std::optional<ms> hungAppTimeout;
        long long record, abort, total;
    };
    const Row rows[] = {{std::nullopt, 2250, 1125, 4500},
                        {ms(5000), 2250, 1125, 4500},
                        {ms(20000), 2250, 1125, 4500},
                        {ms(2000), 875, 437, 1750},
                        {ms(200), 0, 0, 0},
                        {ms(-1), 0, 0, 0}};
    for (const Row& row : rows) {
        const script::EndingBudget budget = script::EndingBudgetFor(row.hungAppTimeout);
        EXPECT_EQ(std::vector<long long>(
                      {budget.recordWait.count(), budget.abortWait.count(), budget.total.count()}),
                  std::vector<long long>({row.record, row.abort, row.total}))
            << row.hungAppTimeout.value_or(ms(0)).count();
    }
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
        (void)profile.WriteString("FIRMWARE", "APPROVED", value);
        EXPECT_EQ(script::RecordPathSetting(profile, "c:\\tools\\tavrodownload.ini"), path);
        EXPECT_EQ(script::ApprovedListSetting(profile, "c:\\tools\\tavrodownload.ini"), path);
    }
}

TEST(ScriptRetries, OnlyFaultsOfTheLineAreRetried) {
    for (int code : {-101, -106, -204, -305, -401, -503, -606, -704}) {
        EXPECT_TRUE(script::IsLineFault(code)) << code;
    }
    for (int code : {-1, -9, -107, -113, -217, -600, -617, -700, -701, -702, -703, -801, 0, 500}) {
        EXPECT_FALSE(script::IsLineFault(code)) << code;
    }
    // A whole run: the line's fault from either side, or a silent CPM; never
    // a cancel, a refusal or an end the library did not confirm.
    struct Run {
        Outcome outcome;
        bool hasCode;
        int code;
        bool again;
    };
    const Run runs[] = {
        {Outcome::Failed, true, -304, true},      {Outcome::StartRefused, true, -704, true},
        {Outcome::TimedOut, true, -701, true},    {Outcome::Failed, true, -217, false},
        {Outcome::StartRefused, true, -9, false}, {Outcome::Failed, false, -304, false},
        {Outcome::Cancelled, true, -701, false},  {Outcome::Refused, false, 0, false}};
    for (const Run& r : runs) {
        run::RunResult result;
        result.outcome = r.outcome;
        result.hasCode = r.hasCode;
        result.code = r.code;
        EXPECT_EQ(script::IsWorthAnotherAttempt(result), r.again) << r.code;
    }
}

const std::string kA(64, 'a'), kB(64, 'b');

TEST(ApprovedList, EntriesCommentsAndTheFirstBadLine) {
    struct Row {
        std::string text;
        int badLine; // 0: valid
        std::string bad;
    };
    const Row rows[] = {
        {"\xEF\xBB\xBF# releases\r\n" + std::string(64, 'A') + "  CPM4012 app 3.2.1 \r\n\r\n \t\n" +
             kB + "\n" + kB + "\tlater\n" + kB.substr(0, 63) + "c",
         0, ""},
        {"# only\n" + kA + "x\n", 2, kA + "x"},
        {kA.substr(1) + "\r\n", 1, kA.substr(1)},
        {" " + kA + "\n", 1, " " + kA},
        {"\xEF\xBB\xBF\xEF\xBB\xBF" + kA, 1, "\xEF\xBB\xBF" + kA},
    };
    for (const Row& row : rows) {
        const script::ApprovedListParse parse = script::ParseApprovedList(row.text);
        EXPECT_EQ(parse.list.has_value(), row.badLine == 0) << row.text;
        EXPECT_EQ(parse.badLineNumber, row.badLine) << row.text;
        EXPECT_EQ(parse.badLine, row.bad) << row.text;
    }
    EXPECT_EQ(script::ParseApprovedList(rows[0].text).list->NameOf(kA), "CPM4012 app 3.2.1");
}

// The list's faults refuse every file, even one it names; then the file's own.
TEST(ApprovedList, VerdictOnAFile) {
    const std::string list = kA + " app 3.2.1\n";
    struct Row {
        std::optional<std::string> sha256;
        std::string expected;
        std::optional<std::string> listText; // nothing: no list
        const char* refusal;                 // a part of it; "" for none
        const char* name;
    };
    const Row rows[] = {
        {kA, kA, list, "", "app 3.2.1"},
        {kB, "", list, " is not approved firmware.\nIts SHA-256 bbbb", ""},
        {std::nullopt, kA, list, "x.fdl cannot be read", ""},
        {kA, kA, list + "x\n", "L.txt cannot be used: its line 2, \"x\",", ""},
    };
    for (const Row& row : rows) {
        const script::FirmwareVerdict verdict = script::JudgeFirmware(
            {"C:\\fw\\x.fdl", row.sha256, row.expected, row.listText ? "L.txt" : "", row.listText},
            kTable);
        EXPECT_TRUE(*row.refusal ? verdict.refusal.find(row.refusal) != std::string::npos
                                 : verdict.refusal.empty())
            << verdict.refusal;
        EXPECT_EQ(verdict.approvedName, row.name);
    }
}

} // namespace
