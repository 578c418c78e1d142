// The program as a process: start-up, library binding and the settings file.
#include "dialog_driver.h"
#include "platform/library.h"
#include "program_runner.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

const char* const kDefaultIni = "[DOWNLOAD]\r\n"
                                "CPMADR=1\r\n"
                                "PRIMARYINITSTRING=0xFD Adr 0x08 0x00 0x01 0xFF LRC\r\n"
                                "REDUNDANTINITSTRING=0xFD Adr 0x09 0x00 0x01 0xFF LRC\r\n"
                                "PORT=COM1\r\n"
                                "BAUDRATE=9600\r\n"
                                "PARITY=ODD\r\n"
                                "DATABITS=8\r\n"
                                "STOPBITS=1\r\n"
                                "RETRY=4\r\n"
                                "FILENAME=\r\n"
                                "TARGET=PRIMARY\r\n";
const char* const kMessage726 =
    "INI file not found or unvalid entries found in INI-file!\nDefault ini record was created.";
const char* const kMessage105 = "\"Vardel.dll\" or \"Ostrel.dll\"\n Wrong version or not present!";
const char* const kPortMask1 = "[Vardel]\r\nPortMask=0x0001\r\n";

class ProgramStartup : public testing::Test {
protected:
    void SetUp() override { SetEnvironmentVariableW(L"VARDEL_CONFIG", nullptr); }
    std::wstring Ini() const { return m_dir.File(L"tavrodownload.ini"); }
    // Runs the program up to its main window, answering its message boxes,
    // then closes it with Exit.
    std::vector<std::string> StartAndExit(const std::wstring& arguments = L"") {
        ProgramRun run(m_dir.Path(), arguments);
        EXPECT_TRUE(run.Started());
        HWND main = nullptr;
        std::vector<std::string> texts = run.AnswerMessagesUntilMainWindow(main);
        EXPECT_NE(main, nullptr);
        if (main != nullptr) {
            m_fileField = ItemTextOf(main, 1000);
            PostClick(main, 1008);
        }
        EXPECT_TRUE(run.WaitForExit());
        return texts;
    }
    TempDir m_dir;
    std::string m_fileField;
};

TEST_F(ProgramStartup, FirstStartShowsTheDefaultMessageOnceAndWritesTheDefaultFile) {
    PrepareProgramFolder(m_dir, kPortMask1);
    EXPECT_EQ(StartAndExit(), std::vector<std::string>{kMessage726});
    EXPECT_EQ(ReadFileBytes(Ini()), kDefaultIni);
}

TEST_F(ProgramStartup, ValidFileIsReadSilentlyAndNotRewritten) {
    PrepareProgramFolder(m_dir, "[Vardel]\r\nPortMask=0x0004\r\n");
    const std::string valid = "; kept as it is\r\n[DOWNLOAD]\r\nTARGET=REDUNDANT\r\nCPMADR=17\r\n"
                              "PRIMARYINITSTRING=a\r\nREDUNDANTINITSTRING=b\r\nPORT=COM3\r\n"
                              "BAUDRATE=19200\r\nPARITY=NONE\r\nDATABITS=7\r\nSTOPBITS=2\r\n"
                              "FILENAME=C:\\fw\\x.fdl\r\n";
    WriteFileBytes(Ini(), valid);
    EXPECT_TRUE(StartAndExit().empty());
    EXPECT_EQ(ReadFileBytes(Ini()), valid);
}

TEST_F(ProgramStartup, HandEditedDownloadModeAndRetrySurviveTheDefaultRecord) {
    PrepareProgramFolder(m_dir, kPortMask1);
    WriteFileBytes(Ini(), "[DOWNLOAD]\r\nDOWNLOADMODE=0\r\nRETRY=7\r\nBAUDRATE=115200\r\n");
    EXPECT_EQ(StartAndExit(), std::vector<std::string>{kMessage726});
    const std::string ini = ReadFileBytes(Ini());
    EXPECT_NE(ini.find("DOWNLOADMODE=0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("RETRY=7\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("BAUDRATE=9600\r\n"), std::string::npos) << ini;
}

TEST_F(ProgramStartup, QuotedCommandLinePathSurvivesTheDefaultRecord) {
    PrepareProgramFolder(m_dir, kPortMask1);
    EXPECT_EQ(StartAndExit(L"\"C:\\my fw\\main.fdl\"  "), std::vector<std::string>{kMessage726});
    EXPECT_NE(ReadFileBytes(Ini()).find("FILENAME=C:\\my fw\\main.fdl\r\n"), std::string::npos);
    EXPECT_EQ(m_fileField, "C:\\my fw\\main.fdl");
}

struct UnusableLibrary {
    const char* name;
    bool withVardel;
    bool withOstrel;
    const char* standInIni;
    bool incompleteVardel;
    std::vector<const wchar_t*> onPath = {}; // DLLs in a folder on the program's PATH
};

// A folder put in front of PATH for the processes started meanwhile.
class FolderOnPath {
public:
    explicit FolderOnPath(const std::wstring& folder) {
        wchar_t old[32768] = {};
        GetEnvironmentVariableW(L"PATH", old, 32768);
        m_old = old;
        SetEnvironmentVariableW(L"PATH", (folder + L";" + m_old).c_str());
    }
    ~FolderOnPath() { SetEnvironmentVariableW(L"PATH", m_old.c_str()); }

private:
    std::wstring m_old;
};

void PrintTo(const UnusableLibrary& c, std::ostream* os) {
    *os << c.name;
}

class UnusableLibraryStartup : public testing::TestWithParam<UnusableLibrary> {};

TEST_P(UnusableLibraryStartup, ShowsTheLibraryMessageAndEnds) {
    SetEnvironmentVariableW(L"VARDEL_CONFIG", nullptr);
    const UnusableLibrary& c = GetParam();
    TempDir dir;
    PrepareProgramFolder(dir, c.standInIni, c.withVardel, c.withOstrel);
    if (c.incompleteVardel) {
        CopyFromBin(L"VardelIncomplete.dll", dir.Path(), L"Vardel.dll");
    }
    TempDir pathFolder;
    for (const wchar_t* dll : c.onPath) {
        CopyFromBin(dll, pathFolder.Path());
    }
    FolderOnPath onPath(pathFolder.Path());
    ProgramRun run(dir.Path());
    ASSERT_TRUE(run.Started());
    const HWND box = run.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(box), kMessage105);
    EXPECT_EQ(TextOf(box), "Tavro Download");
    // A serial adapter plugged in while the message is read: nothing may ask
    // the library that is not there for its ports.
    PostMessageW(GetWindow(box, GW_OWNER), WM_DEVICECHANGE, 0x0007 /* DBT_DEVNODES_CHANGED */, 0);
    Sleep(600); // longer than the port list's refill delay
    ProgramRun::PressOk(box);
    EXPECT_TRUE(run.WaitForExit());
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(run.WaitForMainWindow(0), nullptr);
    // Nothing after the binding ran: the settings were neither read nor written.
    EXPECT_FALSE(FileExists(dir.File(L"tavrodownload.ini")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableLibraryStartup,
    testing::Values(
        UnusableLibrary{"VardelMissing", false, true, kPortMask1, false},
        UnusableLibrary{"OstrelMissing", true, false, kPortMask1, false},
        UnusableLibrary{"Mask8000", true, true, "[Vardel]\r\nPortMask=0x8000\r\n", false},
        UnusableLibrary{"Mask8000HighBitsIgnored", true, true,
                        "[Vardel]\r\nPortMask=0x7FFF8000\r\n", false},
        UnusableLibrary{"EntryPointMissing", false, true, kPortMask1, true},
        UnusableLibrary{
            "VardelOnlyOnPath", false, true, kPortMask1, false, {L"Vardel.dll", L"Ostrel.dll"}},
        UnusableLibrary{"OstrelOnlyOnPath", true, false, kPortMask1, false, {L"Ostrel.dll"}}),
    [](const testing::TestParamInfo<UnusableLibrary>& info) { return info.param.name; });

TEST(ProgramLibrarySearch, DllInTheWorkingFolderIsNotLoaded) {
    SetEnvironmentVariableW(L"VARDEL_CONFIG", nullptr);
    TempDir program, documents;
    PrepareProgramFolder(program, kPortMask1, false, true);
    PrepareProgramFolder(documents, kPortMask1, true, true);
    ProgramRun run(program.Path(), L"", documents.Path());
    const HWND box = run.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(box), kMessage105);
    ProgramRun::PressOk(box);
    EXPECT_TRUE(run.WaitForExit());
}

// Both ways of keeping to the trusted folders, whichever this system takes:
// a DLL that only a folder on PATH holds is not loaded, nor a DLL whose
// import only such a folder holds.
TEST(ProgramLibrarySearch, FolderOnPathIsNotSearchedEitherWay) {
    TempDir pathFolder;
    CopyFromBin(L"VardelIncomplete.dll", pathFolder.Path(), L"Planted.dll");
    FolderOnPath onPath(pathFolder.Path());
    const HMODULE planted = LoadLibraryW(L"Planted.dll");
    ASSERT_NE(planted, nullptr) << "PATH is searched by a plain LoadLibrary";
    FreeLibrary(planted);
    for (platform::DllSearch search :
         {platform::DllSearch::SearchFlags, platform::DllSearch::FullPaths}) {
        const int how = static_cast<int>(search);
        EXPECT_EQ(platform::LoadLibrarySafely(L"Planted.dll", {}, search), nullptr) << how;
        // A system DLL only from the system folder.
        EXPECT_EQ(platform::LoadSystemLibrary(L"Planted.dll", search), nullptr) << how;
        EXPECT_NE(platform::LoadSystemLibrary(L"version.dll", search), nullptr) << how;
        const HMODULE beside = platform::LoadLibrarySafely(L"VardelIncomplete.dll", {}, search);
        ASSERT_NE(beside, nullptr) << how;
        FreeLibrary(beside);
    }
    // With search flags the loader keeps the imports to the same folders
    // (OstrelOnlyOnPath above); by full paths they are loaded first.
    EXPECT_EQ(platform::LoadLibrarySafely(L"VardelIncomplete.dll", {L"Planted.dll"},
                                          platform::DllSearch::FullPaths),
              nullptr);
}

TEST(ProgramLibrarySearch, HighMaskBitsAreIgnored) {
    SetEnvironmentVariableW(L"VARDEL_CONFIG", nullptr);
    TempDir dir;
    PrepareProgramFolder(dir, "[Vardel]\r\nPortMask=0x12340001\r\n");
    ProgramRun run(dir.Path());
    HWND main = nullptr;
    EXPECT_EQ(run.AnswerMessagesUntilMainWindow(main), std::vector<std::string>{kMessage726});
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ComboItems(main, 1357), std::vector<std::string>{"COM 1"});
}

} // namespace
