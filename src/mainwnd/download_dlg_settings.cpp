// The main window's settings operations on the application's settings file.
#include "mainwnd/download_dlg.h"

#include "platform/ansi_text.h"
#include "platform/app_message.h"
#include "platform/profile_file.h"
#include "platform/text.h"
#include "platform/win_app.h"
#include "res/resource.h"
#include "settings/settings_path.h"

int CDownloadDlg::ReadSettings() {
    platform::ProfileFile profile(platform::GetApp().m_strProfileName);
    const HWND owner = m_hWnd;
    return settings::ReadSettings(
        *this, profile, m_wComPorts,
        settings::FirmwarePathFromCommandLine(platform::GetApp().m_strCmdLine), [owner] {
            platform::ShowAppMessage(owner, platform::LoadResString(IDS_PORT_NOT_AVAILABLE));
        });
}

void CDownloadDlg::SetDefaultSettings() {
    settings::SetDefaultSettings(*this);
    // A file handed over on the command line is what the user asked for; an
    // unusable settings record is no reason to forget it.
    m_strFilePath = settings::FirmwarePathFromCommandLine(platform::GetApp().m_strCmdLine);
}

bool CDownloadDlg::WriteSettings() {
    platform::ProfileFile profile(platform::GetApp().m_strProfileName);
    // The settings file is kept in the ANSI code page: a path it cannot hold
    // is stored by its short form, which still finds the file next time,
    // rather than with its foreign characters turned into '?'.
    DownloadSettings stored = *this;
    if (const std::optional<std::string> path = platform::AnsiCompatiblePath(m_strFilePath)) {
        stored.m_strFilePath = *path;
    }
    return settings::WriteSettings(stored, profile);
}

// Once per program run: a file that cannot be written now will not be
// writable at the next download either, and the user knows it by then.
void CDownloadDlg::ReportSettingsNotWritten(UINT messageId) {
    if (m_bSettingsWriteReported) {
        return;
    }
    m_bSettingsWriteReported = true;
    platform::ShowAppMessage(
        m_hWnd, platform::LoadResString(messageId, platform::GetApp().m_strProfileName));
}
