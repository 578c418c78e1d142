// One download run: the checks, the library calls, the status window and the
// polling loop that keeps both windows up to date.
#include "download/download_run.h"

#include "download/download_record.h"
#include "platform/app_message.h"
#include "platform/message_box.h"
#include "platform/message_pump.h"
#include "platform/run_indicators.h"
#include "platform/text.h"
#include "platform/window_place.h"
#include "res/resource.h"
#include "run/error_messages.h"
#include "run/phase_text.h"
#include "run/poll_loop.h"
#include "run/run_description.h"

#include <chrono>
#include <functional>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;
using platform::ResourceText;
using run::kAbortGrace;
using run::kPollInterval;

// The polling loop's view of the library and the two windows.
class WindowPoll : public run::PollTarget {
public:
    WindowPoll(download::RunHost& host, CDownloadStatusDlg& status, PFN_GetDownloadStatus read,
               std::function<bool()> leaveRequested)
        : m_host(host), m_status(status), m_read(read), m_leaveRequested(std::move(leaveRequested)),
          m_lastRead(Clock::now()), m_indicators(host.Window()) {}

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
    vardel_api::DownloadStatus ReadStatus() override {
        const int64_t packed = m_read(m_status.m_nDownloadHandle);
        m_lastRead = Clock::now();
        return vardel_api::SplitDownloadStatus(packed);
    }
    void SetCaption(const std::string& caption) override { m_host.SetCaption(caption); }
    void UpdateStatus(int status, int phase) override {
        if (status >= 0) {
            m_indicators.Progress(status);
        }
        m_status.UpdateStatus(status, phase);
    }
    void Ended(run::RunEnd end) {
        m_indicators.Ended(end == run::RunEnd::Finished    ? platform::RunIndicators::End::Finished
                           : end == run::RunEnd::Cancelled ? platform::RunIndicators::End::Cancelled
                                                           : platform::RunIndicators::End::Failed);
    }
    void ShowError(const std::string& text) override { m_status.ShowError(text); }

private:
    download::RunHost& m_host;
    CDownloadStatusDlg& m_status;
    PFN_GetDownloadStatus m_read;
    std::function<bool()> m_leaveRequested;
    Clock::time_point m_lastRead;
    std::optional<Clock::time_point> m_abortSeen; // when the user asked to cancel
    platform::RunIndicators m_indicators;         // while polling only
};

} // namespace

namespace download {

DownloadRun::DownloadRun(DownloadLibrary& library, RunHost& host)
    : m_library(library), m_host(host) {}

DownloadRun::~DownloadRun() = default;

bool DownloadRun::Run(const DownloadSettings& settings, const std::string& libraryPath) {
    m_host.FocusDownloadButton(); // before disabling, so the focus is not lost
    m_host.EnableInput(false);

    m_started = Clock::now();
    m_startedUtc = UtcNow();
    const std::string fileName = run::FileNameOfPath(settings.m_strFilePath);
    m_strDownloadInfo =
        run::DownloadInfo(settings.m_nCpmAddress, settings.m_nTarget, settings.m_nPort, fileName);
    const int32_t result = m_library.InitDownloadFor(settings, libraryPath);
    if (result < 0) {
        CloseStatusDlg();
        if (m_host.MessageBoxesAllowed()) {
            ShowDownloadError(result, m_host.Window());
        }
        m_host.EnableInput(true);
        m_host.FocusDownloadButton();
        Finish(settings, run::ResultOfStartError(result, ResourceText));
        return false;
    }
    m_library.m_pfnStartDownload(result);
    CreateStatusDlg(result, settings, fileName);
    if (!m_pStatusDlg->Create(m_host.Window())) {
        // Nobody would see or stop the download that has just started.
        m_library.m_pfnAbortDownload(result);
        m_host.EnableInput(true);
        run::RunResult failed;
        failed.outcome = run::Outcome::Failed;
        failed.text = platform::LoadResString(IDS_STATUS_WINDOW_FAILED);
        if (m_host.MessageBoxesAllowed()) {
            platform::ShowAppMessage(m_host.Window(), failed.text);
        }
        Finish(settings, failed);
        return false;
    }
    m_host.StatusWindowOpened(*m_pStatusDlg);
    platform::CenterWindowOver(m_pStatusDlg->GetSafeHwnd(), m_host.Window());
    ShowWindow(m_pStatusDlg->GetSafeHwnd(), SW_SHOWNORMAL);
    PollDownload(m_pStatusDlg.get());
    m_host.EnableInput(true);
    Finish(settings, m_lastResult);

    const PendingAction action = m_pendingAction;
    m_pendingAction = PendingAction::None;
    if (action != PendingAction::None) {
        CloseStatusDlg();
    }
    return action == PendingAction::Repeat;
}

void DownloadRun::PollDownload(CDownloadStatusDlg* dlg) {
    WindowPoll poll(m_host, *dlg, m_library.m_pfnGetDownloadStatus,
                    [this] { return m_pendingAction != PendingAction::None; });
    m_bPolling = true;
    int endStatus = 0;
    const run::RunEnd end = run::PollDownload(poll, ResourceText, m_nLastPercent, &endStatus);
    m_lastResult = run::ResultOfEnd(end, endStatus, ResourceText);
    poll.Ended(end);
    m_bPolling = false;
    m_host.RunEnded();
    if (end == run::RunEnd::Stopped) {
        // The library may still be busy with it: say so (the window stays, the
        // press that ended the wait is not carried out unseen), and never
        // unload the library under its own worker.
        m_library.KeepLoaded();
        m_pendingAction = PendingAction::None;
        dlg->UpdateStatus(-1, run::kPhaseError);
        dlg->ShowError(platform::LoadResString(IDS_END_NOT_CONFIRMED));
        m_host.SetCaption(std::string(run::kCaptionIdle) + " - Error");
    }
}

// Completes the result with the run's times and hands it to the host.
void DownloadRun::Finish(const DownloadSettings& settings, run::RunResult result) {
    result.started = m_startedUtc;
    result.seconds = std::chrono::duration<double>(Clock::now() - m_started).count();
    m_lastResult = result;
    m_host.RunFinished(settings, m_lastResult);
}

void DownloadRun::CreateStatusDlg(int handle, const DownloadSettings& settings,
                                  const std::string& fileName) {
    if (m_pStatusDlg != nullptr) {
        CloseStatusDlg();
    }
    StatusOwner& owner = *this;
    m_pStatusDlg = std::make_unique<CDownloadStatusDlg>(
        owner, handle, settings.m_nCpmAddress, run::ShortTargetName(settings.m_nTarget), fileName,
        settings.m_nPort, settings.m_nRetry);
}

void DownloadRun::CloseStatusDlg() {
    if (m_bPolling) {
        m_pendingAction = PendingAction::Close;
        return;
    }
    if (m_pStatusDlg != nullptr) {
        m_pStatusDlg->DestroyWindow();
        m_pStatusDlg.reset();
    }
    platform::ClearTaskbarProgress(m_host.Window());
    m_host.SetCaption(run::kCaptionIdle);
    m_host.FocusDownloadButton();
}

void DownloadRun::RepeatDownload() {
    if (m_bPolling) {
        m_pendingAction = PendingAction::Repeat;
        return;
    }
    if (!m_host.CanStartAgain()) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    CloseStatusDlg();
    m_host.StartAgain();
}

void DownloadRun::AbortDownload(int handle) {
    if (m_library.m_pfnAbortDownload) {
        m_library.m_pfnAbortDownload(handle);
    }
}

void DownloadRun::ShowDownloadError(int code, HWND owner) const {
    platform::ShowMessageBox(owner, run::ErrorBoxText(code, ResourceText), m_strDownloadInfo,
                             MB_ICONEXCLAMATION | MB_OK);
}

} // namespace download
