// The bad-input matrix: what plant PCs may hold or hand the program (broken
// settings files, odd firmware files, long and quoted command lines, strange
// address texts, a library that misbehaves). Each row names the input and what
// the user must see and what must be left behind; nothing may crash, hang,
// lose the settings or report a failure as success.
#include "app/download_app.h"
#include "dialog_driver.h"
#include "file_dialog_driver.h"
#include "mainwnd/download_dlg.h"
#include "platform/text.h"
#include "program_runner.h"
#include "res/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace testsupport;
using Lines = std::vector<std::vector<std::string>>;

const char* const kMessage105 = "\"Vardel.dll\" or \"Ostrel.dll\"\n Wrong version or not present!";
const char* const kMessage725 = "For the CPM address only values between 0 and 127 are valid!";
const char* const kMessage726 =
    "INI file not found or unvalid entries found in INI-file!\nDefault ini record was created.";
const char* const kMessage742 =
    "The firmware file path cannot be passed to the download library.\nMove the file to a folder "
    "whose path uses only characters of the system code page.";
// The settings file could not be written: at start-up, and before a download.
// Rows name them; the check puts in the path of the row's file.
const char* const kDefaultNotWritten =
    "INI file not found or unvalid entries found in INI-file!\nThe default settings are used, but "
    "the settings file could not be written:\n";
const char* const kNotKept = "The settings could not be written to the settings file:\n";
const char* const kNotKeptEnd = "\nThe download goes on; the next start will not remember them.";
const char* const kIntegerMessage = "Please enter an integer.";
const char* const kCannotOpen =
    "Download error !\nInit COM: Can not open fdl file. Check path and file name.";
const char* const kDataError = "Download init error! \nError reading data for download.";
const char* const kNotConfirmed = "Download not confirmed!\r\nThe library did not report the end "
                                  "of the cancelled download. Check the CPM.";
const char* const kPrimaryInit = "0xFD Adr 0x08 0x00 0x01 0xFF LRC";
const char* const kRedundantInit = "0xFD Adr 0x09 0x00 0x01 0xFF LRC";

// A firmware file the stand-in downloads: a header, one data record, the end.
const char* const kFirmware = "; Tavro CPM firmware\r\n; bad-input matrix\r\n:020000040000FA\r\n"
                              ":10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n";
const char* const kFirmwareHeader = "; Tavro CPM firmware\r\n; bad-input matrix\r\n";

std::string SettingsText(int address, const std::string& file,
                         const std::string& primary = kPrimaryInit,
                         const std::string& redundant = kRedundantInit) {
    return "[DOWNLOAD]\r\nCPMADR=" + std::to_string(address) + "\r\nPRIMARYINITSTRING=" + primary +
           "\r\nREDUNDANTINITSTRING=" + redundant +
           "\r\nPORT=COM1\r\nBAUDRATE=9600\r\nPARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\nRETRY=4\r\n"
           "FILENAME=" +
           file + "\r\nTARGET=PRIMARY\r\n";
}

// Deterministic bytes of every value, NUL, CR and LF included.
std::string BinaryBytes(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return bytes;
}

// A text cut into display lines of at most 255 characters, as the preview
// shows a long line.
std::string PreviewPieces(const std::string& text, size_t pieces) {
    std::string shown;
    for (size_t i = 0; i < pieces && i * 255 < text.size(); ++i) {
        shown += text.substr(i * 255, 255) + "\r\n";
    }
    return shown;
}

// A path of this length: folders of at most 250 characters down to main.fdl.
std::string LongPath(size_t length) {
    std::string path = "C:\\";
    while (path.size() + 8 < length) {
        const size_t room = length - 8 - path.size() - 1; // less the folder's backslash
        path += std::string(room > 250 ? 250 : room, 'd') + "\\";
    }
    return path + "main.fdl";
}

// An init telegram text of this length that the stand-in would still accept.
std::string LongInitText(size_t length) {
    std::string text = "0xFD Adr 0x08";
    while (text.size() + 5 + 9 <= length) {
        text += " 0x00";
    }
    return text + std::string(length - text.size() - 8, ' ') + "0xFF LRC";
}

bool IsEndCaption(const std::string& caption) {
    return caption == "Tavro Download - OK" || caption == "Tavro Download - Cancel" ||
           caption == "Tavro Download - Error";
}

// Whether the file field shows the path: whole, or shortened to the drive,
// "..." and as many of the last folders as fit, with the file name.
bool ShowsPath(const std::string& field, const std::string& path) {
    const std::string name = path.substr(path.rfind('\\'));
    return field == path ||
           (field.compare(0, 6, "C:\\...") == 0 && field.size() >= name.size() &&
            field.size() < path.size() && field.substr(field.size() - name.size()) == name);
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// ---------------------------------------------------------------------------
// The program as a process, on a settings file of the row and a command line.

struct Box {
    std::string text, caption;
};

// What one start of the program showed and did.
struct ProgramOutcome {
    std::vector<std::string> startMessages;
    bool mainWindow = false;
    std::string address, port, file; // the fields right after the start
    std::vector<Box> downloadBoxes;
    std::string endCaption; // the main window's caption once the download is over
    bool exited = false;
};

// Starts the program, answers its messages, optionally types an address and
// presses Download, then ends it with Exit.
ProgramOutcome RunProgram(const TempDir& dir, const std::wstring& arguments, bool download,
                          const char* typedAddress = nullptr) {
    ProgramOutcome out;
    ProgramRun run(dir.Path(), arguments);
    if (!run.Started()) {
        return out;
    }
    HWND main = nullptr;
    out.startMessages = run.AnswerMessagesUntilMainWindow(main);
    out.mainWindow = main != nullptr;
    if (main == nullptr) {
        out.exited = run.WaitForExit();
        return out;
    }
    out.address = ItemTextOf(main, IDC_EDIT_CPMADR);
    out.port = ItemTextOf(main, IDC_COMBO_PORT);
    out.file = ItemTextOf(main, IDC_EDIT_FILE);
    if (download) {
        if (typedAddress) {
            SetItemTextOf(main, IDC_EDIT_CPMADR, typedAddress);
        }
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        WaitUntil(
            [&] {
                if (const HWND box = run.WaitForMessageBox(0)) {
                    out.downloadBoxes.push_back({ProgramRun::MessageBoxText(box), TextOf(box)});
                    ProgramRun::PressOk(box);
                }
                // A box of the run (captioned with the run) ends it; one of
                // the program's own (the settings file's) does not.
                return (!out.downloadBoxes.empty() &&
                        out.downloadBoxes.back().caption != "Tavro Download" &&
                        IsWindowEnabled(main)) ||
                       IsEndCaption(TextOf(main));
            },
            20000);
        out.endCaption = TextOf(main);
    }
    PostClick(main, IDC_BUTTON_EXIT);
    out.exited = run.WaitForExit();
    return out;
}

// The stand-in as the program's folder holds it: scripted, or downloading
// for real from files at a thousand times the line's speed.
std::string StandInIni(const TempDir& dir, bool scripted) {
    return "[Vardel]\r\nPortMask=0x0001\r\nSpeedFactor=1000\r\nCallLog=" +
           dir.FileUtf8(L"calls.log") + "\r\n[CPM]\r\nCOM1=1, 5, 7, 17, 18\r\n" +
           (scripted ? "[Script]\r\nReads=0/9 250/5 500/7\r\n" : "");
}

// One row's own folder with the program, the stand-in and the settings file.
class ProgramFolder {
public:
    // A process started by a test must not read the test's own stand-in configuration.
    ProgramFolder() { SetEnvironmentVariableW(L"VARDEL_CONFIG", nullptr); }
    ~ProgramFolder() {
        if (m_writeLock != INVALID_HANDLE_VALUE) {
            CloseHandle(m_writeLock);
        }
        SetFileAttributesW(Ini().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

protected:
    std::wstring Ini() const { return m_dir.File(L"tavrodownload.ini"); }
    // The settings file as the program names it: its path lower-cased.
    std::string IniAsNamed() const {
        std::string path = m_dir.FileUtf8(L"tavrodownload.ini");
        for (char& c : path) {
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        }
        return path;
    }
    // Windows refuses every write to a read-only file. Wine run as root does
    // not (root writes past the file's Unix mode), so the file is also held
    // open without write sharing for the row, which refuses them there too.
    void MakeSettingsReadOnly() {
        SetFileAttributesW(Ini().c_str(), FILE_ATTRIBUTE_READONLY);
        m_writeLock = CreateFileW(Ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(m_writeLock, INVALID_HANDLE_VALUE);
    }
    Lines Calls(const std::string& name) const {
        return LibraryCalls(m_dir.File(L"calls.log"), name);
    }
    TempDir m_dir;
    HANDLE m_writeLock = INVALID_HANDLE_VALUE;
};

// --- 1. Settings files --------------------------------------------------------

const char* const kIniFile = "C:\\fw\\main.fdl";

std::string ValidSettings() {
    return SettingsText(17, kIniFile);
}

// Megabytes of lines of other tools in front of the record: comments and
// sections that look like ours but are not.
const std::string& HugeJunk() {
    static const std::string junk = [] {
        std::string text;
        for (int i = 0; text.size() < (6u << 20); ++i) {
            text += "; left by an old tool, line " + std::to_string(i) + "\r\n";
            if (i % 1000 == 0) {
                text += "[OTHER" + std::to_string(i) + "]\r\nCPMADR=99\r\nPORT=COM9\r\n";
            }
        }
        return text;
    }();
    return junk;
}

// The settings files of the rows.
std::string EmptyFile() {
    return {};
}
std::string NulBytes() { // what a power loss during a write may leave
    return std::string(4096, '\0');
}
std::string Garbage() {
    return BinaryBytes(64 * 1024);
}
std::string HugeFile() {
    return HugeJunk() + ValidSettings();
}
std::string Utf16WithBom() { // Notepad's "Unicode"
    const std::wstring wide = platform::Widen(ValidSettings());
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return bytes;
}
std::string LineFeedsOnly() {
    std::string out;
    for (char c : ValidSettings()) {
        if (c != '\r') {
            out += c;
        }
    }
    return out;
}
std::string BlanksAndQuotes() {
    return std::string("[DOWNLOAD]\r\n  CPMADR = 17  \r\nPRIMARYINITSTRING = ") + kPrimaryInit +
           " \r\nREDUNDANTINITSTRING=\t" + kRedundantInit +
           "\r\nPORT= COM1\r\nBAUDRATE =9600\r\nPARITY = ODD\r\nDATABITS= 8\r\nSTOPBITS = 1"
           "\r\nFILENAME = \"C:\\my fw\\main.fdl\" \r\nTARGET = PRIMARY \r\n";
}
std::string DuplicateKeys() {
    return ValidSettings() + "CPMADR=200\r\nPORT=COM9\r\nBAUDRATE=1\r\nFILENAME=C:\\x.fdl\r\n";
}
std::string DuplicateSections() {
    return ValidSettings() + SettingsText(42, "C:\\other.fdl");
}
std::string InvalidRecord() {
    return "[DOWNLOAD]\r\nBAUDRATE=115200\r\nRETRY=7\r\nCPMADR=17\r\n";
}

struct StartUpRow {
    const char* name;
    std::string (*content)(); // nullptr: a folder stands where the file belongs
    bool readOnly;
    // The first start:
    std::vector<std::string> messages;
    const char* address;
    const char* file;
    bool fileUnchanged; // byte for byte; otherwise rewritten
    // The next start, on what the first one left, shows the same address and
    // says the same again (nothing could be written) or nothing.
    bool nextSaysTheSame;
};

class SettingsFileAtStartUp : public ProgramFolder {
public:
    void Check(const StartUpRow& row);
};

// The program runs on whatever the file holds, and the file is not damaged.
void SettingsFileAtStartUp::Check(const StartUpRow& row) {
    PrepareProgramFolder(m_dir, StandInIni(m_dir, true));
    std::string before;
    if (row.content) {
        before = row.content();
        WriteFileBytes(Ini(), before);
    } else {
        ASSERT_TRUE(CreateDirectoryW(Ini().c_str(), nullptr));
    }
    if (row.readOnly) {
        ASSERT_NO_FATAL_FAILURE(MakeSettingsReadOnly());
    }

    std::vector<std::string> messages = row.messages;
    for (std::string& message : messages) {
        if (message == kDefaultNotWritten) {
            message += IniAsNamed();
        }
    }
    const ProgramOutcome first = RunProgram(m_dir, L"", false);
    ASSERT_TRUE(first.mainWindow);
    EXPECT_TRUE(first.exited);
    EXPECT_EQ(first.startMessages, messages);
    EXPECT_EQ(first.address, row.address);
    EXPECT_EQ(first.port, "COM 1");
    EXPECT_EQ(first.file, row.file);
    if (!row.content) {
        EXPECT_TRUE(IsDirectory(Ini()));
    } else if (row.fileUnchanged) {
        EXPECT_TRUE(ReadFileBytes(Ini()) == before) << "the settings file was changed";
    } else {
        EXPECT_FALSE(ReadFileBytes(Ini()) == before) << "the default record was not written";
    }

    const ProgramOutcome next = RunProgram(m_dir, L"", false);
    EXPECT_TRUE(next.exited);
    EXPECT_EQ(next.startMessages, row.nextSaysTheSame ? messages : std::vector<std::string>());
    EXPECT_EQ(next.address, row.address);
}

const char* const kQuotedFile = "C:\\my fw\\main.fdl"; // FILENAME = "C:\my fw\main.fdl"

// clang-format off
const StartUpRow kStartUpRows[] = {
    // name               settings file      read-  first start: messages, address,
    //                                       only   file field; file unchanged; next start the same
    {"Empty",             EmptyFile,         false, {kMessage726}, "1",  "",          false, false},
    {"OnlyNulBytes",      NulBytes,          false, {kMessage726}, "1",  "",          false, false},
    {"BinaryGarbage",     Garbage,           false, {kMessage726}, "1",  "",          false, false},
    {"SixMegabytesFirst", HugeFile,          false, {},            "17", kIniFile,    true,  false},
    {"Utf16WithBom",      Utf16WithBom,      false, {},            "17", kIniFile,    true,  false},
    {"LineFeedsOnly",     LineFeedsOnly,     false, {},            "17", kIniFile,    true,  false},
    {"BlanksAndQuotes",   BlanksAndQuotes,   false, {},            "17", kQuotedFile, true,  false},
    // The first of the keys and of the sections counts, as for Windows.
    {"DuplicateKeys",     DuplicateKeys,     false, {},            "17", kIniFile,    true,  false},
    {"DuplicateSections", DuplicateSections, false, {},            "17", kIniFile,    true,  false},
    {"ReadOnlyValid",     ValidSettings,     true,  {},            "17", kIniFile,    true,  false},
    // Nothing can be written: the defaults are used now, and the file stays
    // as the user left it, so the next start says the same.
    {"ReadOnlyInvalid",   InvalidRecord,     true,  {kDefaultNotWritten}, "1", "",    true,  true},
    {"FolderInItsPlace",  nullptr,           false, {kDefaultNotWritten}, "1", "",    true,  true},
};
// clang-format on

TEST(BadInput, SettingsFileAtStartUp) {
    for (const StartUpRow& row : kStartUpRows) {
        SCOPED_TRACE(row.name);
        SettingsFileAtStartUp().Check(row);
    }
}

// A download started on settings with long or repeated values: the library
// gets what the user set, whole, and the file keeps it for the next start.
struct SettingsDownloadRow {
    const char* name;
    const std::string& (*junkBefore)(); // lines in front of the record, or nullptr
    std::string filename;
    std::string primaryInit;
    std::string redundantInit;
    std::string after; // more lines behind the record
    bool readOnly;
    bool scripted;   // false: the stand-in really opens the file
    const char* box; // expected message box; nullptr: the run ends OK
};

class SettingsFileAtDownload : public ProgramFolder {
public:
    void Check(const SettingsDownloadRow& row);
};

// The library gets the values whole, and the file keeps them.
void SettingsFileAtDownload::Check(const SettingsDownloadRow& row) {
    PrepareProgramFolder(m_dir, StandInIni(m_dir, row.scripted));
    const std::string junk = row.junkBefore ? row.junkBefore() : "";
    const std::string before =
        junk + SettingsText(17, row.filename, row.primaryInit, row.redundantInit) + row.after;
    WriteFileBytes(Ini(), before);
    if (row.readOnly) {
        ASSERT_NO_FATAL_FAILURE(MakeSettingsReadOnly());
    }

    const ProgramOutcome run = RunProgram(m_dir, L"", true, "18");
    ASSERT_TRUE(run.mainWindow);
    EXPECT_TRUE(run.exited);
    EXPECT_TRUE(run.startMessages.empty());
    EXPECT_TRUE(ShowsPath(run.file, row.filename)) << run.file.substr(0, 80);
    if (row.box == kNotKept) { // said, and the run goes on
        ASSERT_EQ(run.downloadBoxes.size(), 1u);
        EXPECT_EQ(run.downloadBoxes[0].text, kNotKept + IniAsNamed() + kNotKeptEnd);
        EXPECT_EQ(run.downloadBoxes[0].caption, "Tavro Download");
        EXPECT_EQ(run.endCaption, "Tavro Download - OK");
    } else if (row.box) {
        ASSERT_EQ(run.downloadBoxes.size(), 1u);
        EXPECT_EQ(run.downloadBoxes[0].text, row.box);
        EXPECT_EQ(run.downloadBoxes[0].caption, "CPM 18 (prim) on COM 1 <main.fdl>");
        EXPECT_EQ(run.endCaption, "Tavro Download");
        EXPECT_TRUE(Calls("StartDownload").empty());
    } else {
        EXPECT_TRUE(run.downloadBoxes.empty());
        EXPECT_EQ(run.endCaption, "Tavro Download - OK");
    }
    const Lines init = Calls("InitDownload");
    ASSERT_EQ(init.size(), 1u);
    ASSERT_GE(init[0].size(), 5u);
    EXPECT_TRUE(init[0][1] == row.filename) << "path of " << init[0][1].size() << " characters";
    EXPECT_TRUE(init[0][2] == row.primaryInit) << "init text of " << init[0][2].size();
    EXPECT_EQ(init[0][4], "18");

    const std::string afterwards = ReadFileBytes(Ini());
    if (row.readOnly) {
        EXPECT_TRUE(afterwards == before) << "a read-only settings file was changed";
        return;
    }
    // Everything else in the file is still there, and the record holds the run.
    EXPECT_EQ(afterwards.compare(0, junk.size(), junk), 0) << "lines in front were lost";
    for (const std::string& line :
         {std::string("CPMADR=18\r\n"), "FILENAME=" + row.filename + "\r\n",
          "PRIMARYINITSTRING=" + row.primaryInit + "\r\n",
          "REDUNDANTINITSTRING=" + row.redundantInit + "\r\n"}) {
        EXPECT_NE(afterwards.find(line), std::string::npos) << line.substr(0, 40) << "...";
    }
    const ProgramOutcome next = RunProgram(m_dir, L"", false);
    EXPECT_TRUE(next.startMessages.empty());
    EXPECT_EQ(next.address, "18");
}

const SettingsDownloadRow kSettingsDownloadRows[] = {
    // The library opens the 5000-character path itself and cannot.
    {"FileNameOf5000Characters", nullptr, LongPath(5000), kPrimaryInit, kRedundantInit, "", false,
     false, kCannotOpen},
    // Longer than the library's 256-character buffer.
    {"InitStringsOf600And1200Characters", nullptr, kIniFile, LongInitText(600), LongInitText(1200),
     "", false, true, nullptr},
    {"DuplicateKeys", nullptr, kIniFile, kPrimaryInit, kRedundantInit,
     "CPMADR=99\r\nFILENAME=C:\\other.fdl\r\n", false, true, nullptr},
    {"DuplicateSections", nullptr, kIniFile, kPrimaryInit, kRedundantInit,
     SettingsText(42, "C:\\other.fdl"), false, true, nullptr},
    {"SixMegabytesBeforeTheRecord", HugeJunk, kIniFile, kPrimaryInit, kRedundantInit, "", false,
     true, nullptr},
    // The user's choice is used although it cannot be kept, and the user is told.
    {"ReadOnly", nullptr, kIniFile, kPrimaryInit, kRedundantInit, "", true, true, kNotKept}};

TEST(BadInput, SettingsFileAtDownload) {
    for (const SettingsDownloadRow& row : kSettingsDownloadRows) {
        SCOPED_TRACE(row.name);
        SettingsFileAtDownload().Check(row);
    }
}

// --- 3. Command lines ---------------------------------------------------------

const wchar_t* const kFirmwareFolder = L"fw dir\\";
const wchar_t* const kFirmwareName = L"cpm main.fdl";
const wchar_t* const kSettingsFirmware = L"from settings.fdl";

// What the library is handed at Download.
enum class Handed {
    Firmware,     // the firmware file of the command line, without quotes and blanks
    SettingsFile, // the file of the settings: the command line names none
    Arguments,    // the command line as it is
    Nothing,      // the library is not called
};

struct CommandLineRow {
    const char* name;
    std::wstring arguments; // <fw> stands for the full path of the firmware file
    Handed handed;
    const char* box; // expected message box at Download; nullptr: the run ends OK
};

std::wstring WithFirmware(std::wstring arguments, const std::wstring& firmware) {
    const size_t at = arguments.find(L"<fw>");
    return at == std::wstring::npos ? arguments : arguments.replace(at, 4, firmware);
}

class CommandLine : public ProgramFolder {
public:
    void Check(const CommandLineRow& row);
};

// The field, the settings file and the library get the path.
void CommandLine::Check(const CommandLineRow& row) {
    PrepareProgramFolder(m_dir, StandInIni(m_dir, false));
    CreateDirectoryW(m_dir.File(kFirmwareFolder).c_str(), nullptr);
    const std::wstring firmware = m_dir.File(std::wstring(kFirmwareFolder) + kFirmwareName);
    const std::wstring settingsFirmware =
        m_dir.File(std::wstring(kFirmwareFolder) + kSettingsFirmware);
    WriteFileBytes(firmware, kFirmware);
    WriteFileBytes(settingsFirmware, kFirmware);
    WriteFileBytes(Ini(), SettingsText(17, platform::Narrow(settingsFirmware)));

    const ProgramOutcome run = RunProgram(m_dir, WithFirmware(row.arguments, firmware), true);
    ASSERT_TRUE(run.mainWindow);
    EXPECT_TRUE(run.exited);
    EXPECT_TRUE(run.startMessages.empty());
    const Lines init = Calls("InitDownload");
    const std::string expectedPath =
        platform::Narrow(row.handed == Handed::Firmware       ? firmware
                         : row.handed == Handed::SettingsFile ? settingsFirmware
                                                              : row.arguments);
    if (row.box) {
        ASSERT_EQ(run.downloadBoxes.size(), 1u);
        EXPECT_EQ(run.downloadBoxes[0].text, row.box);
        EXPECT_EQ(run.endCaption, "Tavro Download");
        EXPECT_TRUE(Calls("StartDownload").empty());
    } else {
        EXPECT_TRUE(run.downloadBoxes.empty());
        EXPECT_EQ(run.endCaption, "Tavro Download - OK");
    }
    if (row.handed == Handed::Nothing) {
        EXPECT_TRUE(init.empty());
        return;
    }
    ASSERT_EQ(init.size(), 1u);
    EXPECT_TRUE(init[0][1] == expectedPath) << init[0][1].substr(0, 80);
    EXPECT_TRUE(ShowsPath(run.file, expectedPath)) << run.file.substr(0, 80);
    // The path reached the settings before the library was called.
    EXPECT_NE(ReadFileBytes(Ini()).find("FILENAME=" + expectedPath + "\r\n"), std::string::npos);
}

const CommandLineRow kCommandLineRows[] = {
    {"QuotedWithBlanks", L"\"<fw>\"", Handed::Firmware, nullptr},
    {"UnquotedWithBlanks", L"<fw>", Handed::Firmware, nullptr},
    {"BlanksAroundTheQuotes", L"   \"<fw>\"   \t ", Handed::Firmware, nullptr},
    {"UnclosedQuote", L"\"<fw>", Handed::Firmware, nullptr},
    // Two files dropped on the program: the first is taken.
    {"TwoQuotedFiles", L"\"<fw>\" \"C:\\other.fdl\"", Handed::Firmware, nullptr},
    {"EmptyQuotes", L"\"\"", Handed::SettingsFile, nullptr},
    {"TenThousandBlanks", std::wstring(10000, L' '), Handed::SettingsFile, nullptr},
    {"TenThousandQuotes", std::wstring(10000, L'"'), Handed::SettingsFile, nullptr},
    // No such file can exist: the library says so.
    {"QuoteInsideThePath", L"C:\\fw\\a\"b.fdl", Handed::Arguments, kCannotOpen},
    {"TenThousandCharacters", platform::Widen(LongPath(10000)), Handed::Arguments, kCannotOpen},
    // Characters the library's code page lacks: refused before it is called.
    {"CharactersOutsideTheCodePage", L"\"C:\\\x56FA\x4EF6\\main.fdl\"", Handed::Nothing,
     kMessage742},
};

TEST(BadInput, CommandLine) {
    for (const CommandLineRow& row : kCommandLineRows) {
        SCOPED_TRACE(row.name);
        CommandLine().Check(row);
    }
}

// --- 5. A library that lacks an entry point or never ends (processes) -----------

struct IncompleteLibraryRow {
    const char* name;
    std::string (*settings)();
};

class IncompleteLibrary : public ProgramFolder {
public:
    void Check(const IncompleteLibraryRow& row);
};

// Message 105 ends the program, and the settings file stays as it was.
void IncompleteLibrary::Check(const IncompleteLibraryRow& row) {
    PrepareProgramFolder(m_dir, StandInIni(m_dir, true));
    CopyFromBin(L"VardelIncomplete.dll", m_dir.Path(), L"Vardel.dll");
    const std::string before = row.settings();
    WriteFileBytes(Ini(), before);
    ProgramRun run(m_dir.Path(), L"\"C:\\fw\\main.fdl\"");
    const HWND box = run.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(box), kMessage105);
    EXPECT_EQ(TextOf(box), "Tavro Download");
    ProgramRun::PressOk(box);
    EXPECT_TRUE(run.WaitForExit(10000));
    EXPECT_EQ(run.WaitForMainWindow(0), nullptr);
    EXPECT_TRUE(ReadFileBytes(Ini()) == before);
}

const IncompleteLibraryRow kIncompleteLibraryRows[] = {
    {"ValidSettings", ValidSettings},
    {"InvalidSettings", [] { return std::string("[DOWNLOAD]\r\nPORT=COM99\r\n"); }}};

TEST(BadInput, LibraryWithoutAnEntryPoint) {
    for (const IncompleteLibraryRow& row : kIncompleteLibraryRows) {
        SCOPED_TRACE(row.name);
        IncompleteLibrary().Check(row);
    }
}

class NeverEndingLibrary : public ProgramFolder {
public:
    void Check();
};

// It ignores the abort too: the user can still cancel, close the status
// window and end the program.
void NeverEndingLibrary::Check() {
    PrepareProgramFolder(m_dir,
                         "[Vardel]\r\nPortMask=0x0001\r\nCallLog=" + m_dir.FileUtf8(L"calls.log") +
                             "\r\n[Script]\r\nReads=0/9 100/3\r\nAfterAbort=none\r\n");
    WriteFileBytes(Ini(), ValidSettings());
    ProgramRun run(m_dir.Path());
    HWND main = nullptr;
    EXPECT_TRUE(run.AnswerMessagesUntilMainWindow(main).empty());
    ASSERT_NE(main, nullptr);
    PostClick(main, IDC_BUTTON_DOWNLOAD);
    const HWND status = WaitForStatusWindow(main);
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Calls("GetDownloadStatus").size() >= 2; }));
    // The close box twice: cancel, which the library ignores, then close.
    PostMessageW(status, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Calls("AbortDownload").size() == 1; }));
    PostMessageW(status, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(main) == "Tavro Download - Error"; }, 15000));
    EXPECT_EQ(ItemTextOf(status, IDC_STATIC_MESSAGE), kNotConfirmed);
    PostMessageW(status, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(status); }));
    EXPECT_TRUE(WaitForCaption(main, "Tavro Download"));
    PostClick(main, IDC_BUTTON_EXIT);
    EXPECT_TRUE(run.WaitForExit(10000));
    EXPECT_EQ(Calls("AbortDownload").size(), 1u);
}

TEST(BadInput, LibraryThatNeverEnds) {
    NeverEndingLibrary().Check();
}

// ---------------------------------------------------------------------------
// The main window in this process, on the stand-in library.

// One row's own world: a folder with the settings file, the stand-in's
// configuration, the message boxes it shows and a fresh main window.
class InProcess {
public:
    InProcess() {
        TheApp().m_strProfileName = m_dir.FileUtf8(L"tavro.ini");
        TheApp().m_strCmdLine.clear();
    }

protected:
    void UseSettings(const std::string& file) {
        WriteFileBytes(m_dir.File(L"tavro.ini"), SettingsText(7, file));
    }
    // sections: what follows [Vardel] in the stand-in's configuration.
    void UseStandIn(const std::string& sections) {
        m_config = std::make_unique<StandInConfig>(
            "[Vardel]\r\nPortMask=0x0001\r\nCallLog=" + m_dir.FileUtf8(L"calls.log") + "\r\n" +
            sections);
    }
    Lines Calls(const std::string& name) const {
        return LibraryCalls(m_dir.File(L"calls.log"), name);
    }
    // Presses Download and waits until the run is over: a message box was
    // answered and the window takes input again, or the caption tells the end.
    void DownloadAndWait(HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        EXPECT_TRUE(WaitUntil([&] {
            return (!m_boxes.Messages().empty() && IsWindowEnabled(main)) ||
                   IsEndCaption(TextOf(main));
        }));
    }

    TempDir m_dir;
    MessageBoxCapture m_boxes;
    std::unique_ptr<StandInConfig> m_config;
    CDownloadDlg m_dlg;
};

// --- 2. Firmware files, chosen in the file dialog -------------------------------

// What happens to the file besides: nothing, opened by another program
// without sharing all along, or deleted once it was chosen.
enum Mishap { NoMishap, LockedAllAlong, DeletedOnceChosen };

struct FirmwareRow {
    const char* name; // the file is <name>.fdl
    std::string (*content)();
    Mishap mishap;
    std::string (*preview)(); // the preview's text; nullptr: binary, see below
    const char* box;          // expected message box; nullptr: the run ends OK
};

const std::string& HundredThousandCharacterLine() {
    static const std::string line = "; " + std::string(100000, 'x');
    return line;
}

const std::string& WithoutLineEnds() {
    static const std::string text = [] {
        std::string t;
        while (t.size() < 100000) {
            t += "; header without line end ";
        }
        return t;
    }();
    return text;
}

// The firmware files of the rows, and what their preview shows.
std::string GoodFile() {
    return kFirmware;
}
std::string GoodHeader() {
    return kFirmwareHeader;
}
// Without Ctrl-Z, which ends a text as read in text mode: the rest of the
// bytes, NULs among them, are what the preview must cope with.
std::string BinaryFile() {
    std::string bytes = BinaryBytes(64 * 1024);
    std::replace(bytes.begin(), bytes.end(), '\x1A', '\x1B');
    return bytes;
}
std::string NoLineEnd() {
    return WithoutLineEnds();
}
std::string NoLineEndShown() {
    return PreviewPieces(WithoutLineEnds(), 50);
}
std::string LongLines() {
    return HundredThousandCharacterLine() + "\r\n" + HundredThousandCharacterLine() + "\r\n" +
           kFirmware;
}
std::string LongLinesShown() {
    return PreviewPieces(HundredThousandCharacterLine(), 50);
}
std::string Nothing() {
    return {};
}
std::string NoInfo() {
    return "-- no info --";
}

class FirmwareFile : public InProcess {
public:
    void Check(const FirmwareRow& row);
};

// The preview and the download say what the file is.
void FirmwareFile::Check(const FirmwareRow& row) {
    CreateDirectoryW(m_dir.File(L"fw").c_str(), nullptr);
    const std::string name = std::string(row.name) + ".fdl";
    const std::wstring path = m_dir.File(L"fw\\" + platform::Widen(name));
    WriteFileBytes(path, row.content());
    WriteFileBytes(m_dir.File(L"fw\\placeholder.fdl"), kFirmware);
    UseSettings(m_dir.FileUtf8(L"fw\\placeholder.fdl"));
    UseStandIn("SpeedFactor=1000\r\n[CPM]\r\nCOM1=7\r\n");
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (row.mishap == LockedAllAlong) {
        lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    }
    std::string previewCaption, previewText, endCaption, message;
    bool statusWindow = false;
    RunModal(m_dlg, [&](HWND main) {
        const HWND fileDialog = OpenFileDialogFrom(main);
        ASSERT_NE(fileDialog, nullptr);
        ASSERT_TRUE(SelectListed(fileDialog, name));
        const HWND preview = FindPreviewOfThread(GetWindowThreadProcessId(main, nullptr));
        ASSERT_NE(preview, nullptr);
        previewCaption = TextOf(preview);
        previewText = ItemTextOf(preview, IDC_EDIT_INFO);
        PressOpen(fileDialog);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(fileDialog); }));
        if (row.mishap == DeletedOnceChosen) {
            ASSERT_TRUE(DeleteFileW(path.c_str()));
        }
        DownloadAndWait(main);
        endCaption = TextOf(main);
        const HWND status =
            FindDialogOfThread(GetWindowThreadProcessId(main, nullptr), "Download Status");
        statusWindow = status != nullptr;
        if (status) {
            message = ItemTextOf(status, IDC_STATIC_MESSAGE);
        }
    });
    if (lock != INVALID_HANDLE_VALUE) {
        CloseHandle(lock);
    }

    EXPECT_EQ(previewCaption, "Info <" + name + ">");
    if (row.preview) {
        EXPECT_TRUE(previewText == row.preview()) << previewText.substr(0, 300);
    } else {
        // A binary file: shown as text, not cut at its first NUL, and still
        // at most 50 lines of at most 255 characters.
        EXPECT_GT(previewText.size(), 1000u);
        size_t lines = 0, start = 0;
        for (size_t end; (end = previewText.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            ++lines;
            EXPECT_LE(platform::Widen(previewText.substr(start, end - start)).size(), 255u);
        }
        EXPECT_LE(lines, 50u);
    }
    const Lines init = Calls("InitDownload");
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0][1], platform::Narrow(path));
    if (row.box) {
        const std::vector<ShownMessage> boxes = m_boxes.Messages();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, row.box);
        EXPECT_EQ(boxes[0].caption, "CPM 7 (prim) on COM 1 <" + name + ">");
        EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_EQ(endCaption, "Tavro Download");
        EXPECT_FALSE(statusWindow);
        EXPECT_TRUE(Calls("StartDownload").empty());
    } else {
        EXPECT_TRUE(m_boxes.Texts().empty());
        EXPECT_EQ(endCaption, "Tavro Download - OK");
        EXPECT_EQ(message, "Download successful!");
    }
}

// clang-format off
const FirmwareRow kFirmwareRows[] = {
    // name                      content     mishap             preview         box
    // The row that shows the others fail for their file, not for the set-up.
    {"Firmware",                 GoodFile,   NoMishap,          GoodHeader,     nullptr},
    {"Binary",                   BinaryFile, NoMishap,          nullptr,        kDataError},
    {"WithoutLineEnds",          NoLineEnd,  NoMishap,          NoLineEndShown, kDataError},
    {"LinesOf100000Characters",  LongLines,  NoMishap,          LongLinesShown, kDataError},
    {"Empty",                    Nothing,    NoMishap,          NoInfo,         kDataError},
    {"Locked",                   GoodFile,   LockedAllAlong,    Nothing,        kCannotOpen},
    {"DeletedBeforeTheDownload", GoodFile,   DeletedOnceChosen, GoodHeader,     kCannotOpen},
};
// clang-format on

TEST(BadInput, FirmwareFile) {
    for (const FirmwareRow& row : kFirmwareRows) {
        SCOPED_TRACE(row.name);
        FirmwareFile().Check(row);
    }
}

// --- 4. Address field ---------------------------------------------------------

struct AddressRow {
    const char* name;
    const char* text;
    std::vector<std::string> messages;
    int libraryAddress; // -1: the library is not called
};

const char* TenThousandDigits() {
    static const std::string digits(10000, '7');
    return digits.c_str();
}

class AddressText : public InProcess {
public:
    void Check(const AddressRow& row);
};

// Download takes the number, or says why not.
void AddressText::Check(const AddressRow& row) {
    UseSettings("C:\\fw\\main.fdl");
    UseStandIn("[Script]\r\nReads=500/7\r\n");
    std::string cpmShown;
    RunModal(m_dlg, [&](HWND main) {
        SetItemTextOf(main, IDC_EDIT_CPMADR, row.text);
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        EXPECT_TRUE(WaitUntil([&] {
            return IsEndCaption(TextOf(main)) ||
                   (m_boxes.Messages().size() == row.messages.size() && IsWindowEnabled(main) &&
                    row.libraryAddress == -1);
        }));
        if (const HWND status =
                FindDialogOfThread(GetWindowThreadProcessId(main, nullptr), "Download Status")) {
            cpmShown = ItemTextOf(status, IDC_STATIC_CPM);
        }
    });
    EXPECT_EQ(m_boxes.Texts(), row.messages);
    const Lines init = Calls("InitDownload");
    if (row.libraryAddress == -1) {
        EXPECT_TRUE(init.empty());
        return;
    }
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0][4], std::to_string(row.libraryAddress));
    // The status window names the CPM that is written, whatever the field says.
    EXPECT_EQ(cpmShown, std::to_string(row.libraryAddress) + ", prim");
}

// The settings hold address 7. A text that is no number shows the integer
// message and nothing starts: neither a part of the text nor the address held
// before (which the field no longer shows) reaches the library.
const AddressRow kAddressRows[] = {
    {"Plus", "+5", {}, 5},
    AddressRow{"TrailingBlank", "5 ", {}, 5},
    {"OneLeadingBlank", " 5", {}, 5},
    AddressRow{"LeadingZeros", "0005", {}, 5},
    {"MinusZero", "-0", {}, 0},
    AddressRow{"Highest", "127", {}, 127},
    {"TwoLeadingBlanks", "  5", {kMessage725}, -1},
    {"TabAndBlank", "\t 5", {kMessage725}, -1},
    {"Negative", "-5", {kMessage725}, -1},
    {"PlusBeyond", "+128", {kMessage725}, -1},
    {"IntMax", "2147483647", {kMessage725}, -1},
    {"IntMaxPlusOne", "2147483648", {kMessage725}, -1},
    // Would be 5 if the number wrapped around at 32 bits.
    {"TwoToThe32Plus5", "4294967301", {kMessage725}, -1},
    {"MinusTwoToThe32Plus5", "-4294967291", {kMessage725}, -1},
    {"TwentyThreeDigits", "99999999999999999999999", {kMessage725}, -1},
    {"TenThousandDigits", TenThousandDigits(), {kMessage725}, -1},
    {"BlankInside", "5 5", {kIntegerMessage}, -1},
    {"Hexadecimal", "0x05", {kIntegerMessage}, -1},
    {"FullwidthDigit", "\xEF\xBC\x95", {kIntegerMessage}, -1},
    {"ArabicIndicDigit", "\xD9\xA5", {kIntegerMessage}, -1},
    {"DigitAndUmlaut", "5\xC3\xA4", {kIntegerMessage}, -1},
    {"NoBreakSpaceFirst", "\xC2\xA0\x35", {kIntegerMessage}, -1},
    {"EmSpacesFirst", "\xE2\x80\x83\xE2\x80\x83\x35", {kIntegerMessage}, -1}};

TEST(BadInput, AddressText) {
    for (const AddressRow& row : kAddressRows) {
        SCOPED_TRACE(row.name);
        AddressText().Check(row);
    }
}

// --- 5. A library that misbehaves (scripted stand-in) ---------------------------

struct LibraryRow {
    const char* name;
    const char* reads;
    // While the run is polled, once the script's last pair has come a few
    // times; nullptr when the script ends the run by itself.
    const char* caption;
    const char* message;
    int progress;
    // The end, after Cancel when the script does not end the run.
    const char* endCaption;
    const char* endMessage;
};

class MisbehavingLibrary : public InProcess {
public:
    void Check(const LibraryRow& row);
};

// Never shown as done unless it is, and always stoppable.
void MisbehavingLibrary::Check(const LibraryRow& row) {
    UseSettings("C:\\fw\\main.fdl");
    UseStandIn(std::string("[Script]\r\nReads=") + row.reads + "\r\nAfterAbort=-701/7\r\n");
    size_t pairs = 1;
    for (const char* c = row.reads; *c; ++c) {
        pairs += *c == ' ';
    }
    std::string caption, message, cancelText, percent, endCaption, endMessage;
    int progress = -1;
    bool repeatEnabled = true;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        ASSERT_NE(status, nullptr);
        ASSERT_TRUE(WaitUntil([&] {
            return Calls("GetDownloadStatus").size() >= pairs + 2 || IsEndCaption(TextOf(main));
        }));
        caption = TextOf(main);
        message = ItemTextOf(status, IDC_STATIC_MESSAGE);
        progress = ProgressOf(status);
        cancelText = ItemTextOf(status, IDCANCEL);
        percent = ItemTextOf(status, IDC_STATIC_PERCENT);
        repeatEnabled = IsWindowEnabled(GetDlgItem(status, IDC_BUTTON_REPEAT)) != FALSE;
        if (!IsEndCaption(caption)) {
            Click(status, IDCANCEL);
        }
        EXPECT_TRUE(WaitUntil([&] { return IsEndCaption(TextOf(main)); }));
        endCaption = TextOf(main);
        endMessage = ItemTextOf(status, IDC_STATIC_MESSAGE);
    });
    if (row.caption) {
        EXPECT_EQ(caption, row.caption);
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(progress, row.progress);
        EXPECT_NE(percent, "100");
        EXPECT_EQ(cancelText, "Cancel Download");
        EXPECT_FALSE(repeatEnabled);
        EXPECT_EQ(Calls("AbortDownload").size(), 1u);
    }
    EXPECT_EQ(endCaption, row.endCaption);
    EXPECT_EQ(endMessage, row.endMessage);
    EXPECT_TRUE(m_boxes.Texts().empty());
}

const char* const kCancelled = "Download cancelled by user!";

const LibraryRow kLibraryRows[] = {
    {"Phase12", "0/9 100/3 200/12", "Tavro Download - 40%", "Erasing CPR Flash...", 200,
     "Tavro Download - Cancel", kCancelled},
    {"PhaseMinus1", "0/9 100/3 200/-1", "Tavro Download - 40%", "Erasing CPR Flash...", 200,
     "Tavro Download - Cancel", kCancelled},
    {"Phase1000000", "0/9 100/3 200/1000000", "Tavro Download - 40%", "Erasing CPR Flash...", 200,
     "Tavro Download - Cancel", kCancelled},
    {"PhaseIntMin", "0/9 100/3 200/-2147483648", "Tavro Download - 40%", "Erasing CPR Flash...",
     200, "Tavro Download - Cancel", kCancelled},
    {"OnlyPhasesOutsideTheTable", "0/12 5/13", "Tavro Download - 1%", "Preparing Download Data ...",
     5, "Tavro Download - Cancel", kCancelled},
    // The phases of an end, reported while the run goes on, are no end.
    {"SuccessPhaseWhileRunning", "0/9 100/3 250/7", "Tavro Download - 50%", "Erasing CPR Flash...",
     250, "Tavro Download - Cancel", kCancelled},
    {"ErrorPhaseWhileRunning", "0/9 100/3 250/11", "Tavro Download - 50%", "Erasing CPR Flash...",
     250, "Tavro Download - Cancel", kCancelled},
    {"CancelledPhaseWhileRunning", "0/9 100/3 250/10", "Tavro Download - 50%",
     "Erasing CPR Flash...", 250, "Tavro Download - Cancel", kCancelled},
    // Only 500 means done: more is not quite done, never 100 %.
    {"Status501", "0/9 100/5 501/5", "Tavro Download - 99%", "Programming CPR Flash...", 499,
     "Tavro Download - Cancel", kCancelled},
    {"Status1000000InTheSuccessPhase", "0/9 100/6 1000000/7", "Tavro Download - 99%",
     "Programming IOP Flash...", 499, "Tavro Download - Cancel", kCancelled},
    {"StatusIntMax", "0/9 100/6 2147483647/6", "Tavro Download - 99%", "Programming IOP Flash...",
     499, "Tavro Download - Cancel", kCancelled},
    {"DoneInAPhaseOutsideTheTable", "0/9 500/99", nullptr, nullptr, 0, "Tavro Download - OK",
     "Download successful!"},
    // Codes outside the library's code table have no text: the prefix
    // alone, never a text of the program that happens to share the number.
    {"CodeMinus3824", "0/9 100/3 -3824/3", nullptr, nullptr, 0, "Tavro Download - Error",
     "Download init error! \r\n"},
    {"CodeMinus65429", "0/9 100/3 -65429/3", nullptr, nullptr, 0, "Tavro Download - Error",
     "Download init error! \r\n"},
    {"CodeMinus64810", "0/9 100/3 -64810/3", nullptr, nullptr, 0, "Tavro Download - Error",
     "Download init error! \r\n"},
    {"CodeIntMin", "0/9 100/3 -2147483648/3", nullptr, nullptr, 0, "Tavro Download - Error",
     "Download init error! \r\n"}};

TEST(BadInput, MisbehavingLibrary) {
    for (const LibraryRow& row : kLibraryRows) {
        SCOPED_TRACE(row.name);
        MisbehavingLibrary().Check(row);
    }
}

struct InitResultRow {
    const char* name;
    int code;
    const char* box;
};

class InitResult : public InProcess {
public:
    void Check(const InitResultRow& row);
};

// Shown in one message box, and nothing starts.
void InitResult::Check(const InitResultRow& row) {
    UseSettings("C:\\fw\\main.fdl");
    UseStandIn("[Script]\r\nReads=500/7\r\nInitResult=" + std::to_string(row.code) + "\r\n");
    std::string caption;
    bool statusWindow = true;
    RunModal(m_dlg, [&](HWND main) {
        DownloadAndWait(main);
        caption = TextOf(main);
        statusWindow = FindDialogOfThread(GetWindowThreadProcessId(main, nullptr),
                                          "Download Status") != nullptr;
    });
    EXPECT_EQ(m_boxes.Texts(), std::vector<std::string>{row.box});
    EXPECT_EQ(caption, "Tavro Download");
    EXPECT_FALSE(statusWindow);
    EXPECT_TRUE(Calls("StartDownload").empty());
}

const InitResultRow kInitResultRows[] = {{"Minus701", -701, "Download init error! \n"},
                                         {"Minus3824", -3824, "Download init error! \n"},
                                         {"Minus65429", -65429, "Download init error! \n"},
                                         {"IntMin", INT_MIN, "Download init error! \n"}};

TEST(BadInput, InitDownloadCodeWithoutAnEntryText) {
    for (const InitResultRow& row : kInitResultRows) {
        SCOPED_TRACE(row.name);
        InitResult().Check(row);
    }
}

} // namespace
