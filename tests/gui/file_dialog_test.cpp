// The firmware file dialog and its header preview, opened from the main
// window's "..." button and driven through window messages.
#include "app/download_app.h"
#include "dialog_driver.h"
#include "file_dialog_driver.h"
#include "mainwnd/download_dlg.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "program_runner.h"
#include "res/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <functional>
#include <iterator>
#include <memory>

namespace {

using namespace testsupport;

const char* const kCurrentHeader =
    "; Tavro CPM firmware\r\n; CPM-20 main module\r\n; Version 4.1\r\n:020000040000FA\r\n";
const char* const kCurrentShown =
    "; Tavro CPM firmware\r\n; CPM-20 main module\r\n; Version 4.1\r\n";
const char* const kMessage725 = "For the CPM address only values between 0 and 127 are valid!";

std::string Ini(const std::string& file) {
    return "[DOWNLOAD]\r\nCPMADR=5\r\nPRIMARYINITSTRING=p\r\nREDUNDANTINITSTRING=r\r\nPORT=COM1\r\n"
           "BAUDRATE=9600\r\nPARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\nFILENAME=" +
           file + "\r\nTARGET=REDUNDANT\r\n";
}

RECT WindowRect(HWND hwnd) {
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return rect;
}

// Whether a window draws its text in a font whose characters are all as wide.
bool DrawsFixedPitch(HWND window) {
    const HDC dc = GetDC(window);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE narrow = {}, wide = {};
    GetTextExtentPoint32W(dc, L"iiiiiiiiii", 10, &narrow);
    GetTextExtentPoint32W(dc, L"WWWWWWWWWW", 10, &wide);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return narrow.cx == wide.cx && narrow.cx > 0;
}

class FirmwareFileDialog : public testing::Test {
protected:
    void SetUp() override {
        TheApp().m_strProfileName = m_dir.FileUtf8(L"tavro.ini");
        TheApp().m_strCmdLine.clear();
        m_config = std::make_unique<StandInConfig>("[Vardel]\r\nPortMask=0x0001\r\n");
        // Deep enough that the file field has to shorten the path.
        for (const wchar_t* folder :
             {L"firmware", L"firmware\\plant-north", L"firmware\\plant-north\\line-4"}) {
            CreateDirectoryW(m_dir.File(folder).c_str(), nullptr);
        }
        WriteFileBytes(File(L"current.fdl"), kCurrentHeader);
        WriteFileBytes(m_dir.File(L"tavro.ini"), Ini(FileUtf8(L"current.fdl")));
    }

    std::wstring File(const std::wstring& name) const {
        return m_dir.File(L"firmware\\plant-north\\line-4\\" + name);
    }
    std::string FileUtf8(const std::wstring& name) const { return platform::Narrow(File(name)); }
    std::string FolderUtf8() const { return FileUtf8(L"").substr(0, FileUtf8(L"").size() - 1); }

    // Runs the main window, opens the file dialog from it and hands both to
    // the script. Returns when the browse is over: the file dialog has ended
    // and the main window handles messages again.
    void Browse(const std::function<void(HWND main, HWND fileDialog)>& script) {
        RunModal(m_dlg, [&](HWND main) {
            m_fieldBefore = ItemTextOf(main, IDC_EDIT_FILE);
            const HWND fileDialog = OpenFileDialogFrom(main);
            ASSERT_NE(fileDialog, nullptr);
            m_thread = GetWindowThreadProcessId(main, nullptr);
            script(main, fileDialog);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(fileDialog); }));
            SendMessageW(main, WM_NULL, 0, 0);
            m_fieldAfter = ItemTextOf(main, IDC_EDIT_FILE);
            m_previewAfter = FindPreviewOfThread(m_thread);
        });
    }
    HWND Preview() const { return FindPreviewOfThread(m_thread); }

    TempDir m_dir;
    std::unique_ptr<StandInConfig> m_config;
    MessageBoxCapture m_boxes;
    CDownloadDlg m_dlg;
    DWORD m_thread = 0;
    std::string m_fieldBefore, m_fieldAfter;
    HWND m_previewAfter = nullptr;
};

TEST_F(FirmwareFileDialog, IsAnOpenDialogForFirmwareFilesInTheCurrentFilesFolder) {
    std::string folder, types;
    LRESULT typeCount = 0;
    bool readOnlyShown = true;
    LONG listStyle = 0;
    Browse([&](HWND, HWND fileDialog) {
        folder = FolderOf(fileDialog);
        types = ItemTextOf(fileDialog, cmb1);
        typeCount = SendMessageW(GetDlgItem(fileDialog, cmb1), CB_GETCOUNT, 0, 0);
        readOnlyShown = IsWindowVisible(GetDlgItem(fileDialog, chx1)) != FALSE;
        listStyle = GetWindowLongW(
            FindWindowExW(FindWindowExW(fileDialog, nullptr, L"SHELLDLL_DefView", nullptr), nullptr,
                          L"SysListView32", nullptr),
            GWL_STYLE);
        PressCancel(fileDialog);
    });
    EXPECT_EQ(folder, FolderUtf8());
    EXPECT_EQ(types, "Tavro Firmware files (*.fdl)");
    EXPECT_EQ(typeCount, 1);
    EXPECT_FALSE(readOnlyShown);
    EXPECT_NE(listStyle & LVS_SINGLESEL, 0);
}

TEST_F(FirmwareFileDialog, TypedFileBecomesThePathAndTheFieldShowsItShortened) {
    Browse([&](HWND main, HWND fileDialog) {
        SetItemTextOf(main, IDC_EDIT_CPMADR, "17");
        // A file that does not exist yet is taken as well.
        SetFileNameBox(fileDialog, "new firmware.fdl");
        PressOpen(fileDialog);
    });
    const std::string path = FileUtf8(L"new firmware.fdl");
    EXPECT_EQ(m_dlg.Settings().m_strFilePath, path);
    EXPECT_EQ(m_fieldAfter, m_dlg.FileDisplay());
    EXPECT_NE(m_fieldAfter, path);
    EXPECT_EQ(m_fieldAfter.compare(0, 6, "C:\\..."), 0) << m_fieldAfter;
    EXPECT_EQ(m_fieldAfter.substr(m_fieldAfter.size() - 17), "\\new firmware.fdl");
    // The fields were saved first: what the user had typed is kept.
    EXPECT_EQ(m_dlg.Settings().m_nCpmAddress, 17);
    EXPECT_EQ(m_dlg.Settings().m_nTarget, 1);
    EXPECT_TRUE(m_boxes.Texts().empty());
}

class CancelledBrowse : public FirmwareFileDialog, public testing::WithParamInterface<bool> {};

TEST_P(CancelledBrowse, ChangesNothing) {
    const bool selectFirst = GetParam();
    HWND preview = nullptr;
    Browse([&](HWND, HWND fileDialog) {
        if (selectFirst) {
            ASSERT_TRUE(SelectListed(fileDialog, "current.fdl"));
            preview = Preview();
            EXPECT_NE(preview, nullptr);
        }
        SetFileNameBox(fileDialog, "other.fdl");
        PressCancel(fileDialog);
    });
    EXPECT_EQ(m_dlg.Settings().m_strFilePath, FileUtf8(L"current.fdl"));
    EXPECT_EQ(m_fieldAfter, m_fieldBefore);
    EXPECT_EQ(m_previewAfter, nullptr);
    EXPECT_FALSE(IsWindow(preview));
    EXPECT_TRUE(m_boxes.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(Selection, CancelledBrowse, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "AfterASelection" : "WithoutSelection";
                         });

TEST_F(FirmwareFileDialog, PreviewShowsTheHeaderOfTheSelectedFileAtTheTopLeft) {
    HWND preview = nullptr, owner = nullptr, fileDialog = nullptr, mainWindow = nullptr;
    RECT rect = {}, client = {}, edit = {};
    std::string caption, text;
    LONG style = 0;
    HWND focusRoot = nullptr, activeWindow = nullptr;
    bool fixedPitch = false;
    Browse([&](HWND main, HWND dialog) {
        mainWindow = main;
        fileDialog = dialog;
        EXPECT_EQ(Preview(), nullptr);
        ASSERT_TRUE(SelectListed(dialog, "current.fdl"));
        preview = Preview();
        ASSERT_NE(preview, nullptr);
        rect = WindowRect(preview);
        GetClientRect(preview, &client);
        edit = WindowRect(GetDlgItem(preview, IDC_EDIT_INFO));
        caption = TextOf(preview);
        text = ItemTextOf(preview, IDC_EDIT_INFO);
        style = GetWindowLongW(preview, GWL_STYLE);
        fixedPitch = DrawsFixedPitch(GetDlgItem(preview, IDC_EDIT_INFO));
        owner = GetWindow(preview, GW_OWNER);
        GUITHREADINFO focus = {};
        focus.cbSize = sizeof focus;
        GetGUIThreadInfo(m_thread, &focus);
        focusRoot = GetAncestor(focus.hwndFocus, GA_ROOT);
        activeWindow = focus.hwndActive;
        PressCancel(dialog);
    });
    EXPECT_EQ(caption, "Info <current.fdl>");
    EXPECT_EQ(text, kCurrentShown);
    // Header columns line up.
    EXPECT_TRUE(fixedPitch);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXFULLSCREEN) / 4);
    EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYFULLSCREEN) / 2);
    EXPECT_EQ(edit.right - edit.left, client.right);
    EXPECT_EQ(edit.bottom - edit.top, client.bottom);
    EXPECT_NE(style & WS_THICKFRAME, 0);
    EXPECT_EQ(style & WS_SYSMENU, 0);
    EXPECT_EQ(owner, mainWindow);
    // The user goes on choosing with the keyboard in the file dialog.
    EXPECT_EQ(activeWindow, fileDialog);
    EXPECT_EQ(focusRoot, fileDialog);
}

TEST_F(FirmwareFileDialog, PreviewFollowsEverySelectionInOneWindow) {
    WriteFileBytes(File(L"record.fdl"), ":020000040000FA\r\n; not header\r\n");
    WriteFileBytes(File(L"UPPER.FDL"), "; upper case name\nis a firmware file too\n:00\n");
    WriteFileBytes(File(L"empty.fdl"), "");
    struct Step {
        const char* file;
        const char* text;
    };
    const Step steps[] = {{"record.fdl", "-- no info --"},
                          {"current.fdl", kCurrentShown},
                          {"UPPER.FDL", "; upper case name\r\nis a firmware file too\r\n"},
                          {"empty.fdl", "-- no info --"}};
    std::vector<std::string> captions, texts;
    std::vector<HWND> previews;
    Browse([&](HWND, HWND fileDialog) {
        for (const Step& step : steps) {
            ASSERT_TRUE(SelectListed(fileDialog, step.file)) << step.file;
            previews.push_back(Preview());
            captions.push_back(TextOf(previews.back()));
            texts.push_back(ItemTextOf(previews.back(), IDC_EDIT_INFO));
        }
        PressCancel(fileDialog);
    });
    ASSERT_EQ(previews.size(), std::size(steps));
    for (size_t i = 0; i < previews.size(); ++i) {
        EXPECT_EQ(previews[i], previews[0]) << steps[i].file;
        EXPECT_EQ(captions[i], std::string("Info <") + steps[i].file + ">");
        EXPECT_EQ(texts[i], steps[i].text) << steps[i].file;
    }
}

TEST_F(FirmwareFileDialog, PreviewKeepsItsTextWhenAFileCannotBeOpened) {
    WriteFileBytes(File(L"locked.fdl"), "; locked\r\n");
    const HANDLE lock = CreateFileW(File(L"locked.fdl").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::string caption, text;
    Browse([&](HWND, HWND fileDialog) {
        ASSERT_TRUE(SelectListed(fileDialog, "current.fdl"));
        ASSERT_TRUE(SelectListed(fileDialog, "locked.fdl"));
        caption = TextOf(Preview());
        text = ItemTextOf(Preview(), IDC_EDIT_INFO);
        PressCancel(fileDialog);
    });
    CloseHandle(lock);
    EXPECT_EQ(caption, "Info <locked.fdl>");
    EXPECT_EQ(text, kCurrentShown);
}

TEST_F(FirmwareFileDialog, TextFileInAFolderNamedLikeFirmwareIsNoDownloadFile) {
    CreateDirectoryW(File(L"old.fdl").c_str(), nullptr);
    WriteFileBytes(File(L"old.fdl\\notes.txt"), "; notes\r\n");
    WriteFileBytes(m_dir.File(L"tavro.ini"), Ini(FileUtf8(L"old.fdl\\notes.txt")));
    std::string folder, caption, text;
    Browse([&](HWND, HWND fileDialog) {
        folder = FolderOf(fileDialog);
        // A pattern typed as the name lists what it matches.
        SetFileNameBox(fileDialog, "*.txt");
        PressOpen(fileDialog);
        ASSERT_TRUE(WaitUntil([&] { return SelectListed(fileDialog, "notes.txt"); }));
        caption = TextOf(Preview());
        text = ItemTextOf(Preview(), IDC_EDIT_INFO);
        PressCancel(fileDialog);
    });
    EXPECT_EQ(folder, FileUtf8(L"old.fdl"));
    EXPECT_EQ(caption, "Info <notes.txt>");
    EXPECT_EQ(text, "-- no download file --");
}

TEST_F(FirmwareFileDialog, PreviewFieldFollowsTheWindowsSize) {
    RECT client = {}, edit = {};
    Browse([&](HWND, HWND fileDialog) {
        ASSERT_TRUE(SelectListed(fileDialog, "current.fdl"));
        const HWND preview = Preview();
        SetWindowPos(preview, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(preview, &client);
        edit = WindowRect(GetDlgItem(preview, IDC_EDIT_INFO));
        PressCancel(fileDialog);
    });
    EXPECT_GT(client.right, 400);
    EXPECT_EQ(edit.right - edit.left, client.right);
    EXPECT_EQ(edit.bottom - edit.top, client.bottom);
}

TEST_F(FirmwareFileDialog, CloseMessageTakesThePreviewAlongAndCancels) {
    bool previewAfterClose = true;
    Browse([&](HWND, HWND fileDialog) {
        ASSERT_TRUE(SelectListed(fileDialog, "current.fdl"));
        const HWND preview = Preview();
        ASSERT_NE(preview, nullptr);
        SendMessageW(fileDialog, WM_CLOSE, 0, 0);
        previewAfterClose = IsWindow(preview) != FALSE;
    });
    EXPECT_FALSE(previewAfterClose);
    EXPECT_EQ(m_dlg.Settings().m_strFilePath, FileUtf8(L"current.fdl"));
    EXPECT_EQ(m_fieldAfter, m_fieldBefore);
}

// A bad CPM address shows its message when the file is taken; the file is
// taken all the same, and the preview is still there while the message shows.
TEST_F(FirmwareFileDialog, BadAddressShowsItsMessageAndTheFileIsTakenAnyway) {
    std::vector<std::string> texts;
    bool previewDuringMessage = false;
    platform::SetMessageBoxHook([&](HWND, const std::string& text, const std::string&, UINT) {
        texts.push_back(text);
        previewDuringMessage = FindPreviewOfThread(GetCurrentThreadId()) != nullptr;
        return IDOK;
    });
    Browse([&](HWND main, HWND fileDialog) {
        SetItemTextOf(main, IDC_EDIT_CPMADR, "999");
        ASSERT_TRUE(SelectListed(fileDialog, "current.fdl"));
        SetFileNameBox(fileDialog, "chosen.fdl");
        PressOpen(fileDialog);
    });
    platform::SetMessageBoxHook(nullptr);
    EXPECT_EQ(texts, std::vector<std::string>{kMessage725});
    EXPECT_TRUE(previewDuringMessage);
    EXPECT_EQ(m_dlg.Settings().m_strFilePath, FileUtf8(L"chosen.fdl"));
    EXPECT_EQ(m_previewAfter, nullptr);
}

// The program itself, as a user's desktop sees it.
TEST(FirmwareFileDialogOfTheProgram, ChosenFileShowsInTheFileField) {
    TempDir dir;
    PrepareProgramFolder(dir, "[Vardel]\r\nPortMask=0x0001\r\n");
    WriteFileBytes(dir.File(L"tavrodownload.ini"), Ini(dir.FileUtf8(L"old.fdl")));
    WriteFileBytes(dir.File(L"cpm.fdl"), kCurrentHeader);
    ProgramRun run(dir.Path());
    HWND main = nullptr;
    run.AnswerMessagesUntilMainWindow(main);
    ASSERT_NE(main, nullptr);
    const HWND fileDialog = OpenFileDialogFrom(main);
    ASSERT_NE(fileDialog, nullptr);
    SetFileNameBox(fileDialog, "cpm.fdl");
    PressOpen(fileDialog);
    std::string field;
    EXPECT_TRUE(WaitUntil([&] {
        field = ItemTextOf(main, IDC_EDIT_FILE);
        return !IsWindow(fileDialog) && field.size() > 8 &&
               field.substr(field.size() - 8) == "\\cpm.fdl";
    })) << field;
    PostClick(main, IDC_BUTTON_EXIT);
    EXPECT_TRUE(run.WaitForExit());
}

} // namespace
