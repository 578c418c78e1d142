// The main window's check of the firmware file against the plant's list of
// approved firmware, before any library call.
#include "mainwnd/download_dlg.h"

#include "platform/app_message.h"
#include "platform/profile_file.h"
#include "platform/win_app.h"
#include "res/resource.h"
#include "script/approved_list.h"

bool CDownloadDlg::CheckFirmware() {
    // Read at every download: a plant that switches the list on, or releases
    // a new firmware into it, is obeyed at once.
    const std::string& settingsPath = platform::GetApp().m_strProfileName;
    platform::ProfileFile profile(settingsPath);
    const std::string refusal =
        m_firmware.Check(m_strFilePath, "", script::ApprovedListSetting(profile, settingsPath));
    if (refusal.empty()) {
        m_record.SetCheckedFile(m_firmware.Checked());
        return true;
    }
    m_firmware.Release();
    platform::ShowAppMessage(m_hWnd, refusal);
    FocusControl(IDC_EDIT_FILE);
    return false;
}

void CDownloadDlg::ReleaseFirmware() {
    m_record.SetCheckedFile(std::nullopt);
    m_firmware.Release();
}
