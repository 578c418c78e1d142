// The main window's runs in the download record.
#include "mainwnd/download_dlg.h"

#include "platform/app_message.h"
#include "platform/profile_file.h"
#include "platform/text.h"
#include "platform/win_app.h"
#include "script/report_lines.h"

void CDownloadDlg::OpenRecord() {
    const std::string& settingsPath = platform::GetApp().m_strProfileName;
    platform::ProfileFile profile(settingsPath);
    const HWND owner = m_hWnd;
    m_record.Open(script::RecordPathSetting(profile, settingsPath),
                  [owner](const std::string& text) { platform::ShowAppMessage(owner, text); });
}

void CDownloadDlg::RunFinished(const DownloadSettings& settings, const run::RunResult& result) {
    script::RunFacts facts = script::FactsOf(settings, result, platform::ResourceText);
    facts.simulated = m_library.IsSimulator(); // said in the record; the window keeps its texts
    m_record.Write(facts);
}
