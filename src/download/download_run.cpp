// One download run: the checks, the library calls, the status window and the
// polling loop that keeps both windows up to date.
#include "download/error_messages.h"
#include "download/phase_text.h"
#include "download/poll_loop.h"
#include "download/run_description.h"
#include "download/status_dlg.h"
#include "mainwnd/download_dlg.h"
#include "platform/ansi_text.h"
#include "platform/app_message.h"
#include "platform/message_box.h"
#include "platform/message_pump.h"
#include "platform/run_indicators.h"
#include "platform/text.h"
#include "platform/window_place.h"
#include "res/resource.h"

#include <chrono>
#include <functional>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;
const auto kPollInterval = std::chrono::milliseconds(200);
// How long the loop waits for a cancelled download to end once the user has
// also asked to close or repeat: a library that never reports the end must
// not keep the window (and the program) from closing.
const auto kAbortGrace = std::chrono::seconds(5);

std::string ResourceText(int id) {
    return platform::LoadResString(static_cast<UINT>(id));
}

// The polling loop's view of the library and the two windows.
class WindowPoll : public download::PollTarget {
public:
    WindowPoll(CDownloadDlg& main, CDownloadStatusDlg& status, PFN_GetDownloadStatus read,
               std::function<bool()> leaveRequested)
        : m_main(main), m_status(status), m_read(read), m_leaveRequested(std::move(leaveRequested)),
          m_lastRead(Clock::now()), m_indicators(main.GetSafeHwnd()) {}

    bool WaitForNextRead() override {
        const auto due = m_lastRead + kPollInterval;
        const auto now = Clock::now();
        const auto wait = due > now ? std::chrono::ceil<std::chrono::milliseconds>(due - now)
                                    : std::chrono::milliseconds(0);
        if (!platform::PumpMessagesFor(static_cast<DWORD>(wait.count()))) {
            return false;
        }
        if (m_status.IsFinished() && !m_abortSeen) {
            m_abortSeen = Clock::now();
        }
        return !(m_abortSeen && m_leaveRequested() && Clock::now() - *m_abortSeen >= kAbortGrace);
    }
    download::DownloadStatus ReadStatus() override {
        const int64_t packed = m_read(m_status.m_nDownloadHandle);
        m_lastRead = Clock::now();
        return download::SplitDownloadStatus(packed);
    }
    void SetCaption(const std::string& caption) override { m_main.SetCaption(caption); }
    void UpdateStatus(int status, int phase) override {
        if (status >= 0) {
            m_indicators.Progress(status);
        }
        m_status.UpdateStatus(status, phase);
    }
    void Ended(download::RunEnd end) {
        m_indicators.Ended(
            end == download::RunEnd::Finished    ? platform::RunIndicators::End::Finished
            : end == download::RunEnd::Cancelled ? platform::RunIndicators::End::Cancelled
                                                 : platform::RunIndicators::End::Failed);
    }
    void ShowError(const std::string& text) override { m_status.ShowError(text); }

private:
    CDownloadDlg& m_main;
    CDownloadStatusDlg& m_status;
    PFN_GetDownloadStatus m_read;
    std::function<bool()> m_leaveRequested;
    Clock::time_point m_lastRead;
    std::optional<Clock::time_point> m_abortSeen; // when the user asked to cancel
    platform::RunIndicators m_indicators;         // while polling only
};

} // namespace

void CDownloadDlg::OnDownload() {
    if (m_bPolling) {
        return; // never a second run while one is polled
    }
    for (;;) {
        RunDownload();
        const PendingAction action = m_pendingAction;
        m_pendingAction = PendingAction::None;
        if (action == PendingAction::None) {
            return;
        }
        CloseStatusDlg();
        if (action == PendingAction::Close) {
            return;
        }
    }
}

void CDownloadDlg::RunDownload() {
    // A field that failed its check has said why. The run must not go on with
    // the values held before: an address typed as "5 5" would otherwise send
    // the firmware to the CPM of the last run, which the window no longer shows.
    if (!UpdateData(true) || !CheckDownloadInput()) {
        return;
    }
    const std::optional<std::string> libraryPath = platform::AnsiCompatiblePath(m_strFilePath);
    if (!libraryPath) {
        platform::ShowAppMessage(m_hWnd, platform::LoadResString(IDS_PATH_NOT_PASSABLE));
        FocusControl(IDC_EDIT_FILE);
        return;
    }
    WriteSettings();
    FocusControl(IDC_BUTTON_DOWNLOAD); // before disabling, so the focus is not lost
    EnableWindow(m_hWnd, FALSE);

    const std::string fileName = download::FileNameOfPath(m_strFilePath);
    m_strDownloadInfo = download::DownloadInfo(m_nCpmAddress, m_nTarget, m_nPort, fileName);
    std::vector<char> path =
        download::LibraryBuffer(platform::ToAnsi(*libraryPath), download::kPathBufferChars);
    std::vector<char> initText = download::LibraryBuffer(
        platform::ToAnsi(m_nTarget == 0 ? m_strPrimaryInit : m_strRedundantInit),
        download::kInitTextBufferChars);
    const int32_t result = m_pfnInitDownload(
        path.data(), initText.data(), m_nPort, download::TargetAndAddress(m_nTarget, m_nCpmAddress),
        m_nBaudRate, static_cast<uint8_t>(m_nDataBits), static_cast<uint8_t>(m_nStopBits),
        static_cast<uint8_t>(m_nParity), static_cast<uint8_t>(m_nRetry));
    if (result < 0) {
        CloseStatusDlg();
        ShowDownloadError(result, m_hWnd);
        EnableWindow(m_hWnd, TRUE);
        FocusControl(IDC_BUTTON_DOWNLOAD);
        return;
    }
    m_pfnStartDownload(result);
    CreateStatusDlg(result, fileName);
    if (!m_pStatusDlg->Create(m_hWnd)) {
        // Nobody would see or stop the download that has just started.
        m_pfnAbortDownload(result);
        EnableWindow(m_hWnd, TRUE);
        platform::ShowAppMessage(m_hWnd, platform::LoadResString(IDS_STATUS_WINDOW_FAILED));
        return;
    }
    platform::CenterWindowOver(m_pStatusDlg->GetSafeHwnd(), m_hWnd);
    ShowWindow(m_pStatusDlg->GetSafeHwnd(), SW_SHOWNORMAL);
    PollDownload(m_pStatusDlg);
    EnableWindow(m_hWnd, TRUE);
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

void CDownloadDlg::PollDownload(CDownloadStatusDlg* dlg) {
    WindowPoll poll(*this, *dlg, m_pfnGetDownloadStatus,
                    [this] { return m_pendingAction != PendingAction::None; });
    m_bPolling = true;
    const download::RunEnd end = download::PollDownload(poll, ResourceText, m_nLastPercent);
    poll.Ended(end);
    m_bPolling = false;
    if (m_bPortsChanged) {
        OnPortRefreshTimer();
    }
    if (end == download::RunEnd::Stopped) {
        // The library may still be busy with it: say so (the window stays, the
        // press that ended the wait is not carried out unseen), and never
        // unload the library under its own worker.
        m_bLibraryBusy = true;
        m_pendingAction = PendingAction::None;
        dlg->UpdateStatus(-1, download::kPhaseError);
        dlg->ShowError(platform::LoadResString(IDS_END_NOT_CONFIRMED));
        SetCaption(std::string(download::kCaptionIdle) + " - Error");
    }
}

void CDownloadDlg::CreateStatusDlg(int handle, const std::string& fileName) {
    if (m_pStatusDlg != nullptr) {
        CloseStatusDlg();
    }
    m_pStatusDlg =
        new CDownloadStatusDlg(this, handle, m_nCpmAddress, download::ShortTargetName(m_nTarget),
                               fileName, m_nPort, m_nRetry);
}

void CDownloadDlg::CloseStatusDlg() {
    if (m_bPolling) {
        m_pendingAction = PendingAction::Close;
        return;
    }
    if (m_pStatusDlg != nullptr) {
        m_pStatusDlg->DestroyWindow();
        delete m_pStatusDlg;
        m_pStatusDlg = nullptr;
    }
    platform::ClearTaskbarProgress(m_hWnd);
    SetCaption(download::kCaptionIdle);
    FocusControl(IDC_BUTTON_DOWNLOAD);
}

void CDownloadDlg::RepeatDownload() {
    if (m_bPolling) {
        m_pendingAction = PendingAction::Repeat;
        return;
    }
    CloseStatusDlg();
    OnDownload();
}

void CDownloadDlg::ShowDownloadError(int code, HWND owner) {
    platform::ShowMessageBox(owner, download::ErrorBoxText(code, ResourceText), m_strDownloadInfo,
                             MB_ICONEXCLAMATION | MB_OK);
}

void CDownloadDlg::FocusControl(int id) {
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}
