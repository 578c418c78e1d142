// Opens the firmware file dialog from the main window on a virtual display,
// selects a firmware file so its header preview shows, and asks the calling
// script for a screenshot ("SNAP name", answered by a line on stdin).
#include "app/download_app.h"
#include "dialog_driver.h"
#include "file_dialog_driver.h"
#include "mainwnd/download_dlg.h"
#include "platform/app_message.h"
#include "platform/text.h"
#include "snap.h"
#include "test_support.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

using namespace testsupport;

const char* const kHeader = ";==================================\r\n"
                            "; Tavro CPM firmware\r\n"
                            "; Module    : CPM-20 main CPU module\r\n"
                            "; Version   : 4.12 build 311\r\n"
                            "; Date      : 2026-03-14\r\n"
                            "; Flash     : CPR 512 KB, IOP 128 KB\r\n"
                            "; Checksum  : 5A17C3E2\r\n"
                            ";==================================\r\n"
                            ":020000040000FA\r\n"
                            ":10000000E0FF0E94C2004F3F8A15C3E2A1B0C4D508\r\n";

} // namespace

int wmain() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    TheApp().m_strAppName = "Tavro Download";
    platform::SetApplicationName(TheApp().m_strAppName);

    TempDir dir;
    StandInConfig standIn("[Vardel]\r\nPortMask=0x0005\r\n");
    CreateDirectoryW(dir.File(L"firmware").c_str(), nullptr);
    const std::wstring folder = dir.File(L"firmware\\");
    WriteFileBytes(folder + L"cpm20_main_v4.12.fdl", kHeader);
    WriteFileBytes(folder + L"cpm20_main_v4.11.fdl", kHeader);
    WriteFileBytes(folder + L"cpm20_red_v4.12.fdl", kHeader);
    WriteFileBytes(folder + L"iop_boot_v1.3.fdl", kHeader);
    TheApp().m_strProfileName = dir.FileUtf8(L"tavro.ini");
    WriteFileBytes(dir.File(L"tavro.ini"),
                   "[DOWNLOAD]\r\nCPMADR=5\r\nPRIMARYINITSTRING=p\r\nREDUNDANTINITSTRING=r\r\n"
                   "PORT=COM1\r\nBAUDRATE=9600\r\nPARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\n"
                   "FILENAME=" +
                       platform::Narrow(folder) + "cpm20_main_v4.11.fdl\r\nTARGET=PRIMARY\r\n");
    MessageBoxCapture boxes;

    CDownloadDlg dlg;
    int status = 1;
    RunModal(dlg, [&](HWND main) {
        const HWND fileDialog = OpenFileDialogFrom(main);
        if (fileDialog == nullptr) {
            std::printf("The file dialog did not open.\n");
            return;
        }
        // As a user would: clicked into the list, then on the file.
        FocusFileList(fileDialog);
        if (!SelectListed(fileDialog, "cpm20_main_v4.12.fdl")) {
            std::printf("The firmware file is not listed.\n");
            return;
        }
        const HWND preview = FindPreviewOfThread(GetWindowThreadProcessId(main, nullptr));
        std::printf("Preview: %s\n", preview ? TextOf(preview).c_str() : "(none)");
        Snap("file-dialog", fileDialog, preview);
        PressCancel(fileDialog);
        status = preview != nullptr ? 0 : 1;
    });
    return status;
}
