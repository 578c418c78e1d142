// The program against the simulated CPM itself (no script): real firmware
// files, the line settings, injected faults and a silent CPM, as a user on a
// plant PC would meet them.
#include "app/download_app.h"
#include "dialog_driver.h"
#include "mainwnd/download_dlg.h"
#include "platform/ansi_text.h"
#include "platform/text.h"
#include "res/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <memory>

namespace {

using namespace testsupport;

const char* const kSample = "cpm4012_app_3.2.1.fdl";

std::string Ini(const std::string& file, const std::string& change = "") {
    std::string ini =
        "[DOWNLOAD]\r\nCPMADR=5\r\nPRIMARYINITSTRING=0xFD Adr 0x08 0x00 0x01 0xFF LRC\r\n"
        "REDUNDANTINITSTRING=0xFD Adr 0x09 0x00 0x01 0xFF LRC\r\nPORT=COM1\r\n"
        "BAUDRATE=9600\r\nPARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\nRETRY=2\r\n"
        "TARGET=PRIMARY\r\nFILENAME=" +
        file + "\r\n";
    // A changed key is written before the others, so it is the one read.
    return change.empty() ? ini : ini.insert(11, change + "\r\n");
}

class SimulatedCpm : public testing::Test {
protected:
    void SetUp() override {
        TheApp().m_strProfileName = m_dir.FileUtf8(L"tavro.ini");
        TheApp().m_strCmdLine.clear();
        CopyFromBin(L"samples\\cpm4012_app_3.2.1.fdl", m_dir.Path(), L"main.fdl");
        CopyFromBin(L"samples\\cpm4012_app_3.2.1_badchecksum.fdl", m_dir.Path(), L"bad.fdl");
    }
    std::string File(const std::wstring& name) const { return m_dir.FileUtf8(name); }
    // The simulated line: by default CPM 5 on COM1, two hundred times faster
    // than real; extra adds sections.
    void Simulator(const std::string& extra = "", const std::string& portMask = "0x0001",
                   const std::string& speed = "200", const std::string& cpm = "COM1=5") {
        m_config = std::make_unique<StandInConfig>("[Vardel]\r\nPortMask=" + portMask +
                                                   "\r\nSpeedFactor=" + speed + "\r\n[CPM]\r\n" +
                                                   cpm + "\r\n" + extra);
    }
    // Presses Download and returns the run's end caption ("" when no status
    // window came), keeping the status window's message. before runs once the
    // window is up, during once the status window is.
    std::string Download(const std::function<void(HWND main, HWND status)>& during = nullptr,
                         const std::function<void(HWND main)>& before = nullptr) {
        std::string caption;
        RunModal(m_dlg, [&](HWND main) {
            if (before) {
                before(main);
            }
            PostClick(main, IDC_BUTTON_DOWNLOAD);
            HWND status = nullptr;
            WaitUntil(
                [&] {
                    status = FindDialogOfThread(GetWindowThreadProcessId(main, nullptr),
                                                "Download Status");
                    return status != nullptr || !m_boxes.Messages().empty();
                },
                20000);
            if (status == nullptr) {
                return;
            }
            if (during) {
                during(main, status);
            }
            WaitUntil(
                [&] {
                    caption = TextOf(main);
                    return caption.find(" - OK") != std::string::npos ||
                           caption.find(" - Cancel") != std::string::npos ||
                           caption.find(" - Error") != std::string::npos;
                },
                60000);
            m_message = ItemTextOf(status, IDC_STATIC_MESSAGE);
        });
        return caption;
    }

    TempDir m_dir;
    MessageBoxCapture m_boxes;
    std::unique_ptr<StandInConfig> m_config;
    CDownloadDlg m_dlg;
    std::string m_message;
};

// ... and goes into the download record beside the settings file.
TEST_F(SimulatedCpm, SampleFirmwareDownloadsToTheEnd) {
    Simulator();
    WriteFileBytes(m_dir.File(L"tavro.ini"),
                   Ini(File(L"main.fdl")) + "[LOG]\r\nFILE=record.csv\r\n");
    EXPECT_EQ(Download(), "Tavro Download - OK");
    EXPECT_EQ(m_message, "Download successful!");
    EXPECT_TRUE(m_boxes.Texts().empty());
    const std::string record = ReadFileBytes(m_dir.File(L"record.csv"));
    // The sample's SHA-256 as `sha256sum` gives it.
    const std::string run =
        ",COM1,5,prim," + File(L"main.fdl") +
        ",79439,92097a4c8656019c4927f5f069e6bd107a10932533db7bd8e8825a55d9c2ab7f,"
        "downloaded,500,Download successful! (simulator: no CPM was written),";
    EXPECT_EQ(record.rfind("\xEF\xBB\xBFtime_utc,", 0), 0u) << record;
    EXPECT_NE(record.find(run), std::string::npos) << record;
}

struct InitErrorCase {
    const char* name;
    const char* iniChange; // a settings key written first, so it wins
    const char* simulator; // extra simulator sections
    bool missingFile;
    const char* box;
};

void PrintTo(const InitErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class InitErrors : public SimulatedCpm, public testing::WithParamInterface<InitErrorCase> {};

TEST_P(InitErrors, ShowTheirMessageBoxAndStartNothing) {
    const InitErrorCase& c = GetParam();
    Simulator(c.simulator);
    const std::string file = c.missingFile                      ? File(L"gone.fdl")
                             : std::string(c.name) == "BadData" ? File(L"bad.fdl")
                                                                : File(L"main.fdl");
    WriteFileBytes(m_dir.File(L"tavro.ini"), Ini(file, c.iniChange));
    // COM1 leaves the library between the port list and the download.
    const bool portGone = std::string(c.name) == "PortGoneSinceTheList";
    EXPECT_EQ(Download(nullptr,
                       [&](HWND) {
                           if (portGone) {
                               Simulator("", "0x0002");
                           }
                       }),
              "");
    const std::vector<ShownMessage> boxes = m_boxes.Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.box);
    EXPECT_EQ(boxes[0].caption.rfind("CPM 5 (prim) on COM 1 <", 0), 0u) << boxes[0].caption;
}

INSTANTIATE_TEST_SUITE_P(
    Causes, InitErrors,
    testing::Values(
        InitErrorCase{"PortGoneSinceTheList", "", "", false,
                      "Download error !\nInit COM: Wrong com port."},
        InitErrorCase{"Address", "", "[Fault]\r\nInitError=-2\r\n", false,
                      "Download error !\nInit COM: Wrong CPM address. Set CPM address to 0...127."},
        InitErrorCase{"BaudRate", "BAUDRATE=19200", "", false,
                      "Download error !\nInit COM: Wrong baudrate. Set baudrate to 9600."},
        InitErrorCase{"DataBits", "DATABITS=7", "", false,
                      "Download error !\nInit COM: Wrong databits. Set databits to 8."},
        InitErrorCase{"StopBits", "STOPBITS=2", "", false,
                      "Download error !\nInit COM: Wrong stopbits. Set stopbit to 1."},
        InitErrorCase{"Parity", "PARITY=EVEN", "", false,
                      "Download error !\nInit COM: Wrong parity. Set parity to ODD."},
        InitErrorCase{"InitString", "PRIMARYINITSTRING=0xFD Adr 0x08 nonsense LRC", "", false,
                      "Download error !\nInit COM: Wrong init string. "},
        InitErrorCase{
            "FileMissing", "", "", true,
            "Download error !\nInit COM: Can not open fdl file. Check path and file name."},
        InitErrorCase{"BadData", "", "", false,
                      "Download init error! \nError reading data for download."},
        InitErrorCase{"OstrelVersion", "", "[Ostrel]\r\nVersion=0x0101\r\n", false,
                      "Download init error! \nWrong Ostrel.dll version."}),
    [](const testing::TestParamInfo<InitErrorCase>& info) { return info.param.name; });

TEST_F(SimulatedCpm, FaultWhileErasingIsShownInTheStatusWindow) {
    Simulator("[Fault]\r\nPhase=2\r\nCondition=17\r\nPercent=50\r\n");
    WriteFileBytes(m_dir.File(L"tavro.ini"), Ini(File(L"main.fdl")));
    EXPECT_EQ(Download(), "Tavro Download - Error");
    EXPECT_EQ(m_message, "Download error !\r\nDel CPR: Could not erase CPR flash.");
    EXPECT_TRUE(m_boxes.Texts().empty());
}

TEST_F(SimulatedCpm, TransientFaultIsCuredByTheRetries) {
    Simulator("[Fault]\r\nPhase=3\r\nCondition=4\r\nPercent=30\r\nFailures=2\r\n");
    WriteFileBytes(m_dir.File(L"tavro.ini"), Ini(File(L"main.fdl"))); // RETRY=2
    EXPECT_EQ(Download(), "Tavro Download - OK");
}

TEST_F(SimulatedCpm, CancelEndsTheRunCancelled) {
    Simulator("", "0x0001", "5");
    WriteFileBytes(m_dir.File(L"tavro.ini"), Ini(File(L"main.fdl")));
    EXPECT_EQ(Download([](HWND, HWND status) {
                  WaitUntil([&] {
                      return SendMessageW(GetDlgItem(status, IDC_PROGRESS), PBM_GETPOS, 0, 0) > 20;
                  });
                  Click(status, IDCANCEL);
              }),
              "Tavro Download - Cancel");
    EXPECT_EQ(m_message, "Download cancelled by user!");
}

TEST_F(SimulatedCpm, SilentCpmEndsWithTheTimeOut) {
    Simulator("", "0x0001", "200", "COM1=7"); // CPM 5 does not answer
    WriteFileBytes(m_dir.File(L"tavro.ini"), Ini(File(L"main.fdl")));
    EXPECT_EQ(Download(), "Tavro Download - Error");
    EXPECT_EQ(m_message, "Download error !\r\nInit FDL: Transmission timout. CPM not responding.");
}

// Firmware paths with characters the library's char* interface cannot carry
// in the system code page: passed in their short form, never mangled.
class NonAsciiPath : public SimulatedCpm {
protected:
    void SetUp() override {
        SimulatedCpm::SetUp();
        WriteFileBytes(m_dir.File(L"tavro.ini"), Ini(File(L"main.fdl")));
        m_config = std::make_unique<StandInConfig>(
            "[Vardel]\r\nPortMask=0x0001\r\nSpeedFactor=200\r\nCallLog=" +
            m_dir.FileUtf8(L"calls.log") + "\r\n[CPM]\r\nCOM1=5\r\n");
    }
    // A folder named in Chinese: a single-byte code page does not hold it.
    std::wstring Folder() const { return m_dir.File(L"\u56FA\u4EF6"); }
    // Types the path into the file field, as a user would.
    std::string DownloadTyped(const std::wstring& path) {
        return Download(nullptr, [&](HWND main) {
            SendMessageW(GetDlgItem(main, IDC_EDIT_FILE), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(path.c_str()));
            SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_EDIT_FILE, EN_KILLFOCUS),
                         reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_EDIT_FILE)));
        });
    }
    std::string LoggedInitPath() const {
        const std::string log = ReadFileBytes(m_dir.File(L"calls.log"));
        const size_t start = log.find("InitDownload\t");
        if (start == std::string::npos) {
            return {};
        }
        return log.substr(start + 13, log.find('\t', start + 13) - start - 13);
    }
    static bool IsAscii(const std::string& text) {
        for (char c : text) {
            if (static_cast<unsigned char>(c) > 127) {
                return false;
            }
        }
        return true;
    }
    static std::wstring LongPathOf(const std::string& path) {
        wchar_t longPath[MAX_PATH] = {};
        GetLongPathNameW(platform::Widen(path).c_str(), longPath, MAX_PATH);
        return longPath;
    }
};

TEST_F(NonAsciiPath, ExistingFileIsPassedAndStoredByItsShortPath) {
    CreateDirectoryW(Folder().c_str(), nullptr);
    const std::wstring firmware = Folder() + L"\\main.fdl";
    CopyFileW((BinFolder() + L"samples\\cpm4012_app_3.2.1.fdl").c_str(), firmware.c_str(), FALSE);
    EXPECT_EQ(DownloadTyped(firmware), "Tavro Download - OK");
    const std::string passed = LoggedInitPath();
    EXPECT_TRUE(IsAscii(passed)) << passed;
    EXPECT_EQ(LongPathOf(passed), firmware); // the same file, not a look-alike
    // The settings file holds a path that finds the file again next time.
    const std::string ini = ReadFileBytes(m_dir.File(L"tavro.ini"));
    const size_t at = ini.find("FILENAME=");
    ASSERT_NE(at, std::string::npos);
    const std::string stored = ini.substr(at + 9, ini.find('\r', at) - at - 9);
    EXPECT_EQ(LongPathOf(stored), firmware) << stored;
}

TEST_F(NonAsciiPath, MissingFileIsRefusedWithoutCallingTheLibrary) {
    EXPECT_EQ(DownloadTyped(Folder() + L"\\gone.fdl"), "");
    EXPECT_EQ(m_boxes.Texts(),
              std::vector<std::string>{
                  "The firmware file path cannot be passed to the download library.\nMove the "
                  "file to a folder whose path uses only characters of the system code page."});
    EXPECT_EQ(LoggedInitPath(), "");
}

// The conversion as Windows documents it where Wine lets more pass: into
// UTF-8 only with the flags 0 or WC_ERR_INVALID_CHARS and no default character.
int WINAPI DocumentedWideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH text, int chars,
                                         LPSTR bytes, int size, LPCCH defaultChar,
                                         LPBOOL usedDefault) {
    if (codePage == CP_UTF8 && ((flags & ~WC_ERR_INVALID_CHARS) != 0 || defaultChar != nullptr ||
                                usedDefault != nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return WideCharToMultiByte(codePage, flags, text, chars, bytes, size, defaultChar, usedDefault);
}

// Only a shortened path needs its file; a missing file has no short name, as
// on a volume where short names are switched off.
enum class Passed { AsItIs, ShortForm, Nothing };

struct CodePageCase {
    const char* name;
    UINT codePage;
    const wchar_t* fileName;
    Passed passed;
    const char* ansiName; // ToAnsi of the file name
};

void PrintTo(const CodePageCase& c, std::ostream* os) {
    *os << c.name;
}

class AnsiCodePage : public testing::TestWithParam<CodePageCase> {};

TEST_P(AnsiCodePage, PathIsPassedAsItIsShortOrNotAtAll) {
    const CodePageCase& c = GetParam();
    TempDir dir;
    const std::wstring path = dir.File(c.fileName);
    if (c.passed == Passed::ShortForm) {
        WriteFileBytes(path, "fdl");
    }
    const platform::CodePage codePage{c.codePage, DocumentedWideCharToMultiByte};
    EXPECT_EQ(platform::ToAnsi(platform::Narrow(c.fileName), codePage), c.ansiName);
    const std::optional<std::string> passed =
        platform::AnsiCompatiblePath(platform::Narrow(path), codePage);
    if (c.passed != Passed::ShortForm) {
        EXPECT_EQ(passed, c.passed == Passed::AsItIs
                              ? std::optional<std::string>(platform::Narrow(path))
                              : std::nullopt);
        return;
    }
    ASSERT_TRUE(passed.has_value());
    EXPECT_EQ(platform::ToAnsi(*passed, codePage).find('?'), std::string::npos) << *passed;
    wchar_t longPath[MAX_PATH] = {};
    GetLongPathNameW(platform::Widen(*passed).c_str(), longPath, MAX_PATH);
    EXPECT_EQ(longPath, path); // the same file, not a look-alike
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnsiCodePage,
    testing::Values(CodePageCase{"Utf8HoldsEveryPath", CP_UTF8,
                                 L"\u56FA\u4EF6 M\u00FCller \U0001F600.fdl", Passed::AsItIs,
                                 "\xE5\x9B\xBA\xE4\xBB\xB6 M\xC3\xBCller \xF0\x9F\x98\x80.fdl"},
                    CodePageCase{"WesternHoldsUmlauts", 1252, L"M\u00FCller.fdl", Passed::AsItIs,
                                 "M\xFCller.fdl"},
                    CodePageCase{"WesternShortensChinese", 1252, L"\u56FA\u4EF6.fdl",
                                 Passed::ShortForm, "??.fdl"},
                    CodePageCase{"WesternRefusesChineseWithoutShortName", 1252, L"\u56FA\u4EF6.fdl",
                                 Passed::Nothing, "??.fdl"},
                    CodePageCase{"JapaneseHoldsKanji", 932, L"\u65E5\u672C.fdl", Passed::AsItIs,
                                 "\x93\xFA\x96\x7B.fdl"},
                    CodePageCase{"JapaneseShortensUmlauts", 932, L"M\u00FCller.fdl",
                                 Passed::ShortForm, "M?ller.fdl"}),
    [](const testing::TestParamInfo<CodePageCase>& info) { return info.param.name; });

} // namespace
