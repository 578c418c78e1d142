// One download run: the library calls, the status window and the polling
// loop that keeps both windows up to date.
#include "download/download_run.h"

#include "download/download_record.h"
#include "platform/app_message.h"
#include "platform/message_box.h"
#include "platform/message_pump.h"
#include "platform/run_indicators.h"
#include "platform/session_end.h"
#include "platform/text.h"
#include "platform/window_place.h"
#include "res/resource.h"
#include "run/error_messages.h"
#include "run/phase_text.h"
#include "run/poll_loop.h"
#include "run/run_description.h"

#include <chrono>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;
using platform::ResourceText;

// The window whose taskbar button shows the run: the host's. A script's
// runs have none; their status window, without an owner, has the button.
HWND TaskbarWindow(const download::RunHost& host, const CDownloadStatusDlg* status) {
    if (host.Window() != nullptr || status == nullptr) {
        return host.Window();
    }
    return status->GetSafeHwnd();
}

// The polling loop's view of the library and of what shows the run: the
// status window and the host's caption, or, for a run without windows,
// nothing but the taskbar and the keep-awake request.
class RunPoll : public run::PollTarget {
public:
    RunPoll(download::RunHost& host, CDownloadStatusDlg* status, PFN_GetDownloadStatus read,
            int handle, std::function<void()> abort, platform::TaskbarProgress& taskbar)
        : m_host(host), m_status(status), m_read(read), m_handle(handle), m_abort(std::move(abort)),
          m_indicators(taskbar, TaskbarWindow(host, status)) {}

    bool WaitUntil(Clock::time_point until, const std::function<bool()>& wake) override {
        return platform::PumpMessagesUntil(until, wake);
    }
    vardel_api::DownloadStatus ReadStatus() override {
        return vardel_api::SplitDownloadStatus(m_read(m_handle));
    }
    void Abort() override {
        m_abort();
        if (m_status) {
            m_status->ShowCancelRequested();
        }
    }
    void SetCaption(const std::string& caption) override { m_host.SetCaption(caption); }
    void UpdateStatus(int status, int phase) override {
        if (status >= 0) {
            m_indicators.Progress(status);
            m_host.Progress(status, phase);
        }
        if (m_status) {
            m_status->UpdateStatus(status, phase);
        }
    }
    void ShowError(const std::string& text) override {
        if (m_status) {
            m_status->ShowError(text);
        }
    }
    void Ended(run::RunEnd end) {
        m_indicators.Ended(end == run::RunEnd::Finished    ? platform::RunIndicators::End::Finished
                           : end == run::RunEnd::Cancelled ? platform::RunIndicators::End::Cancelled
                                                           : platform::RunIndicators::End::Failed);
    }

private:
    download::RunHost& m_host;
    CDownloadStatusDlg* m_status;
    PFN_GetDownloadStatus m_read;
    const int m_handle;
    std::function<void()> m_abort;
    platform::RunIndicators m_indicators; // while polling only
};

run::RunResult ResultWithText(run::Outcome outcome, UINT textId) {
    run::RunResult result;
    result.outcome = outcome;
    result.text = platform::LoadResString(textId);
    return result;
}

} // namespace

namespace download {

DownloadRun::DownloadRun(DownloadLibrary& library, RunHost& host, run::StopRequest& stop)
    : m_library(library), m_host(host), m_stop(stop) {}

DownloadRun::~DownloadRun() = default;

bool DownloadRun::HasStatusWindow() const {
    return m_pStatusDlg != nullptr && m_pStatusDlg->GetSafeHwnd() != nullptr;
}

bool DownloadRun::Run(const DownloadSettings& settings, const std::string& libraryPath) {
    m_stop.Reset();
    m_pSettings = &settings;
    m_bAborted = false;
    m_bResultGiven = false;
    m_host.FocusDownloadButton(); // before disabling, so the focus is not lost
    m_host.EnableInput(false);

    m_started = Clock::now();
    m_startedUtc = UtcNow();
    const std::string fileName = run::FileNameOfPath(settings.m_strFilePath);
    m_strDownloadInfo =
        run::DownloadInfo(settings.m_nCpmAddress, settings.m_nTarget, settings.m_nPort, fileName);
    m_nHandle = m_library.InitDownloadFor(settings, libraryPath);
    if (m_nHandle < 0) {
        CloseStatusDlg();
        // Enabled before the box, which disables it while it is open: a box
        // whose owner is disabled when it closes cannot hand the activation
        // back, and Windows gives it to another program.
        m_host.EnableInput(true);
        if (m_host.MessageBoxesAllowed()) {
            ShowDownloadError(m_nHandle, m_host.Window());
        }
        m_host.FocusDownloadButton();
        Finish(run::ResultOfStartError(m_nHandle, ResourceText));
        return false;
    }
    if (m_stop.Stopped()) {
        // Asked for while InitDownload ran: the download is never started.
        AbortOnce();
        m_host.EnableInput(true);
        Finish(ResultWithText(run::Outcome::Cancelled, IDS_STOPPED_BEFORE_START));
        return false;
    }
    m_library.m_pfnStartDownload(m_nHandle);
    if (m_host.ShowsStatusWindow() && !OpenStatusDlg(settings, fileName)) {
        return false;
    }
    const run::RunResult result = PollDownload();
    m_host.EnableInput(true);
    Finish(result);

    const run::AfterRun after = m_stop.TakeAfterRun();
    if (after != run::AfterRun::Stay) {
        CloseStatusDlg();
    }
    return after == run::AfterRun::Repeat;
}

// false: it could not be made, and the started download has been aborted.
bool DownloadRun::OpenStatusDlg(const DownloadSettings& settings, const std::string& fileName) {
    CreateStatusDlg(m_nHandle, settings, fileName);
    if (!m_pStatusDlg->Create(m_host.Window())) {
        // Nobody would see or stop the download that has just started.
        AbortOnce();
        m_host.EnableInput(true);
        const run::RunResult failed =
            ResultWithText(run::Outcome::Failed, IDS_STATUS_WINDOW_FAILED);
        if (m_host.MessageBoxesAllowed()) {
            platform::ShowAppMessage(m_host.Window(), failed.text);
        }
        Finish(failed);
        return false;
    }
    m_host.StatusWindowOpened(*m_pStatusDlg);
    platform::CenterWindowOver(m_pStatusDlg->GetSafeHwnd(), m_host.Window());
    ShowWindow(m_pStatusDlg->GetSafeHwnd(), SW_SHOWNORMAL);
    return true;
}

run::RunResult DownloadRun::PollDownload() {
    RunPoll poll(
        m_host, m_pStatusDlg.get(), m_library.m_pfnGetDownloadStatus, m_nHandle,
        [this] { AbortOnce(); }, m_taskbar);
    run::PollEnd end;
    {
        // Polling inside the block: whoever waits for it to end (on the
        // thread of the window that gives the reason) waits for no more.
        const platform::SessionEndBlock block(
            m_host.SessionWindow(),
            platform::FormatText(platform::LoadResString(IDS_SESSION_BLOCK_REASON),
                                 {m_strDownloadInfo}));
        m_bPolling = true;
        end = run::PollDownload(poll, m_stop, ResourceText, m_nLastPercent, m_pollOptions);
        m_bPolling = false;
    }
    poll.Ended(end.end);
    m_host.RunEnded();
    if (end.end == run::RunEnd::Stopped) {
        // The library may still be busy with it: never unload the library
        // under its own worker. The window stays with the reason; a press
        // that ended the wait is not carried out unseen.
        m_library.KeepLoaded();
        m_stop.TakeAfterRun();
    }
    return run::ResultOfEnd(end, ResourceText, m_pollOptions);
}

// Completes the result with the run's times and hands it to the host, once.
void DownloadRun::Finish(run::RunResult result) {
    if (m_bResultGiven) {
        return;
    }
    m_bResultGiven = true;
    result.started = m_startedUtc;
    result.seconds = std::chrono::duration<double>(Clock::now() - m_started).count();
    m_host.RunFinished(*m_pSettings, result);
}

void DownloadRun::OnSessionEnd(bool ending) {
    if (!ending || !m_bPolling) {
        return;
    }
    m_stop.Stop(run::StopReason::SessionEnd);
    AbortOnce();
    Finish(ResultWithText(run::Outcome::Cancelled, IDS_SESSION_ENDED));
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
        m_stop.Leave(run::AfterRun::Close);
        return;
    }
    m_taskbar.Clear(); // while its window is there
    if (m_pStatusDlg != nullptr) {
        m_pStatusDlg->DestroyWindow();
        m_pStatusDlg.reset();
    }
    m_host.SetCaption(run::kCaptionIdle);
    m_host.FocusDownloadButton();
}

void DownloadRun::RepeatDownload() {
    if (m_bPolling) {
        m_stop.Leave(run::AfterRun::Repeat);
        return;
    }
    if (!m_host.CanStartAgain()) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    CloseStatusDlg();
    m_host.StartAgain();
}

void DownloadRun::TaskbarButtonCreated() {
    m_taskbar.ShowAgain();
}

void DownloadRun::CancelDownload() {
    if (m_bPolling) {
        // The press comes on the thread that polls, between two reads: the
        // library is asked now, not at the poll's next turn.
        m_stop.Stop(run::StopReason::Cancel);
        AbortOnce();
        return;
    }
    // The library ended the run as cancelled while nobody had pressed
    // Cancel: the press asks it once more to abort that run's handle.
    if (m_pStatusDlg != nullptr && m_library.m_pfnAbortDownload) {
        m_library.m_pfnAbortDownload(m_pStatusDlg->m_nDownloadHandle);
    }
}

// However many ask (Cancel, Ctrl+C, the session's end), the library is asked once.
void DownloadRun::AbortOnce() {
    if (!m_bAborted && m_library.m_pfnAbortDownload) {
        m_library.m_pfnAbortDownload(m_nHandle);
        m_bAborted = true; // once sent: whoever waits for it may go on
    }
}

void DownloadRun::ShowDownloadError(int code, HWND owner) const {
    platform::ShowMessageBox(owner, run::ErrorBoxText(code, ResourceText), m_strDownloadInfo,
                             MB_ICONEXCLAMATION | MB_OK);
}

} // namespace download
