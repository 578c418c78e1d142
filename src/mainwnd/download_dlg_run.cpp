// The main window's side of a download: binding the library, checking the
// fields before a run, and what a run asks of the window.
#include "mainwnd/download_dlg.h"

#include "platform/ansi_text.h"
#include "platform/app_message.h"
#include "platform/text.h"
#include "res/resource.h"

#include <optional>

bool CDownloadDlg::BindDownloadLibrary() {
    return m_library.Bind(m_wComPorts);
}

void CDownloadDlg::OnDownload() {
    if (m_run.IsPolling()) {
        return; // never a second run while one is polled
    }
    bool again = true;
    while (again) {
        TakeTypedFilePath();
        // A field that failed its check has said why. The run must not go on
        // with the values held before: an address typed as "5 5" would
        // otherwise send the firmware to the CPM of the last run, which the
        // window no longer shows.
        if (!UpdateData(true) || !CheckDownloadInput()) {
            return;
        }
        const std::optional<std::string> libraryPath = platform::AnsiCompatiblePath(m_strFilePath);
        if (!libraryPath) {
            platform::ShowAppMessage(m_hWnd, platform::LoadResString(IDS_PATH_NOT_PASSABLE));
            FocusControl(IDC_EDIT_FILE);
            return;
        }
        if (!CheckFirmware()) {
            return;
        }
        // The user's choice is used even when it cannot be kept.
        if (!WriteSettings()) {
            ReportSettingsNotWritten(IDS_SETTINGS_NOT_WRITTEN);
        }
        again = m_run.Run(*this, *libraryPath);
        ReleaseFirmware();
    }
}

// Without the focus the file field shows the path shortened; with it, the
// whole path. A text that differs from what was put there was typed (Enter
// runs Download while the field still has the focus): it is the file from now
// on, before anything is checked, written or handed to the library, so that
// the library, the windows and the settings file all name the same file.
void CDownloadDlg::TakeTypedFilePath() {
    const std::string shown = ItemText(IDC_EDIT_FILE);
    if (shown == m_strFileDisplay) {
        return;
    }
    m_strFilePath = shown;
    if (GetFocus() == Item(IDC_EDIT_FILE)) {
        m_strFileDisplay = shown;
    } else {
        ShortenFilePathDisplay();
        SetItemText(IDC_EDIT_FILE, m_strFileDisplay);
    }
}

bool CDownloadDlg::CheckDownloadInput() {
    if (m_wComPorts == 0) {
        platform::ShowAppMessage(m_hWnd, platform::LoadResString(IDS_NO_PORT));
        return false;
    }
    // No selection or the "<none>" item: there is no port to hand to the library.
    if (m_nPort < 1 || m_nPort > 16) {
        platform::ShowAppMessage(m_hWnd, platform::LoadResString(IDS_NO_PORT_SELECTED));
        FocusControl(IDC_COMBO_PORT);
        return false;
    }
    if (!settings::IsValidCpmAddress(m_nCpmAddress, m_nDownloadMode)) {
        return false; // the exchange has shown why
    }
    if (m_strFilePath.empty()) {
        platform::ShowAppMessage(m_hWnd, platform::LoadResString(IDS_NO_FILE));
        FocusControl(IDC_EDIT_FILE);
        return false;
    }
    return true;
}

void CDownloadDlg::FocusControl(int id) {
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

// Not while a dialog of this window has the focus (an Exit of the status
// window under the file dialog): it keeps it.
void CDownloadDlg::FocusDownloadButton() {
    if (IsWindowEnabled(m_hWnd)) {
        FocusControl(IDC_BUTTON_DOWNLOAD);
    }
}

void CDownloadDlg::RunEnded() {
    if (m_bPortsChanged) {
        OnPortRefreshTimer();
    }
}
