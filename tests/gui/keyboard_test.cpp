// What keys do, pressed as the keyboard delivers them: WM_KEYDOWN/WM_KEYUP
// posted to the control with the focus and let through the program's own
// message loops, never a WM_COMMAND of the test's.
#include "app/download_app.h"
#include "dialog_driver.h"
#include "mainwnd/download_dlg.h"
#include "res/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace testsupport;

const char* const kTypedFile = "C:\\typed\\other.fdl";

// Where the keys are pressed.
enum class Scene { MainWindow, Polling, Succeeded, Cancelled, Failed, AboutBox };

// What the keys must have done.
enum class Effect {
    DownloadRuns,  // the library was asked to start, with the stored file
    TypedFileRuns, // ... with the file typed into the field, everywhere
    RunAborted,    // AbortDownload
    FocusOnCancel, // Tab had nowhere else to go: Repeat is off while polling
    FocusOnRepeat, // Tab or an arrow moved on
    RepeatRuns,    // a second InitDownload
    StatusCloses,  // Escape as Exit
    AboutCloses,
};

struct KeyRow {
    const char* name;
    Scene scene;
    int focus; // control of the scene's window that has the focus first
    std::vector<UINT> keys;
    Effect effect;
};

void PrintTo(const KeyRow& row, std::ostream* os) {
    *os << row.name;
}

// One key, down and up, to whatever has the thread's focus (the window
// itself when nothing has).
void PressKey(DWORD thread, HWND fallback, UINT vk) {
    const HWND focus = FocusOf(thread);
    const HWND to = focus ? focus : fallback;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(to, WM_KEYDOWN, vk, 1 | scan);
    PostMessageW(to, WM_KEYUP, vk, 1 | scan | (LPARAM{1} << 30) | (LPARAM{1} << 31));
    Sleep(200); // handled before the next key goes to the new focus
}

BOOL CALLBACK FindOkDialog(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || !GetDlgItem(window, IDOK)) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

class Keyboard : public testing::TestWithParam<KeyRow> {
protected:
    void SetUp() override {
        TheApp().m_strProfileName = m_dir.FileUtf8(L"tavro.ini");
        TheApp().m_strCmdLine.clear();
        WriteFileBytes(m_dir.File(L"tavro.ini"),
                       "[DOWNLOAD]\r\nCPMADR=5\r\nPRIMARYINITSTRING=a\r\nREDUNDANTINITSTRING=b\r\n"
                       "PORT=COM1\r\nBAUDRATE=9600\r\nPARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\n"
                       "RETRY=4\r\nFILENAME=C:\\fw\\main.fdl\r\nTARGET=PRIMARY\r\n");
        const char* reads = "0/9 100/3"; // polls until aborted
        switch (GetParam().scene) {
        case Scene::Succeeded:
            reads = "0/9 250/5 500/7";
            break;
        case Scene::Failed:
            reads = "0/9 100/3 -305/3";
            break;
        default:
            break;
        }
        m_config = std::make_unique<StandInConfig>(
            "[Vardel]\r\nPortMask=0x0001\r\nCallLog=" + m_dir.FileUtf8(L"calls.log") +
            "\r\n[Script]\r\nReads=" + reads + "\r\nAfterAbort=-701/7\r\n");
    }
    size_t Calls(const std::string& name) const {
        return LibraryCalls(m_dir.File(L"calls.log"), name).size();
    }
    // Brings the row's scene about; the window the keys go to.
    HWND Enter(HWND main, Scene scene) {
        if (scene == Scene::MainWindow) {
            return main;
        }
        if (scene == Scene::AboutBox) {
            PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            HWND about = nullptr;
            WaitUntil([&] {
                // The one window of the thread with an OK button.
                EnumThreadWindows(Thread(main), FindOkDialog, reinterpret_cast<LPARAM>(&about));
                return about != nullptr;
            });
            return about;
        }
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        WaitUntil([&] { return Calls("GetDownloadStatus") >= 2; });
        if (scene == Scene::Cancelled) {
            Click(status, IDCANCEL);
        }
        if (scene != Scene::Polling) {
            WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
        }
        return status;
    }
    static DWORD Thread(HWND window) { return GetWindowThreadProcessId(window, nullptr); }

    TempDir m_dir;
    MessageBoxCapture m_boxes;
    std::unique_ptr<StandInConfig> m_config;
    CDownloadDlg m_dlg;
};

TEST_P(Keyboard, KeyDoesWhatItsButtonDoes) {
    const KeyRow& row = GetParam();
    HWND target = nullptr;
    bool effect = false;
    std::string statusFile;
    RunModal(m_dlg, [&](HWND main) {
        target = Enter(main, row.scene);
        ASSERT_NE(target, nullptr);
        Focus(target, row.focus);
        if (row.effect == Effect::TypedFileRuns) {
            SetItemTextOf(main, IDC_EDIT_FILE, kTypedFile); // as typed
        }
        for (UINT key : row.keys) {
            PressKey(Thread(main), target, key);
        }
        const HWND status = row.scene == Scene::MainWindow ? nullptr : target;
        switch (row.effect) {
        case Effect::DownloadRuns:
        case Effect::TypedFileRuns:
            effect = WaitUntil([&] { return Calls("InitDownload") == 1; });
            if (const HWND shown = WaitForStatusWindow(main)) {
                statusFile = ItemTextOf(shown, IDC_STATIC_FILE);
                Click(shown, IDCANCEL);
            }
            break;
        case Effect::RunAborted:
            effect = WaitForCaption(main, "Tavro Download - Cancel") && Calls("AbortDownload") == 1;
            break;
        case Effect::FocusOnCancel:
        case Effect::FocusOnRepeat:
            effect = FocusOf(Thread(main)) ==
                     GetDlgItem(status,
                                row.effect == Effect::FocusOnCancel ? IDCANCEL : IDC_BUTTON_REPEAT);
            Click(status, IDCANCEL);
            break;
        case Effect::RepeatRuns:
            effect = WaitUntil([&] { return Calls("InitDownload") == 2; });
            break;
        case Effect::StatusCloses:
        case Effect::AboutCloses:
            effect = WaitUntil([&] { return !IsWindow(target); });
            break;
        }
    });
    EXPECT_TRUE(effect);
    if (row.effect == Effect::DownloadRuns) {
        EXPECT_EQ(statusFile, "main.fdl");
    }
    if (row.effect == Effect::TypedFileRuns) {
        // The library, the status window and the settings file name one file.
        const auto init = LibraryCalls(m_dir.File(L"calls.log"), "InitDownload");
        ASSERT_EQ(init.size(), 1u);
        EXPECT_EQ(init[0][1], kTypedFile);
        EXPECT_EQ(statusFile, "other.fdl");
        EXPECT_NE(ReadFileBytes(m_dir.File(L"tavro.ini")).find("FILENAME=C:\\typed\\other.fdl"),
                  std::string::npos);
    }
    EXPECT_TRUE(m_boxes.Texts().empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Presses, Keyboard, testing::Values(
    KeyRow{"EnterInThePortList",     Scene::MainWindow, IDC_COMBO_PORT,  {VK_RETURN}, Effect::DownloadRuns},
    KeyRow{"EnterInTheAddress",      Scene::MainWindow, IDC_EDIT_CPMADR, {VK_RETURN}, Effect::DownloadRuns},
    KeyRow{"EnterOnTheTarget",       Scene::MainWindow, IDC_RADIO_PRIM,  {VK_RETURN}, Effect::DownloadRuns},
    KeyRow{"EnterInTheFileField",    Scene::MainWindow, IDC_EDIT_FILE,   {VK_RETURN}, Effect::TypedFileRuns},
    KeyRow{"EscapeWhilePolling",     Scene::Polling,    IDCANCEL,        {VK_ESCAPE}, Effect::RunAborted},
    KeyRow{"SpaceWhilePolling",      Scene::Polling,    IDCANCEL,        {VK_SPACE},  Effect::RunAborted},
    KeyRow{"TabWhilePolling",        Scene::Polling,    IDCANCEL,        {VK_TAB},    Effect::FocusOnCancel},
    KeyRow{"EscapeAfterSuccess",     Scene::Succeeded,  IDCANCEL,        {VK_ESCAPE}, Effect::StatusCloses},
    KeyRow{"EscapeAfterCancel",      Scene::Cancelled,  IDCANCEL,        {VK_ESCAPE}, Effect::StatusCloses},
    KeyRow{"EscapeAfterError",       Scene::Failed,     IDCANCEL,        {VK_ESCAPE}, Effect::StatusCloses},
    KeyRow{"SpaceOnExitAfterError",  Scene::Failed,     IDCANCEL,        {VK_SPACE},  Effect::StatusCloses},
    KeyRow{"TabAfterTheEnd",         Scene::Succeeded,  IDCANCEL,        {VK_TAB},    Effect::FocusOnRepeat},
    KeyRow{"ArrowAfterTheEnd",       Scene::Cancelled,  IDCANCEL,        {VK_RIGHT},  Effect::FocusOnRepeat},
    KeyRow{"TabThenSpaceRepeats",    Scene::Succeeded,  IDCANCEL,        {VK_TAB, VK_SPACE}, Effect::RepeatRuns},
    KeyRow{"EscapeInTheAboutBox",    Scene::AboutBox,   IDOK,            {VK_ESCAPE}, Effect::AboutCloses}),
    [](const testing::TestParamInfo<KeyRow>& info) { return info.param.name; });
// clang-format on

} // namespace
