// Drives TavroDownload.exe on a virtual display for the run script: starts it
// (with a firmware file when one is given), answers its message boxes, runs a
// download and reports what the windows show. "SNAP name" asks the script for
// a screenshot; it answers with a line on stdin when it has taken it.
#include "dialog_driver.h"
#include "program_runner.h"
#include "platform/text.h"
#include "res/resource.h"
#include "snap.h"
#include "test_support.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

using namespace testsupport;

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

bool IsEndCaption(const std::string& caption) {
    return caption == "Tavro Download - OK" || caption == "Tavro Download - Cancel" ||
           caption == "Tavro Download - Error";
}

// Follows the run until it ends, printing each new phase text and caption;
// presses Cancel once the bar has passed cancelAt (when not negative).
void FollowRun(HWND main, HWND status, int cancelAt = -1) {
    std::string lastMessage, lastCaption;
    bool snapped = false, cancelled = false;
    const ULONGLONG start = GetTickCount64();
    while (GetTickCount64() - start < 600000) {
        const std::string message = OneLine(ItemTextOf(status, IDC_STATIC_MESSAGE));
        const std::string caption = TextOf(main);
        if (message != lastMessage || caption != lastCaption) {
            std::printf("  %6.1f s  %-28s %-40s time %s, estimate %s\n",
                        (GetTickCount64() - start) / 1000.0, caption.c_str(), message.c_str(),
                        ItemTextOf(status, IDC_STATIC_TIME).c_str(),
                        ItemTextOf(status, IDC_STATIC_ESTIMATE).c_str());
            std::fflush(stdout);
            lastMessage = message;
            lastCaption = caption;
        }
        const LRESULT position = SendMessageW(GetDlgItem(status, IDC_PROGRESS), PBM_GETPOS, 0, 0);
        if (cancelAt >= 0 && !cancelled && position >= cancelAt) {
            std::printf("  Pressing Cancel Download\n");
            PostClick(status, IDCANCEL);
            cancelled = true;
        } else if (cancelAt < 0 && !snapped && position >= 200) {
            Snap("status-running", main, status);
            snapped = true;
        }
        if (IsEndCaption(caption)) {
            return;
        }
        Sleep(50);
    }
    std::printf("The run did not end within 10 minutes.\n");
}

// One run from the button (or Repeat Download) to its end; false when a
// message box came instead of a status window.
HWND RunOnce(ProgramRun& run, HWND main, HWND pressOn, int pressId, int cancelAt) {
    PostClick(pressOn, pressId);
    WaitUntil([&] { return !IsWindow(pressOn) || pressOn == main; }, 5000);
    const HWND status = run.WaitForDialog("Download Status", main);
    if (const HWND box = run.WaitForMessageBox(status ? 0 : 3000)) {
        std::printf("Message box \"%s\": %s\n", TextOf(box).c_str(),
                    OneLine(ProgramRun::MessageBoxText(box)).c_str());
        ProgramRun::PressOk(box);
        return nullptr;
    }
    if (status != nullptr) {
        FollowRun(main, status, cancelAt);
        std::printf("Result: %s / %s\n", TextOf(main).c_str(),
                    OneLine(ItemTextOf(status, IDC_STATIC_MESSAGE)).c_str());
    }
    return status;
}

// Downloads the file three times through the windows: to its end, cancelled
// halfway, and with a fault injected into the simulated CPM's flash.
void DownloadThreeWays(ProgramRun& run, HWND main, const std::wstring& simulatorIni) {
    std::printf("Pressing Download:\n");
    HWND status = RunOnce(run, main, main, IDC_BUTTON_DOWNLOAD, -1);
    if (status == nullptr) {
        return;
    }
    Snap("status-succeeded", status);
    std::printf("Pressing Repeat Download, then Cancel Download:\n");
    status = RunOnce(run, main, status, IDC_BUTTON_REPEAT, 250);
    if (status == nullptr) {
        return;
    }
    Snap("status-cancelled", status);
    const std::string original = ReadFileBytes(simulatorIni);
    WriteFileBytes(simulatorIni,
                   original + "\r\n[Fault]\r\nPhase=3\r\nCondition=17\r\nPercent=40\r\n");
    std::printf("Pressing Repeat Download with a flash fault injected into the simulated CPM:\n");
    status = RunOnce(run, main, status, IDC_BUTTON_REPEAT, -1);
    WriteFileBytes(simulatorIni, original);
    if (status == nullptr) {
        return;
    }
    Snap("status-failed", status);
    PostClick(status, IDCANCEL); // Exit
    WaitUntil([&] { return !IsWindow(status); }, 5000);
}

// The port list opened: each port with the name of its device.
void ShowPortList(ProgramRun& run, HWND main) {
    const HWND combo = GetDlgItem(main, IDC_COMBO_PORT);
    SetCursorPos(0, 0); // an item under the pointer would be chosen as the list closes
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = nullptr;
    WaitUntil([&] { return IsWindowVisible(list = run.FindWindowOfClass(L"ComboLBox")) != 0; },
              3000);
    Snap("port-list", main, list);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

void ShowAboutBox(ProgramRun& run, HWND main) {
    PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const HWND about = run.WaitForDialog("Tavro Download", main);
    if (about == nullptr) {
        std::printf("The About box did not show.\n");
        return;
    }
    std::printf("About box shown: \"%s\"\n", TextOf(about).c_str());
    Snap("about-box", about);
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(about); }, 5000);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = argc > 1 ? argv[1] : BinFolder();
    const std::wstring arguments = argc > 2 ? argv[2] : L"";
    ProgramRun run(folder, arguments);
    if (!run.Started()) {
        std::printf("The program could not be started from %s\n", platform::Narrow(folder).c_str());
        return 1;
    }
    HWND main = nullptr;
    for (const std::string& text : run.AnswerMessagesUntilMainWindow(main)) {
        std::printf("Message box: %s\n", OneLine(text).c_str());
    }
    if (main == nullptr) {
        std::printf("The program ended before its main window showed.\n");
        return 1;
    }
    std::printf("Main window: port %s, CPM address %s, file \"%s\"\n",
                ItemTextOf(main, IDC_COMBO_PORT).c_str(), ItemTextOf(main, IDC_EDIT_CPMADR).c_str(),
                ItemTextOf(main, IDC_EDIT_FILE).c_str());
    Snap("main-window", main);
    ShowPortList(run, main);

    if (!ItemTextOf(main, IDC_EDIT_FILE).empty()) {
        DownloadThreeWays(run, main, folder + L"Vardel.ini");
    }
    ShowAboutBox(run, main);
    WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 2000);
    PostClick(main, IDC_BUTTON_EXIT);
    if (!run.WaitForExit()) {
        std::printf("The program did not end after Exit.\n");
        return 1;
    }
    std::printf("The program ended after Exit.\n");
    return 0;
}
