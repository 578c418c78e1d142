// A whole download run in this process: the main window, the status window
// and the stand-in library playing a scripted run, seen through its call log.
#include "app/download_app.h"
#include "dialog_driver.h"
#include "file_dialog_driver.h"
#include "mainwnd/download_dlg.h"
#include "platform/run_indicators.h"
#include "platform/session_end.h"
#include "platform/static_image.h"
#include "res/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <cstdio>
#include <memory>
#include <mutex>

namespace {

using namespace testsupport;
using Lines = std::vector<std::vector<std::string>>;

std::string ValidIni(const std::string& extra = "") {
    return "[DOWNLOAD]\r\nCPMADR=5\r\nPRIMARYINITSTRING=0xFD Adr 0x08 0x00 0x01 0xFF LRC\r\n"
           "REDUNDANTINITSTRING=0xFD Adr 0x09 0x00 0x01 0xFF LRC\r\nPORT=COM1\r\nBAUDRATE=9600\r\n"
           "PARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\nRETRY=4\r\nFILENAME=C:\\fw\\main.fdl\r\n"
           "TARGET=PRIMARY\r\n" +
           extra;
}

class DownloadRun : public testing::Test {
protected:
    void SetUp() override {
        TheApp().m_strProfileName = m_dir.FileUtf8(L"tavro.ini");
        TheApp().m_strCmdLine.clear();
        WriteFileBytes(m_dir.File(L"tavro.ini"), ValidIni());
        Script("0/9 3/0 250/5 499/6 500/7");
    }
    // The stand-in plays these status reads; extra lines go into [Script].
    void Script(const std::string& reads, const std::string& extra = "",
                const std::string& portMask = "0x0001") {
        m_config = std::make_unique<StandInConfig>(
            "[Vardel]\r\nPortMask=" + portMask + "\r\nCallLog=" + m_dir.FileUtf8(L"calls.log") +
            "\r\n[Script]\r\nReads=" + reads + "\r\n" + extra);
    }
    Lines Calls(const std::string& name = "") const {
        return LibraryCalls(m_dir.File(L"calls.log"), name);
    }

    TempDir m_dir;
    MessageBoxCapture m_boxes;
    std::unique_ptr<StandInConfig> m_config;
    CDownloadDlg m_dlg;
};

TEST_F(DownloadRun, SuccessfulRunEndsWithOkAndKeepsTheResultOnScreen) {
    std::string message, cancelText, cpm, com, file, retry, caption;
    int progress = -1;
    bool repeatEnabled = false, mainEnabled = false;
    RunModal(m_dlg, [&](HWND main) {
        SetItemTextOf(main, IDC_EDIT_CPMADR, "7");
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        ASSERT_NE(status, nullptr);
        ASSERT_TRUE(WaitForCaption(main, "Tavro Download - OK"));
        message = ItemTextOf(status, IDC_STATIC_MESSAGE);
        cancelText = ItemTextOf(status, IDCANCEL);
        cpm = ItemTextOf(status, IDC_STATIC_CPM);
        com = ItemTextOf(status, IDC_STATIC_COM);
        file = ItemTextOf(status, IDC_STATIC_FILE);
        retry = ItemTextOf(status, IDC_STATIC_RETRY);
        progress = ProgressOf(status);
        repeatEnabled = IsWindowEnabled(GetDlgItem(status, IDC_BUTTON_REPEAT));
        WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
        mainEnabled = IsWindowEnabled(main);
        Click(status, IDCANCEL); // now Exit
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(status); }));
        caption = TextOf(main);
    });
    EXPECT_EQ(message, "Download successful!");
    EXPECT_EQ(cancelText, "Exit");
    EXPECT_EQ(cpm, "7, prim");
    EXPECT_EQ(com, "1");
    EXPECT_EQ(file, "main.fdl");
    EXPECT_EQ(retry, "4");
    EXPECT_EQ(progress, 500);
    EXPECT_TRUE(repeatEnabled);
    EXPECT_TRUE(mainEnabled);
    EXPECT_EQ(caption, "Tavro Download");
    EXPECT_TRUE(m_boxes.Texts().empty());

    const Lines init = Calls("InitDownload");
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0], (std::vector<std::string>{"InitDownload", "C:\\fw\\main.fdl",
                                                 "0xFD Adr 0x08 0x00 0x01 0xFF LRC", "1", "7",
                                                 "9600", "8", "1", "1", "4", "=>", init[0][11]}));
    EXPECT_EQ(Calls("StartDownload").size(), 1u);
    EXPECT_EQ(Calls("GetDownloadStatus").size(), 5u);
    EXPECT_TRUE(Calls("AbortDownload").empty());
    // The settings reached the file before the library was called.
    EXPECT_NE(ReadFileBytes(m_dir.File(L"tavro.ini")).find("CPMADR=7\r\n"), std::string::npos);
}

TEST_F(DownloadRun, CancelAbortsExactlyOnceAndEndsCancelled) {
    Script("0/9 50/1 100/3", "AfterAbort=-701/7\r\n");
    std::string message, cancelText;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        ASSERT_NE(status, nullptr);
        WaitUntil([&] { return Calls("GetDownloadStatus").size() >= 3; });
        Click(status, IDCANCEL);
        EXPECT_EQ(ItemTextOf(status, IDCANCEL), "Exit");
        ASSERT_TRUE(WaitForCaption(main, "Tavro Download - Cancel"));
        message = ItemTextOf(status, IDC_STATIC_MESSAGE);
        cancelText = ItemTextOf(status, IDCANCEL);
    });
    EXPECT_EQ(Calls("AbortDownload").size(), 1u);
    EXPECT_EQ(message, "Download cancelled by user!");
    EXPECT_EQ(cancelText, "Exit");
    EXPECT_TRUE(m_boxes.Texts().empty());
}

// A cancellation nobody asked for keeps Cancel Download; its press asks the
// library once more to abort that run, and the button becomes Exit.
TEST_F(DownloadRun, UnaskedCancellationIsAbortedByTheNextPress) {
    Script("0/9 50/1 -701/7");
    std::string before, after;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        ASSERT_TRUE(WaitForCaption(main, "Tavro Download - Cancel"));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; })); // polled no more
        before = ItemTextOf(status, IDCANCEL);
        EXPECT_TRUE(Calls("AbortDownload").empty());
        Click(status, IDCANCEL);
        after = ItemTextOf(status, IDCANCEL);
    });
    EXPECT_EQ(before, "Cancel Download");
    EXPECT_EQ(after, "Exit");
    const Lines aborts = Calls("AbortDownload");
    ASSERT_EQ(aborts.size(), 1u);
    EXPECT_EQ(aborts[0][1], Calls("InitDownload")[0][11]); // the run's handle
}

TEST_F(DownloadRun, ErrorWhilePollingIsShownInTheStatusWindow) {
    Script("0/9 100/3 -305/3");
    std::string message, cancelText;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        ASSERT_TRUE(WaitForCaption(main, "Tavro Download - Error"));
        message = ItemTextOf(status, IDC_STATIC_MESSAGE);
        cancelText = ItemTextOf(status, IDCANCEL);
    });
    EXPECT_EQ(message, "Download error !\r\nProg CPR: CPR not responding.");
    EXPECT_EQ(cancelText, "Exit");
    EXPECT_TRUE(m_boxes.Texts().empty());
}

TEST_F(DownloadRun, InitErrorIsAMessageBoxAndNothingStarts) {
    Script("500/7", "InitResult=-9\r\n");
    bool statusWindowSeen = true, mainEnabled = false;
    RunModal(m_dlg, [&](HWND main) {
        Click(main, IDC_BUTTON_DOWNLOAD);
        statusWindowSeen = FindDialogOfThread(GetWindowThreadProcessId(main, nullptr),
                                              "Download Status") != nullptr;
        mainEnabled = IsWindowEnabled(main);
    });
    const std::vector<ShownMessage> boxes = m_boxes.Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Download error !\nInit COM: Can not open fdl file. Check path and file name.");
    EXPECT_EQ(boxes[0].caption, "CPM 5 (prim) on COM 1 <main.fdl>");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(boxes[0].ownerEnabled); // or the activation goes to another program
    EXPECT_TRUE(Calls("StartDownload").empty());
    EXPECT_FALSE(statusWindowSeen);
    EXPECT_TRUE(mainEnabled);
}

TEST_F(DownloadRun, BroadcastPassesAddress255WithTheTarget) {
    WriteFileBytes(m_dir.File(L"tavro.ini"), ValidIni("DOWNLOADMODE=0\r\n"));
    for (int target : {0, 1}) {
        CDownloadDlg dlg;
        RunModal(dlg, [&](HWND main) {
            SetItemTextOf(main, IDC_EDIT_CPMADR, "255");
            Click(main, target == 0 ? IDC_RADIO_PRIM : IDC_RADIO_RED);
            SendMessageW(GetDlgItem(main, IDC_RADIO_PRIM), BM_SETCHECK, target == 0, 0);
            SendMessageW(GetDlgItem(main, IDC_RADIO_RED), BM_SETCHECK, target == 1, 0);
            PostClick(main, IDC_BUTTON_DOWNLOAD);
            EXPECT_TRUE(WaitForCaption(main, "Tavro Download - OK"));
        });
        EXPECT_EQ(dlg.DownloadInfo(), target == 0 ? "Broadcast (prim) on COM 1 <main.fdl>"
                                                  : "Broadcast (red) on COM 1 <main.fdl>");
    }
    const Lines init = Calls("InitDownload");
    ASSERT_EQ(init.size(), 2u);
    EXPECT_EQ(init[0][4], "255");
    EXPECT_EQ(init[1][4], "511");
    EXPECT_EQ(init[1][2], "0xFD Adr 0x09 0x00 0x01 0xFF LRC");
}

TEST_F(DownloadRun, RepeatAfterAnErrorStartsANewRunWithTheCurrentFields) {
    Script("0/9 -217/2");
    int statusWindows = 0;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        HWND first = WaitForStatusWindow(main);
        ASSERT_TRUE(WaitForCaption(main, "Tavro Download - Error"));
        ++statusWindows;
        WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
        SetItemTextOf(main, IDC_EDIT_CPMADR, "9");
        PostClick(first, IDC_BUTTON_REPEAT);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(first); }));
        HWND second = WaitForStatusWindow(main);
        ASSERT_NE(second, nullptr);
        ASSERT_TRUE(WaitForCaption(main, "Tavro Download - Error"));
        ++statusWindows;
    });
    const Lines init = Calls("InitDownload");
    ASSERT_EQ(init.size(), 2u);
    EXPECT_EQ(init[0][4], "5");
    EXPECT_EQ(init[1][4], "9");
    EXPECT_EQ(statusWindows, 2);
    EXPECT_NE(ReadFileBytes(m_dir.File(L"tavro.ini")).find("CPMADR=9\r\n"), std::string::npos);
}

TEST_F(DownloadRun, ExitDuringTheAbortWaitClosesAfterThePollingEnds) {
    Script("0/9 100/3", "AfterAbort=-701/7\r\nAbortDelayReads=3\r\n");
    bool stillOpenRightAfterExit = false, closedLater = false;
    std::string caption;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        WaitUntil([&] { return Calls("GetDownloadStatus").size() >= 2; });
        Click(status, IDCANCEL); // abort
        Click(status, IDCANCEL); // Exit while the loop still polls
        stillOpenRightAfterExit = IsWindow(status) != FALSE;
        closedLater = WaitUntil([&] { return !IsWindow(status); });
        caption = TextOf(main);
    });
    EXPECT_TRUE(stillOpenRightAfterExit);
    EXPECT_TRUE(closedLater);
    EXPECT_EQ(caption, "Tavro Download");
    EXPECT_EQ(Calls("AbortDownload").size(), 1u);
    const Lines reads = Calls("GetDownloadStatus");
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back()[3], "-701"); // the loop saw the end before the window went
}

TEST_F(DownloadRun, RepeatDuringTheAbortWaitRunsAgainAfterThePollingEnds) {
    Script("0/9 100/3", "AfterAbort=-701/7\r\nAbortDelayReads=2\r\n");
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND first = WaitForStatusWindow(main);
        WaitUntil([&] { return Calls("GetDownloadStatus").size() >= 2; });
        Click(first, IDCANCEL);
        Click(first, IDC_BUTTON_REPEAT);
        EXPECT_TRUE(IsWindow(first));
        ASSERT_TRUE(WaitUntil([&] { return Calls("InitDownload").size() == 2; }));
        HWND second = WaitForStatusWindow(main);
        EXPECT_NE(second, first);
        Click(second, IDCANCEL);
        EXPECT_TRUE(WaitForCaption(main, "Tavro Download - Cancel"));
    });
    EXPECT_EQ(Calls("InitDownload").size(), 2u);
    EXPECT_EQ(Calls("AbortDownload").size(), 2u);
}

TEST_F(DownloadRun, NoSecondRunWhilePolling) {
    Script("0/9 100/3", "AfterAbort=-701/7\r\n");
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        WaitUntil([&] { return Calls("GetDownloadStatus").size() >= 1; });
        // The window is disabled, but a message can still reach it.
        Click(main, IDC_BUTTON_DOWNLOAD);
        Click(main, IDC_BUTTON_EXIT);
        SendMessageW(main, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(main, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindow(main));
        Click(status, IDCANCEL);
        // The ignored close requests did not end the window once the loop was
        // over, nor take the run's result off the screen.
        EXPECT_TRUE(WaitForCaption(main, "Tavro Download - Cancel"));
        EXPECT_FALSE(WaitUntil([&] { return !IsWindow(main) || !IsWindow(status); }, 1000));
        EXPECT_EQ(ItemTextOf(status, IDC_STATIC_MESSAGE), "Download cancelled by user!");
    });
    EXPECT_EQ(Calls("InitDownload").size(), 1u);
}

// A shift of thousands of runs must not use up the process's GDI and USER
// objects (10 000 each by default): where the platform counts them
// (GetGuiResources) they must not grow. Wine reports 0 for both, so the
// bitmaps the LEDs hand back are followed too: none may outlive its window.
TEST_F(DownloadRun, StatusWindowsLeaveNoObjectsBehind) {
    Script("500/7");
    const int kRuns = 60; // enough for a leak of one object a window to show; quick enough for CI
    std::mutex mutex;
    std::vector<HBITMAP> handedBack; // filled on the window's thread
    platform::SetHandedBackBitmapHook([&](HBITMAP bitmap) {
        std::lock_guard<std::mutex> lock(mutex);
        handedBack.push_back(bitmap);
    });
    DWORD before[2] = {}, after[2] = {}; // GDI, USER
    size_t seen = 0, alive = 0;
    RunModal(m_dlg, [&](HWND main) {
        for (int run = 0; run <= kRuns; ++run) {
            PostClick(main, IDC_BUTTON_DOWNLOAD);
            const HWND status = WaitForStatusWindow(main);
            ASSERT_TRUE(status && WaitForCaption(main, "Tavro Download - OK"));
            WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
            Click(status, IDCANCEL); // Exit: returns once the window and its bitmaps are gone
            std::lock_guard<std::mutex> lock(mutex);
            for (HBITMAP bitmap : handedBack) {
                alive += GetObjectType(bitmap) != 0 ? 1 : 0;
            }
            seen += handedBack.size();
            handedBack.clear();
            // What the first run made once (classes, fonts) serves the later ones.
            DWORD* counts = run == 0 ? before : after;
            counts[0] = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
            counts[1] = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
        }
    });
    platform::SetHandedBackBitmapHook(nullptr);
    std::printf("GDI objects %lu, after %d more status windows %lu; USER objects %lu, then %lu; "
                "%lu bitmaps handed back, %lu alive after their window\n",
                before[0], kRuns, after[0], before[1], after[1], static_cast<unsigned long>(seen),
                static_cast<unsigned long>(alive));
    EXPECT_EQ(alive, 0u);
    EXPECT_GE(seen, 2u * kRuns); // at least the two bitmaps each template loaded
    for (int kind : {0, 1}) {    // less than one for every ten windows: caches settle, leaks grow
        EXPECT_LE(after[kind], before[kind] + kRuns / 10) << kind;
    }
}

TEST_F(DownloadRun, LibraryThatNeverEndsStillLetsTheUserClose) {
    Script("0/9 100/3", "AfterAbort=none\r\n");
    bool closed = false;
    std::string caption, message;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        WaitUntil([&] { return Calls("GetDownloadStatus").size() >= 2; });
        Click(status, IDCANCEL); // abort, ignored by the library
        Click(status, IDCANCEL); // Exit: the loop gives up waiting after a grace time
        ASSERT_TRUE(WaitForCaption(main, "Tavro Download - Error"));
        message = ItemTextOf(status, IDC_STATIC_MESSAGE);
        WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
        Click(status, IDCANCEL); // Exit again, now that the user has seen why
        closed = WaitUntil([&] { return !IsWindow(status); });
        caption = TextOf(main);
        Click(main, IDC_BUTTON_EXIT);
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(message, "Download not confirmed!\r\nThe library did not report the end of the "
                       "cancelled download. Check the CPM.");
    EXPECT_EQ(caption, "Tavro Download");
    EXPECT_EQ(Calls("AbortDownload").size(), 1u);
    const size_t reads = Calls("GetDownloadStatus").size();
    Sleep(500);
    EXPECT_EQ(Calls("GetDownloadStatus").size(), reads); // nothing polls it any more
}

// Repeat pressed during the wait for an abort that never comes is not lost
// unseen: the window says why it stopped waiting and keeps Repeat on offer.
TEST_F(DownloadRun, RepeatPressedBeforeAnUnconfirmedEndStaysOnOffer) {
    Script("0/9 100/3", "AfterAbort=none\r\n");
    bool repeatOffered = false;
    std::string message;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        WaitUntil([&] { return Calls("GetDownloadStatus").size() >= 2; });
        Click(status, IDCANCEL);          // abort, ignored by the library
        Click(status, IDC_BUTTON_REPEAT); // the loop gives up waiting after a grace time
        ASSERT_TRUE(WaitForCaption(main, "Tavro Download - Error"));
        message = ItemTextOf(status, IDC_STATIC_MESSAGE);
        repeatOffered = IsWindowEnabled(GetDlgItem(status, IDC_BUTTON_REPEAT)) != FALSE;
        WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
        Script("0/9 500/7");
        PostClick(status, IDC_BUTTON_REPEAT); // pressed again, now knowingly
        EXPECT_TRUE(WaitForCaption(main, "Tavro Download - OK"));
    });
    EXPECT_EQ(message, "Download not confirmed!\r\nThe library did not report the end of the "
                       "cancelled download. Check the CPM.");
    EXPECT_TRUE(repeatOffered);
    EXPECT_EQ(Calls("InitDownload").size(), 2u);
}

// A run started from the status window while the main window shows a dialog
// of its own would bring the main window back to life under that dialog.
TEST_F(DownloadRun, RepeatDoesNothingWhileADialogOfTheMainWindowIsOpen) {
    Script("0/9 500/7");
    bool mainEnabledUnderTheDialog = true, dialogStillOpen = false, mainEnabledAfter = false;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        ASSERT_TRUE(WaitForCaption(main, "Tavro Download - OK"));
        WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
        const HWND fileDialog = OpenFileDialogFrom(main);
        ASSERT_NE(fileDialog, nullptr);
        PostClick(status, IDC_BUTTON_REPEAT);
        Sleep(1000); // a run would have ended by now
        mainEnabledUnderTheDialog = IsWindowEnabled(main) != FALSE;
        dialogStillOpen = IsWindow(fileDialog) != FALSE;
        Click(status, IDCANCEL); // Exit: the result goes, the file dialog stays
        EXPECT_TRUE(IsWindow(fileDialog));
        PressCancel(fileDialog);
        mainEnabledAfter = WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
    });
    EXPECT_EQ(Calls("InitDownload").size(), 1u);
    EXPECT_FALSE(mainEnabledUnderTheDialog);
    EXPECT_TRUE(dialogStillOpen);
    EXPECT_TRUE(mainEnabledAfter);
}

// Downloads go on with the user's choice when the settings file refuses it,
// and the user is told once, not at every download.
TEST_F(DownloadRun, SettingsThatCannotBeWrittenAreReportedOnceAndTheRunsGoOn) {
    Script("0/9 500/7");
    const std::wstring ini = m_dir.File(L"tavro.ini");
    RunModal(m_dlg, [&](HWND main) {
        ASSERT_TRUE(DeleteFileW(ini.c_str()) && CreateDirectoryW(ini.c_str(), nullptr));
        for (size_t run = 1; run <= 2; ++run) {
            PostClick(main, IDC_BUTTON_DOWNLOAD);
            ASSERT_TRUE(WaitUntil([&] { return Calls("InitDownload").size() == run; }));
            ASSERT_TRUE(WaitForCaption(main, "Tavro Download - OK"));
            WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
        }
    });
    EXPECT_EQ(m_boxes.Texts(),
              std::vector<std::string>{"The settings could not be written to the settings file:\n" +
                                       m_dir.FileUtf8(L"tavro.ini") +
                                       "\nThe download goes on; the next start will not remember "
                                       "them."});
}

TEST_F(DownloadRun, PortListIsRefilledOnlyAfterTheRun) {
    Script("0/9 100/3", "AfterAbort=-701/7\r\nAbortDelayReads=4\r\n");
    size_t scansWhilePolling = 99;
    std::vector<std::string> itemsAfter;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        WaitUntil([&] { return Calls("GetDownloadStatus").size() >= 2; });
        const size_t scansBefore = Calls("GetCOMsStatus").size();
        Script("0/9 100/3", "AfterAbort=-701/7\r\nAbortDelayReads=4\r\n", "0x0003");
        SendMessageW(main, WM_DEVICECHANGE, 0x8004 /* DBT_DEVICEREMOVECOMPLETE */, 0);
        Sleep(600); // longer than the refill's delay
        scansWhilePolling = Calls("GetCOMsStatus").size() - scansBefore;
        Click(status, IDCANCEL);
        EXPECT_TRUE(WaitForCaption(main, "Tavro Download - Cancel"));
        WaitUntil([&] { return ComboItems(main, IDC_COMBO_PORT).size() == 2; });
        itemsAfter = ComboItems(main, IDC_COMBO_PORT);
    });
    EXPECT_EQ(scansWhilePolling, 0u);
    EXPECT_EQ(itemsAfter, (std::vector<std::string>{"COM 1", "COM 2"}));
}

// Stops the status window from being created, as a system out of window
// resources would.
LRESULT CALLBACK RefuseStatusWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if (create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName) &&
            lstrcmpW(create->lpszName, L"Download Status") == 0) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(DownloadRun, StatusWindowThatCannotBeMadeAbortsTheStartedDownload) {
    Script("0/9 100/3", "AfterAbort=-701/7\r\n");
    bool mainEnabled = false;
    RunModal(m_dlg, [&](HWND main) {
        const HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseStatusWindow, nullptr,
                                             GetWindowThreadProcessId(main, nullptr));
        Click(main, IDC_BUTTON_DOWNLOAD);
        UnhookWindowsHookEx(hook);
        mainEnabled = IsWindowEnabled(main);
    });
    EXPECT_EQ(Calls("StartDownload").size(), 1u);
    EXPECT_EQ(Calls("AbortDownload").size(), 1u); // not left running unseen
    EXPECT_EQ(m_boxes.Texts(),
              std::vector<std::string>{"The download was started, but its status window could not "
                                       "be opened.\nThe download has been aborted."});
    EXPECT_TRUE(mainEnabled);
}

// The computer must not sleep while a run is polled, and may again after it,
// whichever way the run ended.
struct AwakeCase {
    const char* name;
    const char* reads;
    bool cancel;
    const char* endCaption;
};

void PrintTo(const AwakeCase& c, std::ostream* os) {
    *os << c.name;
}

class KeepAwake : public DownloadRun, public testing::WithParamInterface<AwakeCase> {};

TEST_P(KeepAwake, RequestedWhilePollingReleasedAfterTheEnd) {
    const AwakeCase& c = GetParam();
    Script(c.reads, "AfterAbort=-701/7\r\n");
    std::mutex mutex;
    std::vector<EXECUTION_STATE> requests;
    platform::SetExecutionStateHook([&](EXECUTION_STATE flags) {
        std::lock_guard<std::mutex> lock(mutex);
        requests.push_back(flags);
    });
    auto last = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return requests.empty() ? EXECUTION_STATE(0) : requests.back();
    };
    // And Windows may not end the session halfway through, without being told why.
    std::vector<std::string> reasons;
    platform::SetSessionBlockHook([&](HWND window, const std::string* reason) {
        std::lock_guard<std::mutex> lock(mutex);
        reasons.push_back((window == m_dlg.GetSafeHwnd() ? "main: " : "other: ") +
                          (reason ? *reason : std::string("removed")));
    });
    EXECUTION_STATE whilePolling = 0;
    std::vector<std::string> reasonsWhilePolling;
    RunModal(m_dlg, [&](HWND main) {
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatusWindow(main);
        WaitUntil([&] { return Calls("GetDownloadStatus").size() >= 2; });
        whilePolling = last();
        {
            std::lock_guard<std::mutex> lock(mutex);
            reasonsWhilePolling = reasons;
        }
        if (c.cancel) {
            Click(status, IDCANCEL);
        }
        EXPECT_TRUE(WaitForCaption(main, c.endCaption));
        WaitUntil([&] { return IsWindowEnabled(main) != FALSE; });
    });
    platform::SetExecutionStateHook(nullptr);
    platform::SetSessionBlockHook(nullptr);
    const std::string reason =
        "main: Firmware download to CPM 5 (prim) on COM 1 <main.fdl> is running.";
    EXPECT_EQ(reasonsWhilePolling, std::vector<std::string>{reason});
    EXPECT_EQ(reasons, (std::vector<std::string>{reason, "main: removed"}));
    EXPECT_EQ(whilePolling, static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_SYSTEM_REQUIRED |
                                                         ES_DISPLAY_REQUIRED));
    EXPECT_EQ(last(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
    EXPECT_EQ(requests.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, KeepAwake,
    testing::Values(AwakeCase{"Finished", "0/9 100/3 200/5 300/6 500/7", false,
                              "Tavro Download - OK"},
                    AwakeCase{"Cancelled", "0/9 100/3", true, "Tavro Download - Cancel"},
                    AwakeCase{"Failed", "0/9 100/3 200/3 -305/3", false, "Tavro Download - Error"}),
    [](const testing::TestParamInfo<AwakeCase>& info) { return info.param.name; });

// With the settings file's approved list, a file not on it is refused before
// any library call; one on it is downloaded, under the list's name in the record.
TEST_F(DownloadRun, OnlyFirmwareOnTheApprovedListIsDownloaded) {
    Script("0/9 500/7");
    const std::string sha256 = "92097a4c8656019c4927f5f069e6bd107a10932533db7bd8e8825a55d9c2ab7f";
    CopyFromBin(L"samples\\cpm4012_app_3.2.1.fdl", m_dir.Path(), L"main.fdl");
    const std::string file = m_dir.FileUtf8(L"main.fdl");
    WriteFileBytes(m_dir.File(L"tavro.ini"),
                   ValidIni("[LOG]\r\nFILE=record.csv\r\n[FIRMWARE]\r\nAPPROVED=approved.txt\r\n"));
    WriteFileBytes(m_dir.File(L"approved.txt"), std::string(64, 'a') + "  CPM4012 boot 1.0.3\r\n");
    RunModal(m_dlg, [&](HWND main) {
        SetItemTextOf(main, IDC_EDIT_FILE, file);
        SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_EDIT_FILE, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_EDIT_FILE)));
        Click(main, IDC_BUTTON_DOWNLOAD);
        WriteFileBytes(m_dir.File(L"approved.txt"), sha256 + "  CPM4012 app 3.2.1\r\n");
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        EXPECT_TRUE(WaitForCaption(main, "Tavro Download - OK"));
    });
    EXPECT_EQ(m_boxes.Texts(),
              std::vector<std::string>{"The firmware file " + file +
                                       " is not approved firmware.\nIts SHA-256 " + sha256 +
                                       " is not on the list of approved firmware."});
    EXPECT_EQ(Calls("InitDownload").size(), 1u); // none for the refused file
    const std::string record = ReadFileBytes(m_dir.File(L"record.csv"));
    EXPECT_NE(record.find("," + file + ",79439," + sha256 +
                          ",downloaded,500,Download successful! (approved: CPM4012 app 3.2.1) "
                          "(simulator: no CPM was written),"),
              std::string::npos)
        << record;
}

struct RefusedCase {
    const char* name;
    const char* portMask;
    const char* address;
    const char* file; // nullptr: keep
    const char* message;
    int focus;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedDownload : public DownloadRun, public testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedDownload, ShowsWhyAndCallsNothing) {
    const RefusedCase& c = GetParam();
    Script("500/7", "", c.portMask);
    const std::string iniBefore = ReadFileBytes(m_dir.File(L"tavro.ini"));
    HWND focused = nullptr, expectedFocus = nullptr;
    RunModal(m_dlg, [&](HWND main) {
        if (std::string(c.name) == "PortGoneFromTheList") {
            Script("500/7", "", "0x0002");
            SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_COMBO_PORT, CBN_DROPDOWN),
                         reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_COMBO_PORT)));
        }
        SetItemTextOf(main, IDC_EDIT_CPMADR, c.address);
        if (c.file) {
            SetItemTextOf(main, IDC_EDIT_FILE, c.file);
            SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_EDIT_FILE, EN_KILLFOCUS),
                         reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_EDIT_FILE)));
        }
        Click(main, IDC_BUTTON_DOWNLOAD);
        focused = FocusOf(GetWindowThreadProcessId(main, nullptr));
        expectedFocus = c.focus ? GetDlgItem(main, c.focus) : nullptr;
    });
    const std::vector<std::string> texts = m_boxes.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), c.message);
    if (c.focus) {
        EXPECT_EQ(focused, expectedFocus);
    }
    EXPECT_TRUE(Calls("InitDownload").empty());
    EXPECT_EQ(ReadFileBytes(m_dir.File(L"tavro.ini")), iniBefore); // nothing written
}

INSTANTIATE_TEST_SUITE_P(
    Checks, RefusedDownload,
    testing::Values(
        RefusedCase{"NoUsablePort", "0x0000", "5", nullptr,
                    "No COM port avaible. \nQuit your other port using applications", 0},
        RefusedCase{"PortGoneFromTheList", "0x0001", "5", nullptr, "No COM port selected. ",
                    IDC_COMBO_PORT},
        RefusedCase{"EmptyAddress", "0x0001", "", nullptr,
                    "For the CPM address only values between 0 and 127 are valid!",
                    IDC_EDIT_CPMADR},
        RefusedCase{"BroadcastWithoutDownloadModeZero", "0x0001", "255", nullptr,
                    "For the CPM address only values between 0 and 127 are valid!",
                    IDC_EDIT_CPMADR},
        RefusedCase{"NoFile", "0x0001", "5", "", "No firmware file selected. ", IDC_EDIT_FILE}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

} // namespace
