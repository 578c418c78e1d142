// The "..." button of the main window: choosing the firmware file.
#include "mainwnd/download_dlg.h"

#include "filedlg/fdl_open_dlg.h"
#include "firmware/firmware_path.h"

namespace {
const char* const kFirmwareFilter = "Tavro Firmware files (*.fdl)|*.fdl||";
} // namespace

void CDownloadDlg::OnBrowse() {
    CFDLOpenDlg dialog(true, "", "", OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING,
                       kFirmwareFilter, m_hWnd);
    dialog.SetInitialFolder(firmware::InitialFolderOf(m_strFilePath));
    if (dialog.DoModal() != IDOK) {
        return;
    }
    // Whatever the fields hold is kept; a bad CPM address shows its message
    // but does not stop the file from being taken.
    UpdateData(true);
    m_strFilePath = dialog.GetPathName();
    ShortenFilePathDisplay();
    UpdateData(false);
}
