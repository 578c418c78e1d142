// The program started with switches, as a script or a production line starts
// it: exit codes, console lines, sequences, the download record, and the
// settings file left as it was.
#include "app/script_mode.h"
#include "dialog_driver.h"
#include "platform/console.h"
#include "platform/console_output.h"
#include "platform/taskbar_progress.h"
#include "platform/text.h"
#include "program_runner.h"
#include "res/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>
#ifdef TAVRO_HAVE_JSON_PARSER
#include <nlohmann/json.hpp>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

namespace {

using namespace testsupport;

const char* const kSettings = "[DOWNLOAD]\r\nCPMADR=1\r\nPRIMARYINITSTRING=0xFD Adr 0x08 0x00 "
                              "0x01 0xFF LRC\r\nREDUNDANTINITSTRING=0xFD Adr 0x09 0x00 0x01 0xFF "
                              "LRC\r\nPORT=COM1\r\nBAUDRATE=9600\r\nPARITY=ODD\r\nDATABITS=8\r\n"
                              "STOPBITS=1\r\nRETRY=4\r\nFILENAME=\r\nTARGET=PRIMARY\r\n";
// `sha256sum samples/cpm4012_app_3.2.1.fdl`
const char* const kSampleSha256 =
    "92097a4c8656019c4927f5f069e6bd107a10932533db7bd8e8825a55d9c2ab7f";
const char* const kReads = "[Script]\r\nReads=0/9 100/3 200/5 300/6 400/8 500/7\r\n";

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// A folder with the program, the stand-in, the sample as main.fdl and the
// settings file; the program runs there as a script would run it.
// The stand-in goes in without its simulator mark, taken for the maker's
// library, unless the simulator is asked for.
struct ScriptFolder {
    void Prepare(const std::string& standIn, const char* settings = kSettings,
                 bool withVardel = true, bool simulator = false) {
        SetEnvironmentVariableW(L"VARDEL_CONFIG", nullptr);
        PrepareProgramFolder(m_dir,
                             "[Vardel]\r\nPortMask=0x0001\r\nSpeedFactor=1000\r\nCallLog=" +
                                 m_dir.FileUtf8(L"calls.log") + "\r\n" + standIn,
                             withVardel);
        if (withVardel && !simulator) {
            CopyFromBin(L"VardelUnmarked.dll", m_dir.Path(), L"Vardel.dll");
        }
        CopyFromBin(L"TavroDownload.com", m_dir.Path());
        CopyFromBin(L"samples\\cpm4012_app_3.2.1.fdl", m_dir.Path(), L"main.fdl");
        if (settings) {
            WriteFileBytes(Ini(), settings);
        }
    }
    std::wstring Ini() const { return m_dir.File(L"tavrodownload.ini"); }
    std::string Record() const { return ReadFileBytes(m_dir.File(L"record.csv")); }
    std::vector<std::string> InitAddresses() const {
        std::vector<std::string> addresses;
        for (const auto& call : LibraryCalls(m_dir.File(L"calls.log"), "InitDownload")) {
            addresses.push_back(call.size() > 4 ? call[4] : "");
        }
        return addresses;
    }
    std::string Output() const { return ReadFileBytes(m_dir.File(L"out.txt")); }
    std::vector<std::vector<std::string>> Calls(const std::string& name) const {
        return LibraryCalls(m_dir.File(L"calls.log"), name);
    }
    // Starts the program; during runs while it does, until it has ended.
    DWORD Run(const std::wstring& arguments, const std::function<void(ProgramRun&)>& during = {},
              const wchar_t* program = L"TavroDownload.exe") {
        ProgramRun run(m_dir.Path(), arguments, L"", m_dir.File(L"out.txt"), program);
        EXPECT_TRUE(run.Started());
        if (during) {
            during(run);
        }
        EXPECT_TRUE(run.WaitForExit(30000)) << "waits for someone";
        return run.ExitCode();
    }
    TempDir m_dir;
};

struct ExitRow {
    const char* name;
    const char* standIn;
    const char* settings;
    bool withVardel;
    const wchar_t* arguments;
    DWORD exitCode;
    bool window;
    const char* said;
    const char* approvedList = nullptr; // written as approved.txt beside the settings
    bool simulator = false;             // the stand-in with its simulator mark
    const char* recorded = nullptr;     // a part of record.csv
    const char* retry = nullptr;        // the retry count InitDownload got
    // The console twin: the output, its times as <time>, is exactly `said`.
    const wchar_t* program = L"TavroDownload.exe";
};

// A redirected output with the time at the start of each line as <time>.
std::string WithoutTimes(const std::string& output) {
    return std::regex_replace(
        output, std::regex("(^|\n)\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ"), "$1<time>");
}

// The settings with the plant's approved list switched on.
const std::string kApprovedSettings =
    std::string(kSettings) + "[FIRMWARE]\r\nAPPROVED=approved.txt\r\n";
const std::string kLogged = std::string(kSettings) + "[LOG]\r\nFILE=record.csv\r\n";

// clang-format off
const ExitRow kExitRows[] = {
    {"Downloaded",      kReads, kSettings, true,  L"/download /quiet main.fdl",  0, false, "COM1  CPM 1  prim"},
    {"DownloadedSeen",  kReads, kSettings, true,  L"/download main.fdl",         0, true,  "  downloaded"},
    {"Cancelled",       "[Script]\r\nReads=0/9 -701/7\r\n", kSettings, true, L"/download /quiet main.fdl", 1, false, "cancelled  -701"},
    {"Usage",           kReads, kSettings, true,  L"/?",                         0, false, "Usage: TavroDownload.com /download"},
    {"UnknownSwitch",   kReads, kSettings, true,  L"/download /Bogus:1 main.fdl", 2, false, "Unknown switch /Bogus:1."},
    {"NotDownloadFirst", kReads, kSettings, true, L"/port:1 /download",          2, false, "/port:1: a scripted download"},
    {"BroadcastInMode1", kReads, kSettings, true, L"/download /address:1,255 main.fdl", 2, false, "CPM address 255 is not valid"},
    {"PortNotThere",    kReads, kSettings, true,  L"/download /port:2 main.fdl", 2, false, "COM2 is not available."},
    {"NoFile",          kReads, kSettings, true,  L"/download /quiet",           2, false, "No firmware file selected."},
    {"NoSettingsFile",  kReads, nullptr,   true,  L"/download /quiet main.fdl",  2, false, "is missing or invalid"},
    {"StartRefused",    "[Script]\r\nInitResult=-9\r\n", kSettings, true, L"/download main.fdl", 3, false, "Can not open fdl file."},
    {"Failed",          "[Script]\r\nReads=0/9 -217/2\r\n", kSettings, true, L"/download /quiet main.fdl", 4, false, "failed  -217"},
    {"FailedSeen",      "[Script]\r\nReads=0/9 100/1 200/3 -217/2\r\n", kSettings, true, L"/download main.fdl", 4, true, "Del CPR: Could not erase"},
    {"LibraryMissing",  kReads, kSettings, false, L"/download main.fdl",         5, false, "Wrong version or not present!"},
    {"Ports",           kReads, nullptr,   true,  L"/ports",                     0, false, "COM1\r\n"},
    {"PortsNoLibrary",  kReads, kSettings, false, L"/ports",                     5, false, "Wrong version or not present!"},
    // The firmware file checked before any library call.
    {"Sha256Matches",   kReads, kSettings, true, L"/download /quiet /sha256:92097A4C8656019C4927F5F069E6BD107A10932533DB7BD8E8825A55D9C2AB7F main.fdl", 0, false, "  downloaded"},
    {"Sha256Wrong",     kReads, kSettings, true, L"/download /quiet /sha256:0000000000000000000000000000000000000000000000000000000000000000 main.fdl", 2, false,
     "main.fdl is not the one /sha256 asks for: its SHA-256 is 92097a4c8656019c4927f5f069e6bd107a10932533db7bd8e8825a55d9c2ab7f, not 0000000000000000000000000000000000000000000000000000000000000000."},
    {"Approved",        kReads, kApprovedSettings.c_str(), true, L"/download /quiet main.fdl", 0, false, "  downloaded", "92097a4c8656019c4927f5f069e6bd107a10932533db7bd8e8825a55d9c2ab7f  CPM4012 app 3.2.1\r\n"},
    {"NotApproved",     kReads, kApprovedSettings.c_str(), true, L"/download /quiet main.fdl", 2, false,
     "main.fdl is not approved firmware. Its SHA-256 92097a4c8656019c4927f5f069e6bd107a10932533db7bd8e8825a55d9c2ab7f is not on the list", "# none released yet\r\n"},
    {"ListUnreadable",  kReads, kApprovedSettings.c_str(), true, L"/download /quiet main.fdl", 2, false, "approved.txt cannot be read."},
    {"ListMalformed",   kReads, kApprovedSettings.c_str(), true, L"/download /quiet main.fdl", 2, false,
     "approved.txt cannot be used: its line 2, \"CPM4012 app 3.2.1\", is neither", "92097a4c8656019c4927f5f069e6bd107a10932533db7bd8e8825a55d9c2ab7f\r\nCPM4012 app 3.2.1\r\n"},
    // The simulator passes only when asked for, and /simulate only with it. <dir>: the folder.
    {"SimulatorRefused", kReads, kLogged.c_str(), true, L"/download /quiet main.fdl", 5, false, "<dir>Vardel.dll is the simulator of the download library: it writes no CPM.", nullptr, true, ",library missing,,"},
    {"Simulated",        kReads, kLogged.c_str(), true, L"/download /quiet /simulate main.fdl", 0, false, "  downloaded", nullptr, true, ",downloaded,500,Download successful! (simulator: no CPM was written),"},
    {"SimulateWithAnotherLibrary", kReads, kSettings, true, L"/download /quiet /simulate main.fdl", 2, false, "<dir>Vardel.dll is not the simulator"},
    // Every command line is taken as meant, or refused and recorded.
    {"RetryAboveAByte", kReads, kSettings, true, L"/download /quiet /retry:300 main.fdl", 2, false, "Bad value in /retry:300."},
    {"RetryNegative",   kReads, kSettings, true, L"/download /quiet /retry:-1 main.fdl",  2, false, "Bad value in /retry:-1."},
    {"RetryWhole",      kReads, kSettings, true, L"/download /quiet /retry:255 main.fdl", 0, false, "  downloaded", nullptr, false, nullptr, "255"},
    {"SwitchAfterTheFile", kReads, kSettings, true, L"main.fdl /download /quiet", 2, false, "main.fdl: a scripted download starts with /download. Usage: TavroDownload.com /download [switches] [file]"},
    {"RefusalRecorded", kReads, kLogged.c_str(), true, L"/download /bogus /log:other.csv main.fdl", 2, false, "Unknown switch /bogus.", nullptr, false, ",refused,,Unknown switch /bogus. TavroDownload.com /? lists the switches.,"},
    {"VersionSimulator", kReads, kSettings, true, L"/version", 0, false, "Vardel.dll: <dir>Vardel.dll\r\nFile version: 2.2.0.0\r\nSimulator: yes (it writes no CPM)", nullptr, true},
    {"VersionOther",    kReads, kSettings, true,  L"/version", 0, false, "Vardel.dll: <dir>Vardel.dll\r\nFile version: 2.2.0.0\r\nSimulator: no"},
    {"VersionNone",     kReads, kSettings, false, L"/version", 5, false, "Tavro Download 2.2\r\nVardel.dll cannot be loaded: Vardel.dll is neither in <dir> nor in "},
    // The console twin, waited for by the shells: the same outcomes, and its
    // redirected output is the result lines alone.
    {"ConsoleTwinDownloaded", kReads, kSettings, true, L"/download /quiet main.fdl", 0, false, "<time>  COM1  CPM 1  prim  <dir>main.fdl  downloaded\r\n", nullptr, false, nullptr, nullptr, L"TavroDownload.com"},
    {"ConsoleTwinStartRefused", "[Script]\r\nInitResult=-9\r\n", kSettings, true, L"/download /quiet main.fdl", 3, false, "<time>  COM1  CPM 1  prim  <dir>main.fdl  start refused  -9  Download error ! Init COM: Can not open fdl file. Check path and file name.\r\n", nullptr, false, nullptr, nullptr, L"TavroDownload.com"},
    {"ConsoleTwinFailed", "[Script]\r\nReads=0/9 100/1 -217/2\r\n", kSettings, true, L"/download /quiet /address:1,2 main.fdl", 4, false, "<time>  COM1  CPM 1  prim  <dir>main.fdl  failed  -217  Download error ! Del CPR: Could not erase CPR flash.\r\n<time>  COM1  CPM 2  prim  <dir>main.fdl  not run  Sequence ended after CPM 1 was not downloaded.\r\n2 CPMs: 0 downloaded, 1 not downloaded, 1 not run. Exit code 4.\r\n", nullptr, false, nullptr, nullptr, L"TavroDownload.com"},
};
// clang-format on

// No row waits for a person, each says why it ended, and none writes the
// settings file.
TEST(Scripted, ExitCodes) {
    for (const ExitRow& row : kExitRows) {
        SCOPED_TRACE(row.name);
        ScriptFolder folder;
        folder.Prepare(row.standIn, row.settings, row.withVardel, row.simulator);
        if (row.approvedList) {
            WriteFileBytes(folder.m_dir.File(L"approved.txt"), row.approvedList);
        }
        bool sawWindow = false;
        EXPECT_EQ(folder.Run(
                      row.arguments,
                      [&](ProgramRun& run) {
                          WaitUntil(
                              [&] {
                                  sawWindow = sawWindow || run.ShowsAnyWindow();
                                  return run.WaitForExit(0);
                              },
                              20000);
                      },
                      row.program),
                  row.exitCode);
        EXPECT_EQ(sawWindow, row.window);
        if (row.exitCode == 2) {
            EXPECT_TRUE(folder.InitAddresses().empty()) << "refused before any library call";
        }
        const std::string said =
            std::regex_replace(row.said, std::regex("<dir>"), folder.m_dir.FileUtf8(L""));
        if (row.program == std::wstring(L"TavroDownload.com")) {
            EXPECT_EQ(WithoutTimes(folder.Output()), said);
        } else {
            EXPECT_NE(folder.Output().find(said), std::string::npos) << folder.Output();
        }
        if (row.recorded) {
            EXPECT_NE(ReadFileBytes(folder.m_dir.File(L"record.csv")).find(row.recorded),
                      std::string::npos);
        }
        if (row.retry) {
            const auto init = folder.Calls("InitDownload");
            ASSERT_EQ(init.size(), 1u);
            EXPECT_EQ(init[0][9], row.retry);
        }
        if (row.settings) {
            EXPECT_EQ(ReadFileBytes(folder.Ini()), row.settings);
        } else {
            EXPECT_FALSE(FileExists(folder.Ini()));
        }
    }
}

// The system DLLs the program loads when first needed (version.dll and
// bcrypt.dll are not among those Windows always takes from its own folder)
// come from the system folder, never from a copy beside the program: the
// work that needs them is done, and the copy is never loaded. Wine takes its
// own DLL before one beside the program unless told otherwise; told so for
// bcrypt.dll, it searches as Windows does. (Wine's own user32 imports
// version.dll, so told so for that one, Wine itself would load the copy.)
class WinePrefersDllBesideTheProgram {
public:
    explicit WinePrefersDllBesideTheProgram(const wchar_t* name) { // "bcrypt"
        const wchar_t order[] = L"native,builtin";
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_SZ, order, sizeof order);
    }
    ~WinePrefersDllBesideTheProgram() { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }

private:
    static constexpr const wchar_t* kKey =
        L"Software\\Wine\\AppDefaults\\TavroDownload.com\\DllOverrides";
};

TEST(Scripted, SystemDllBesideTheProgramIsNotLoaded) {
    const struct {
        const wchar_t* dll;
        std::wstring arguments;
        const char* said;
        const wchar_t* asWindows; // the name by which Wine is told to search as Windows does
    } rows[] = {
        {L"version.dll", L"/version", "File version: 2.2.0.0\r\nSimulator: yes", nullptr},
        {L"bcrypt.dll",
         L"/download /quiet /simulate /sha256:" + platform::Widen(kSampleSha256) + L" main.fdl",
         "  downloaded", L"bcrypt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(platform::Narrow(row.dll));
        ScriptFolder folder;
        folder.Prepare(kReads, kSettings, true, true);
        CopyFromBin(L"LoadTrace.dll", folder.m_dir.Path(), row.dll);
        std::optional<WinePrefersDllBesideTheProgram> asWindows;
        if (row.asWindows) {
            asWindows.emplace(row.asWindows);
        }
        EXPECT_EQ(folder.Run(row.arguments, {}, L"TavroDownload.com"), 0u);
        EXPECT_NE(folder.Output().find(row.said), std::string::npos) << folder.Output();
        EXPECT_FALSE(FileExists(folder.m_dir.File(row.dll) + L".loaded"));
    }
    // A copy tells when it is loaded (this process has its own version.dll).
    TempDir dir;
    CopyFromBin(L"LoadTrace.dll", dir.Path(), L"Traced.dll");
    const HMODULE traced = LoadLibraryW(dir.File(L"Traced.dll").c_str());
    EXPECT_TRUE(traced && FileExists(dir.File(L"Traced.dll.loaded")));
    FreeLibrary(traced);
}

// The ports the library offers (COM1, COM4) with their devices, in port
// order, then those Windows knows that it does not offer: one it reports
// busy, one above COM16.
TEST(Scripted, PortsNamesTheDevicesThenThePortsNotOffered) {
    const SerialDevicesInRegistry devices(kSerialDevices);
    ScriptFolder folder;
    folder.Prepare("", nullptr);
    WriteFileBytes(folder.m_dir.File(L"Vardel.ini"), "[Vardel]\r\nPortMask=0x0009\r\n");
    EXPECT_EQ(folder.Run(L"/ports"), 0u);
    EXPECT_EQ(
        folder.Output(),
        "COM1  Communications Port  (Standard port types)\r\n"
        "COM4  Prolific USB-to-Serial Comm Port  Prolific  USB 067B:2303\r\n"
        "COM3  USB Serial Port  FTDI  USB 0403:6001  serial A12345  not offered by Vardel.dll\r\n"
        "COM17  USB-SERIAL CH340  wch.cn  USB 1A86:7523  not offered by Vardel.dll\r\n");
}

// From the check on, the file that is flashed cannot be changed, deleted or
// renamed: read only, as the library reads it.
TEST(Scripted, FileIsHeldAgainstWritersWhileItsRunGoesOn) {
    ScriptFolder folder;
    folder.Prepare("[Script]\r\nReads=0/9 10/3 20/3 30/3 40/3 50/3 60/3 70/3 80/3 500/7\r\n");
    const std::wstring file = folder.m_dir.File(L"main.fdl");
    const auto opens = [&file](DWORD access) {
        const HANDLE handle = CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        return handle != INVALID_HANDLE_VALUE && CloseHandle(handle);
    };
    EXPECT_EQ(
        folder.Run(L"/download /quiet /sha256:" + platform::Widen(kSampleSha256) + L" main.fdl",
                   [&](ProgramRun&) {
                       ASSERT_TRUE(WaitUntil([&] { return !folder.InitAddresses().empty(); }));
                       EXPECT_FALSE(opens(GENERIC_WRITE));
                       EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
                       EXPECT_FALSE(DeleteFileW(file.c_str()));
                       EXPECT_TRUE(opens(GENERIC_READ));
                   }),
        0u);
    EXPECT_TRUE(opens(GENERIC_WRITE));
}

// CPM 5 of 3, 5, 7 fails: the sequence stops there, or goes on when asked to.
TEST(Scripted, SequenceStopsAtTheFirstFailureUnlessKeptGoing) {
    struct Row {
        const wchar_t* keepGoing;
        std::vector<std::string> initialised;
        const char* summary;
        bool recordIsFolder;
    };
    const Row rows[] = {
        {L"", {"3", "5"}, "3 CPMs: 1 downloaded, 1 not downloaded, 1 not run. Exit code 4.", false},
        {L" /keepgoing",
         {"3", "5", "7"},
         "3 CPMs: 2 downloaded, 1 not downloaded, 0 not run. Exit code 4.",
         true},
    };
    for (const Row& row : rows) {
        ScriptFolder folder;
        folder.Prepare(
            "[CPM]\r\nCOM1=1-127\r\n[Fault]\r\nAddress=5\r\nPhase=2\r\nCondition=17\r\n");
        if (row.recordIsFolder) {
            CreateDirectoryW(folder.m_dir.File(L"record.csv").c_str(), nullptr);
        }
        EXPECT_EQ(folder.Run(L"/download /quiet /log:record.csv /address:3,5,7 main.fdl" +
                             std::wstring(row.keepGoing)),
                  4u);
        EXPECT_EQ(folder.InitAddresses(), row.initialised);
        const std::string out = folder.Output();
        EXPECT_NE(out.find(row.summary), std::string::npos) << out;
        EXPECT_EQ(Count(out, "CPM 7  prim  " + folder.m_dir.FileUtf8(L"main.fdl")), 1u) << out;
        EXPECT_EQ(Count(out, "cannot be written"), row.recordIsFolder ? 1u : 0u) << out;
        if (!row.recordIsFolder) {
            const std::string record = ReadFileBytes(folder.m_dir.File(L"record.csv"));
            EXPECT_EQ(record.rfind("\xEF\xBB\xBFtime_utc,computer,user,port,address,", 0), 0u);
            // the header, two runs and the CPM never run
            EXPECT_EQ(Count(record, "\r\n"), 4u) << record;
            EXPECT_EQ(Count(record, ",7,prim,"), 1u) << record;
            EXPECT_NE(record.find(",not run,,Sequence ended after CPM 5 was not downloaded.,"),
                      std::string::npos)
                << record;
            EXPECT_EQ(Count(record, ",COM1,5,prim," + folder.m_dir.FileUtf8(L"main.fdl") +
                                        ",79439," + kSampleSha256 + ",failed,-217,"),
                      1u)
                << record;
        }
    }
}

// The status window names the CPM of the sequence and offers no Repeat;
// Cancel ends the whole sequence, and /wait keeps the result until Exit.
TEST(Scripted, CancelInTheStatusWindowStopsTheSequence) {
    ScriptFolder folder;
    folder.Prepare("[Script]\r\nReads=0/9 10/3 20/3 30/3 40/3 50/3 60/3 70/3 80/3 90/3 100/3\r\n");
    EXPECT_EQ(folder.Run(L"/download /wait /address:1-3 main.fdl",
                         [](ProgramRun& run) {
                             const HWND status =
                                 run.WaitForDialog("Download Status - CPM 1 (1 of 3)", nullptr);
                             ASSERT_NE(status, nullptr);
                             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(status, IDC_BUTTON_REPEAT)));
                             PostClick(status, IDCANCEL);
                             EXPECT_TRUE(
                                 WaitUntil([&] { return ItemTextOf(status, IDCANCEL) == "Exit"; }));
                             EXPECT_TRUE(WaitUntil([&] {
                                 return ItemTextOf(status, IDC_STATIC_MESSAGE) ==
                                        "Download cancelled by user!";
                             }));
                             EXPECT_FALSE(run.WaitForExit(1000)) << "/wait keeps the result";
                             PostClick(status, IDCANCEL);
                         }),
              1u);
    EXPECT_EQ(folder.InitAddresses(), std::vector<std::string>{"1"});
    EXPECT_EQ(Count(folder.Output(), "main.fdl  not run"), 2u) << folder.Output();
}

// Stop means stop: after Cancel no CPM is started, whatever the library
// answered; the exit code is 0 only when every CPM named was downloaded;
// nothing waits for a person who is not there; a silent CPM is given up on,
// and only a fault of the line is tried again.
struct StopRow {
    const char* name;
    const char* standIn;
    const wchar_t* arguments; // each with /log:record.csv
    enum Action { None, CancelFirst, AnswerTheBox } action;
    bool console;          // the output goes to a file: else there is none
    bool noStatusTemplate; // the program cannot make its status window
    std::vector<std::string> initialised;
    size_t aborts;
    size_t recordLines;
    DWORD exitCode;
    const char* said;
};

const char* const kSlowReads = "[Script]\r\nReads=0/9 10/3 20/3\r\n";
const char* const kLineFaultTwice =
    "[CPM]\r\nCOM1=1\r\n[Fault]\r\nPhase=3\r\nCondition=4\r\nFailures=99\r\nRuns=2\r\n";

// clang-format off
const StopRow kStopRows[] = {
    {"CancelAnsweredByTheEnd", "[Script]\r\nReads=0/9 10/3 20/3\r\nAfterAbort=500/7\r\n", L"/download /address:1,3 main.fdl", StopRow::CancelFirst, true, false, {"1"}, 1, 2, 1, "2 CPMs: 1 downloaded, 0 not downloaded, 1 not run. Exit code 1."},
    {"CancelConfirmed", kSlowReads, L"/download /address:1,3 main.fdl", StopRow::CancelFirst, true, false, {"1"}, 1, 2, 1, "2 CPMs: 0 downloaded, 1 not downloaded, 1 not run. Exit code 1."},
    {"CancelNeverConfirmed", "[Script]\r\nReads=0/9 10/3 20/3\r\nAfterAbort=none\r\n", L"/download /keepgoing /address:1,3 main.fdl", StopRow::CancelFirst, true, false, {"1"}, 1, 2, 1, "cancelled  Download not confirmed! The library did not report the end of the cancelled download. Check the CPM."},
    {"CancelEndsInAnErrorKeptGoing", "[Script]\r\nReads=0/9 10/3 20/3\r\nAfterAbort=-217/2\r\n", L"/download /keepgoing /address:1,3 main.fdl", StopRow::CancelFirst, true, false, {"1"}, 1, 2, 4, "2 CPMs: 0 downloaded, 1 not downloaded, 1 not run. Exit code 4."},
    {"QuietAndWaitWithoutConsole", kReads, L"/download /quiet /wait main.fdl", StopRow::None, false, false, {}, 0, 0, 2, ""},
    {"QuietUsageWithoutConsole", kReads, L"/download /quiet /?", StopRow::None, false, false, {}, 0, 0, 0, ""},
    {"NoStatusWindowUnderWait", kSlowReads, L"/download /wait main.fdl", StopRow::AnswerTheBox, true, true, {"1"}, 1, 1, 4, "failed  The download was started, but its status window could not be opened."},
    {"StallTimedOut", "[Script]\r\nReads=0/9 100/3\r\n", L"/download /quiet /timeout:1 main.fdl", StopRow::None, true, false, {"1"}, 1, 1, 4, "timed out  -701  No progress for 1 s: download aborted."},
    {"LineFaultsThenSuccess", kLineFaultTwice, L"/download /quiet /attempts:3 main.fdl", StopRow::None, true, false, {"1", "1", "1"}, 0, 3, 0, "failed  -304  attempt 2 of 3: Download error ! Prog CPR: BCC checksum error."},
    {"FlashFailureNotRetried", "[CPM]\r\nCOM1=1\r\n[Fault]\r\nPhase=2\r\nCondition=17\r\n", L"/download /quiet /attempts:3 main.fdl", StopRow::None, true, false, {"1"}, 0, 1, 4, "failed  -217  attempt 1 of 3: Download error !"},
};
// clang-format on

TEST(Scripted, StopMeansStopAndNothingWaitsForNobody) {
    for (const StopRow& row : kStopRows) {
        SCOPED_TRACE(row.name);
        ScriptFolder folder;
        folder.Prepare(row.standIn);
        if (row.noStatusTemplate) {
            ASSERT_TRUE(BreakStatusWindowTemplate(folder.m_dir.Path()));
        }
        ProgramRun run(folder.m_dir.Path(), std::wstring(row.arguments) + L" /log:record.csv", L"",
                       row.console ? folder.m_dir.File(L"out.txt") : L"");
        bool sawWindow = false;
        if (row.action == StopRow::CancelFirst) {
            const HWND status = run.WaitForDialog("Download Status - CPM 1 (1 of 2)", nullptr);
            ASSERT_NE(status, nullptr);
            PostClick(status, IDCANCEL);
        } else if (row.action == StopRow::AnswerTheBox) {
            const HWND box = run.WaitForMessageBox();
            ASSERT_NE(box, nullptr);
            ProgramRun::PressOk(box);
        } else {
            WaitUntil(
                [&] {
                    sawWindow = sawWindow || run.ShowsAnyWindow();
                    return run.WaitForExit(0);
                },
                20000);
            EXPECT_FALSE(sawWindow);
        }
        ASSERT_TRUE(run.WaitForExit(30000)) << "waits for someone";
        EXPECT_EQ(run.ExitCode(), row.exitCode);
        EXPECT_EQ(folder.InitAddresses(), row.initialised);
        EXPECT_EQ(folder.Calls("AbortDownload").size(), row.aborts);
        const std::string record = ReadFileBytes(folder.m_dir.File(L"record.csv"));
        EXPECT_EQ(Count(record, "\r\n"), row.recordLines ? row.recordLines + 1 : 0) << record;
        EXPECT_NE(folder.Output().find(row.said), std::string::npos) << folder.Output();
    }
}

// While a run is polled Windows may not end the session unasked; when it
// ends anyway, the run is aborted and recorded, and no further CPM is started.
// A program that shows no window is ended soon after the question, and told
// no more: the question is the end, and the rest is recorded by its answer.
TEST(Scripted, TheSessionEndsOnlyAfterTheRunOrAbortsIt) {
    struct Row {
        const char* name;
        const wchar_t* arguments;
        bool mainWindow; // else the hidden window of a scripted run
        bool shown;      // a window is shown: the end can be put off
        DWORD exitCode;
    };
    const Row rows[] = {{"MainWindow", L"main.fdl", true, true, 0},
                        {"Scripted", L"/download /wait /address:1,3 main.fdl", false, true, 1},
                        {"Quiet", L"/download /quiet /address:1,3 main.fdl", false, false, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptFolder folder;
        folder.Prepare(kSlowReads,
                       (std::string(kSettings) + "[LOG]\r\nFILE=record.csv\r\n").c_str());
        ProgramRun run(folder.m_dir.Path(), row.arguments);
        HWND asked = nullptr;
        if (row.mainWindow) {
            asked = run.WaitForMainWindow();
            ASSERT_NE(asked, nullptr);
            PostClick(asked, IDC_BUTTON_DOWNLOAD);
        }
        const HWND status =
            row.shown ? run.WaitForDialog(row.mainWindow ? "Download Status"
                                                         : "Download Status - CPM 1 (1 of 2)",
                                          nullptr)
                      : nullptr;
        ASSERT_TRUE(status != nullptr || !row.shown);
        ASSERT_TRUE(WaitUntil([&] {
            asked = row.mainWindow ? asked : run.FindWindowOfClass(L"TavroDownloadSession");
            return asked != nullptr && !folder.Calls("GetDownloadStatus").empty();
        }));
        const std::string cut = ",cancelled,,The Windows session ended: the download was "
                                "aborted. Check the CPM.,";
        if (row.shown) {
            EXPECT_EQ(Answer(asked, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
            EXPECT_EQ(Answer(asked, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), 0);
            EXPECT_EQ(folder.Calls("AbortDownload").size(), 1u);
            EXPECT_TRUE(WaitUntil([&] { return ItemTextOf(status, IDCANCEL) == "Exit"; }));
            EXPECT_TRUE(WaitUntil([&] { return Answer(asked, WM_QUERYENDSESSION) == TRUE; }));
            PostClick(status, IDCANCEL); // Exit
        } else {
            EXPECT_EQ(Answer(asked, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
            EXPECT_EQ(folder.Calls("AbortDownload").size(), 1u);
            EXPECT_EQ(Count(folder.Record(), cut), 1u) << folder.Record();
        }
        if (row.mainWindow) {
            PostClick(asked, IDC_BUTTON_EXIT);
        }
        ASSERT_TRUE(run.WaitForExit(30000));
        EXPECT_EQ(run.ExitCode(), row.exitCode);
        EXPECT_EQ(folder.InitAddresses(), std::vector<std::string>{"1"});
        const std::string record = ReadFileBytes(folder.m_dir.File(L"record.csv"));
        EXPECT_EQ(Count(record, cut), 1u) << record;
        EXPECT_EQ(Count(record, ",not run,"), row.mainWindow ? 0u : 1u) << record;
    }
}

// Whenever the session ends, the rest of the sequence is in the record before
// the hidden window has answered Windows' question (a quiet run shows no
// window, so the question is the end), which it does at once whatever the
// runs wait for: here the pause between two attempts, and a record that
// another program holds for a second.
TEST(Scripted, TheSessionsEndRecordsTheRestAtAnyMoment) {
    const std::tuple<const char*, const char*, const wchar_t*, DWORD> rows[] = {
        {"PauseBetweenAttempts", kLineFaultTwice, L"/attempts:3", 4},
        {"RecordHeld", "[Script]\r\nReads=0/9 500/7\r\n", L"", 1}};
    for (const auto& [name, standIn, arguments, exitCode] : rows) {
        SCOPED_TRACE(name);
        const bool held = std::wstring(arguments).empty();
        ScriptFolder folder;
        folder.Prepare(standIn);
        const HANDLE record =
            held ? CreateFileW(folder.m_dir.File(L"record.csv").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr)
                 : INVALID_HANDLE_VALUE;
        ProgramRun run(folder.m_dir.Path(), L"/download /quiet /address:1,3 /log:record.csv " +
                                                std::wstring(arguments) + L" main.fdl");
        HWND session = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            session = run.FindWindowOfClass(L"TavroDownloadSession");
            return session != nullptr && (held ? folder.Calls("GetDownloadStatus").size() >= 2
                                               : Count(folder.Record(), "attempt 1 of 3") == 1);
        }));
        Sleep(300); // the first run's line waits for the record, or the pause has begun
        std::thread release([&] {
            Sleep(1000);
            if (held) {
                CloseHandle(record);
            }
        });
        EXPECT_EQ(Answer(session, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
        release.join();
        EXPECT_EQ(Count(folder.Record(), ",not run,,Sequence stopped before this CPM.,"), 1u);
        ASSERT_TRUE(run.WaitForExit(30000));
        EXPECT_EQ(run.ExitCode(), exitCode);
        EXPECT_EQ(folder.InitAddresses(), std::vector<std::string>{"1"});
        EXPECT_EQ(Count(folder.Record(), "\r\n"), 3u) << folder.Record(); // header, CPM 1 and 3
    }
}

// Ctrl+C reaches the console twin through its console, which this process
// has none of: the system's call of the program's handler is played here.
// Before the first start nothing is started; after a Ctrl+Break during
// InitDownload the download it prepared is never started. The console
// closed under a run that never confirms its abort: the rest of the
// sequence is in the record before Windows' time is up, and then the
// process ends with the run's exit code, not the system's.
TEST(Scripted, ConsoleInterruptsStopAtAnyMoment) {
    struct Row {
        const char* name;
        const char* delay; // the call the program is caught in
        const char* caughtIn;
        std::vector<std::string> lines; // outcome and text of each CPM in the record
        DWORD event = CTRL_C_EVENT;
    };
    const Row rows[] = {
        {"BeforeTheFirstRun",
         "ScanDelay=3000",
         "GetCOMsStatus",
         {",not run,,Sequence stopped before this CPM.,",
          ",not run,,Sequence stopped before this CPM.,"}},
        {"CtrlBreakDuringInitDownload",
         "InitDelay=3000",
         "InitDownload",
         {",cancelled,,Stopped before the download was started. (simulator: no CPM was written),",
          ",not run,,Sequence stopped before this CPM.,"},
         CTRL_BREAK_EVENT},
        {"ConsoleClosedWhilePolled",
         "[Script]\r\nAfterAbort=none",
         "GetDownloadStatus",
         {",cancelled,,The console was closed: the download was aborted. Check the CPM. "
          "(simulator: no CPM was written),",
          ",not run,,Sequence stopped before this CPM.,"},
         CTRL_CLOSE_EVENT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteFileBytes(dir.File(L"tavro.ini"), kSettings);
        const StandInConfig standIn("[Vardel]\r\nCallLog=" + dir.FileUtf8(L"calls.log") + "\r\n" +
                                    row.delay + "\r\n" + kSlowReads);
        std::string recordedOnReturn;
        std::optional<UINT> endedWith; // by the handler, Windows' time being up
        platform::SetProcessEndHook([&](UINT exitCode) { endedWith = exitCode; });
        std::thread interrupt([&] {
            WaitUntil([&] {
                return ReadFileBytes(dir.File(L"calls.log")).find(row.caughtIn) !=
                       std::string::npos;
            });
            const auto start = std::chrono::steady_clock::now();
            platform::ConsoleControlHandler()(row.event);
            // Windows ends the process 5 s after the console was closed.
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
            recordedOnReturn = ReadFileBytes(dir.File(L"record.csv"));
        });
        const int exitCode =
            RunScriptedDownloads({"/download", "/simulate", "/address:1,3",
                                  "/log:" + dir.FileUtf8(L"record.csv"), dir.FileUtf8(L"main.fdl")},
                                 dir.FileUtf8(L"tavro.ini"));
        interrupt.join();
        platform::SetProcessEndHook(nullptr);
        EXPECT_EQ(exitCode, 1);
        EXPECT_EQ(endedWith, row.event == CTRL_CLOSE_EVENT ? std::optional<UINT>(1) : std::nullopt);
        EXPECT_EQ(LibraryCalls(dir.File(L"calls.log"), "StartDownload").empty(),
                  row.event != CTRL_CLOSE_EVENT);
        const std::string record = row.event == CTRL_CLOSE_EVENT
                                       ? recordedOnReturn
                                       : ReadFileBytes(dir.File(L"record.csv"));
        size_t at = 0;
        for (const std::string& line : row.lines) {
            at = record.find(line, at);
            EXPECT_NE(at, std::string::npos) << line << "\n" << record;
        }
    }
}

// A console holds every write while someone has text selected in it: the
// run is polled all the same and Cancel reaches the library, however long
// the first write waits.
TEST(Scripted, HeldConsoleHoldsUpNeitherThePollNorCancel) {
    TempDir dir;
    WriteFileBytes(dir.File(L"tavro.ini"), kSettings);
    CopyFromBin(L"samples\\cpm4012_app_3.2.1.fdl", dir.Path(), L"main.fdl");
    const StandInConfig standIn("[Vardel]\r\nCallLog=" + dir.FileUtf8(L"calls.log") + "\r\n" +
                                "[Script]\r\nReads=0/9 10/3 20/3 30/3 40/3 50/3 60/3\r\n");
    const auto polls = [&] { return LibraryCalls(dir.File(L"calls.log"), "GetDownloadStatus"); };
    const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<size_t> pollsWhenHeld{0};
    platform::SetConsoleWriteHook([&](const std::string&) {
        if (pollsWhenHeld == 0) {
            pollsWhenHeld = polls().size();
        }
        WaitForSingleObject(release, INFINITE);
    });
    {
        // The wait for the console is bounded; a line goes out once it is let go.
        const platform::ConsoleOutput held(nullptr, 0);
        held.WriteLine("held");
        EXPECT_FALSE(held.Flush(std::chrono::milliseconds(300)));
        SetEvent(release);
        EXPECT_TRUE(held.Flush(std::chrono::seconds(5)));
        ResetEvent(release);
    }
    const DWORD runs = GetCurrentThreadId();
    std::thread user([&] {
        HWND status = nullptr;
        EXPECT_TRUE(WaitUntil([&] {
            status = FindDialogOfThread(runs, "Download Status");
            return status != nullptr && pollsWhenHeld > 0;
        }));
        Sleep(2000);
        EXPECT_GE(polls().size(), pollsWhenHeld + 8); // one read every 200 ms
        PostClick(status, IDCANCEL);
        EXPECT_TRUE(WaitUntil(
            [&] { return !LibraryCalls(dir.File(L"calls.log"), "AbortDownload").empty(); }));
        SetEvent(release);
    });
    const int exitCode =
        RunScriptedDownloads({"/download", "/simulate", "/log:" + dir.FileUtf8(L"record.csv"),
                              dir.FileUtf8(L"main.fdl")},
                             dir.FileUtf8(L"tavro.ini"));
    user.join();
    platform::SetConsoleWriteHook(nullptr);
    CloseHandle(release);
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(LibraryCalls(dir.File(L"calls.log"), "AbortDownload").size(), 1u);
    EXPECT_EQ(Count(ReadFileBytes(dir.File(L"record.csv")), ",cancelled,"), 1u);
}

// Lines that go to a file or a pipe are in the code page the reader decodes
// with: the console's output code page, UTF-8 without a console. A letter
// the code page lacks is spelt out, never a lookalike or a silent "?".
TEST(Scripted, RedirectedLinesInTheCodePageOfTheReader) {
    const std::string line =
        "C:\\Firmware\\P\xC3\xA9riph\xC3\xA9rique s\xC3\xA9rie\\\xC5\x81\xC3\xB3"
        "d\xC5\xBA.fdl";
    const std::pair<UINT, std::string> rows[] = {
        {850, "C:\\Firmware\\P\x82riph\x82rique s\x82rie\\<U+0141>\xA2"
              "d<U+017A>.fdl\r\n"},
        {1252, "C:\\Firmware\\P\xE9riph\xE9rique s\xE9rie\\<U+0141>\xF3"
               "d<U+017A>.fdl\r\n"},
        {1250, "C:\\Firmware\\P\xE9riph\xE9rique s\xE9rie\\\xA3\xF3"
               "d\x9F.fdl\r\n"},
        {65001, line + "\r\n"},
        {0, line + "\r\n"}, // no console
    };
    for (const auto& [codePage, bytes] : rows) {
        SCOPED_TRACE(codePage);
        TempDir dir;
        const HANDLE file = CreateFileW(dir.File(L"out.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr);
        platform::ConsoleOutput(file, codePage).WriteLine(line);
        CloseHandle(file);
        EXPECT_EQ(ReadFileBytes(dir.File(L"out.txt")), bytes);
    }
}

// With /json the standard output is JSON lines a plant's system reads with a
// JSON parser, one object a line (as PowerShell's ConvertFrom-Json and
// Python's json.loads take them), pure ASCII whatever the code page, the
// exit code the same as without.
TEST(Scripted, JsonStreamReadByAParser) {
#ifndef TAVRO_HAVE_JSON_PARSER
    GTEST_SKIP() << "nlohmann-json3-dev is not installed";
#else
    struct Row {
        const char* name;
        const char* standIn;
        const wchar_t* arguments;
        bool endSession; // the session ends under the first run
        DWORD exitCode;
        const char* events; // each line's event, in turn; progress lines left out
        std::function<void(const std::vector<nlohmann::json>&)> check;
    };
    const auto of = [](const std::vector<nlohmann::json>& lines, const char* event, size_t n = 0) {
        for (const nlohmann::json& line : lines) {
            if (line["event"] == event && n-- == 0) {
                return line;
            }
        }
        return nlohmann::json();
    };
    const Row rows[] = {
        {"RetriedCpm", kLineFaultTwice, L"/download /quiet /json /attempts:3 main.fdl", false, 0,
         "start end start end start end summary",
         [&](const auto& lines) {
             EXPECT_EQ(of(lines, "end")["code"], -304);
             EXPECT_EQ(of(lines, "end", 2)["outcome"], "downloaded");
             EXPECT_EQ(of(lines, "end", 2)["attempt"], 3);
             EXPECT_EQ(of(lines, "start", 1)["sha256"], kSampleSha256);
             EXPECT_EQ(of(lines, "start")["cpm"], 1);
             EXPECT_EQ(of(lines, "summary")["outcomes"], nlohmann::json({{"downloaded", 1}}));
         }},
        {"RefusedCommandLine", kReads, L"/download /json /bogus main.fdl", false, 2, "refused",
         [&](const auto& lines) {
             EXPECT_EQ(of(lines, "refused")["exitCode"], 2);
             EXPECT_EQ(of(lines, "refused")["text"],
                       "Unknown switch /bogus. TavroDownload.com /? lists the switches.");
             EXPECT_FALSE(of(lines, "refused").contains("port"));
         }},
        {"StoppedRun", kSlowReads, L"/download /quiet /json /address:1,3 main.fdl", true, 1,
         "start end end summary",
         [&](const auto& lines) {
             EXPECT_EQ(of(lines, "end")["outcome"], "cancelled");
             EXPECT_EQ(of(lines, "end", 1)["outcome"], "not run");
             EXPECT_FALSE(of(lines, "end", 1).contains("attempt"));
             EXPECT_EQ(of(lines, "summary")["outcomes"],
                       nlohmann::json({{"cancelled", 1}, {"not run", 1}}));
         }},
        {"PortsNamedInAnyLanguage", "", L"/ports /json", false, 0, "port port port port",
         [&](const auto& lines) {
             EXPECT_EQ(of(lines, "port")["name"], "P\xC3\xA9riph\xC3\xA9rique s\xC3\xA9rie");
             EXPECT_EQ(of(lines, "port", 1)["serial"], "A12345");
             EXPECT_EQ(of(lines, "port", 1)["offered"], false);
             EXPECT_FALSE(of(lines, "port", 2).contains("serial"));
         }},
    };
    std::vector<SerialDevice> devices = kSerialDevices;
    devices[0].friendlyName = L"P\u00e9riph\u00e9rique s\u00e9rie (COM1)";
    const SerialDevicesInRegistry registry(devices);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptFolder folder;
        folder.Prepare(row.standIn);
        const DWORD exitCode = folder.Run(
            row.arguments,
            [&](ProgramRun& run) {
                HWND session = nullptr;
                if (row.endSession && WaitUntil([&] {
                        session = run.FindWindowOfClass(L"TavroDownloadSession");
                        return session != nullptr && !folder.Calls("GetDownloadStatus").empty();
                    })) {
                    Answer(session, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
                }
            },
            L"TavroDownload.com");
        EXPECT_EQ(exitCode, row.exitCode);
        const std::string output = folder.Output();
        EXPECT_TRUE(std::all_of(output.begin(), output.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
        std::vector<nlohmann::json> lines;
        std::string events;
        std::istringstream stream(output);
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(nlohmann::json::parse(line)); // one value a line, CR LF ended
            EXPECT_EQ(lines.back()["schema"], "tavro-download/1");
            const std::string event = lines.back()["event"];
            events += event == "progress" ? "" : (events.empty() ? "" : " ") + event;
        }
        EXPECT_EQ(events, row.events) << output;
        if (const nlohmann::json summary = of(lines, "summary"); !summary.is_null()) {
            EXPECT_EQ(summary["exitCode"], exitCode);
        }
        row.check(lines);
    }
#endif
}

// A script's status window, its only one with a taskbar button, shows the run there.
TEST(Scripted, StatusWindowsButtonShowsTheRun) {
    TempDir dir;
    WriteFileBytes(dir.File(L"tavro.ini"), kSettings);
    const StandInConfig standIn("[Script]\r\nReads=0/9 100/3 200/3 -217/2\r\n");
    std::vector<std::string> seen;
    platform::SetTaskbarHook([&](HWND window, int state, int status) {
        if (seen.empty()) { // the taskbar makes the button only now
            PostMessageW(window, platform::TaskbarButtonCreatedMessage(), 0, 0);
        }
        seen.push_back(TextOf(window) + " " + std::to_string(state) + "/" + std::to_string(status));
    });
    EXPECT_EQ(RunScriptedDownloads({"/download", "/simulate", dir.FileUtf8(L"main.fdl")},
                                   dir.FileUtf8(L"tavro.ini")),
              4);
    platform::SetTaskbarHook(nullptr);
    const std::string window = "Download Status - CPM 1 (1 of 1) "; // TBPF_NORMAL 2, TBPF_ERROR 4
    EXPECT_EQ(seen, (std::vector<std::string>{window + "2/0", window + "2/0", window + "2/100",
                                              window + "2/200", window + "4/200"}));
}

// The console twin at a prompt: CTest runs this under a terminal
// (ConsoleTwin.UnderATerminal), whose console the twin shares, started in a
// process group of its own as `start /b` starts it, which makes it inherit
// "ignore Ctrl+C". Its progress line is kept up to date in one place and
// replaced by the result line; Ctrl+C stops the sequence all the same.
TEST(ConsoleTwin, ProgressLineAndCtrlCAtAPrompt) {
    const HANDLE screen = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    if (!GetConsoleScreenBufferInfo(screen, &info)) {
        GTEST_SKIP() << "no console here; ConsoleTwin.UnderATerminal gives it one";
    }
    const auto row = [&](SHORT y) {
        std::wstring text(info.dwSize.X, L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, text.data(), info.dwSize.X, {0, y}, &read);
        return platform::Narrow(text);
    };
    ScriptFolder folder;
    folder.Prepare(kSlowReads);
    SetConsoleCtrlHandler(nullptr, TRUE); // the Ctrl+C below is the twin's
    ProgramRun twin(folder.m_dir.Path(), L"/download /quiet /address:1,3 /log:record.csv main.fdl",
                    L"", L"", L"TavroDownload.com", CREATE_NEW_PROCESS_GROUP);
    std::vector<std::pair<SHORT, std::string>> shown; // the cursor's row, as it changed
    ASSERT_TRUE(WaitUntil([&] {
        GetConsoleScreenBufferInfo(screen, &info);
        const auto now = std::make_pair(info.dwCursorPosition.Y, row(info.dwCursorPosition.Y));
        if (now.second.rfind("CPM 1 (1 of 2)  ", 0) == 0 &&
            (shown.empty() || shown.back() != now)) {
            shown.push_back(now);
        }
        return shown.size() >= 3;
    }));
    EXPECT_EQ(shown.front().first, shown.back().first);
    EXPECT_EQ(shown.back().second.rfind("CPM 1 (1 of 2)  Erase CPR Flash  4 %  00:0", 0), 0u)
        << shown.back().second;
    // Ctrl+C typed: the console tells every process attached to it.
    INPUT_RECORD key = {};
    key.EventType = KEY_EVENT;
    key.Event.KeyEvent = {TRUE, 1, 'C', 0, {3}, LEFT_CTRL_PRESSED}; // the character is ^C
    DWORD written = 0;
    EXPECT_TRUE(WriteConsoleInputW(GetStdHandle(STD_INPUT_HANDLE), &key, 1, &written));
    ASSERT_TRUE(twin.WaitForExit(20000));
    EXPECT_EQ(twin.ExitCode(), 1u);
    const SHORT y = shown.back().first; // a long line goes on in the next row
    const std::string result = row(y) + row(static_cast<SHORT>(y + 1));
    EXPECT_NE(result.find("  CPM 1  prim  "), std::string::npos) << result;
    EXPECT_NE(result.find("  cancelled  -701"), std::string::npos) << result;
    EXPECT_EQ(result.find(" %"), std::string::npos) << result;
    EXPECT_EQ(Count(folder.Record(), ",not run,,Sequence stopped before this CPM.,"), 1u);
}

// Two benches appending to one record at once lose no line and tear none.
TEST(Scripted, TwoProgramsAppendToOneRecord) {
    ScriptFolder folder;
    folder.Prepare("[Script]\r\nReads=500/7\r\n");
    const TempDir& dir = folder.m_dir;
    const std::wstring arguments =
        L"/download /quiet /address:0-24 /log:" + dir.File(L"shared.csv") + L" main.fdl";
    ProgramRun first(dir.Path(), arguments), second(dir.Path(), arguments);
    ASSERT_TRUE(first.WaitForExit(60000) && second.WaitForExit(60000));
    EXPECT_EQ(first.ExitCode() + second.ExitCode(), 0u);
    const std::string record = ReadFileBytes(dir.File(L"shared.csv"));
    EXPECT_EQ(Count(record, "time_utc,"), 1u);
    EXPECT_EQ(Count(record, "\r\n"), 51u);
    EXPECT_EQ(Count(record, ",downloaded,500,Download successful!,"), 50u);
}

} // namespace
