#pragma once

#include "download/download_library.h"
#include "download/run_host.h"
#include "download/status_dlg.h"
#include "platform/taskbar_progress.h"
#include "run/poll_loop.h"
#include "run/stop_request.h"
#include "settings/download_settings.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

namespace download {

// One download at a time, from InitDownload to its result: the library calls,
// the status window (when the host wants one), the polling loop and what the
// computer shows meanwhile. The status window stays with the result until
// Exit or Repeat Download.
class DownloadRun : private StatusOwner {
public:
    // stop is shared with whoever else may ask the runs to stop.
    DownloadRun(DownloadLibrary& library, RunHost& host, run::StopRequest& stop);
    ~DownloadRun() override;
    DownloadRun(const DownloadRun&) = delete;
    DownloadRun& operator=(const DownloadRun&) = delete;

    // Runs the download the checked settings describe; libraryPath is the
    // firmware file's path as the library can open it. Returns when the run
    // has ended. true: the user pressed Repeat Download while it was polled,
    // and the caller starts the next run from its current fields.
    bool Run(const DownloadSettings& settings, const std::string& libraryPath);
    // A script's runs: aborted when the library reports no progress this long.
    void SetPollOptions(const run::PollOptions& options) { m_pollOptions = options; }
    // Both may be asked from any thread.
    bool IsPolling() const { return m_bPolling; }
    // Whether the library was asked to abort the run being made.
    bool AbortSent() const { return m_bAborted; }
    bool HasStatusWindow() const;

    // Exit and Repeat Download of the status window. While a run is polled
    // they are carried out right after the polling loop, which still uses
    // the window.
    void CloseStatusDlg() override;
    void RepeatDownload() override;
    // The button of the window that shows the run's progress was made (anew).
    void TaskbarButtonCreated() override;
    void ShowDownloadError(int code, HWND owner) const;

    // Windows asks whether the session may end: not while a run is polled.
    bool SessionMayEnd() const { return !m_bPolling; }
    // The session ends (ending) or goes on after all. A run that is polled
    // is aborted and its result given at once: the process may be ended as
    // soon as this returns.
    void OnSessionEnd(bool ending);

    // "CPM 5 (red) on COM 2 <app.fdl>": the caption of the run's messages.
    const std::string& DownloadInfo() const { return m_strDownloadInfo; }

private:
    void CancelDownload() override;
    void AbortOnce();
    bool OpenStatusDlg(const DownloadSettings& settings, const std::string& fileName);
    void CreateStatusDlg(int handle, const DownloadSettings& settings, const std::string& fileName);
    run::RunResult PollDownload();
    void Finish(run::RunResult result);

    DownloadLibrary& m_library;
    RunHost& m_host;
    run::StopRequest& m_stop;
    std::unique_ptr<CDownloadStatusDlg> m_pStatusDlg;
    platform::TaskbarProgress m_taskbar; // the run's, until its result is closed
    std::string m_strDownloadInfo;
    int m_nLastPercent = 0;
    run::PollOptions m_pollOptions;
    std::atomic<bool> m_bPolling{false};
    // The run being made: its handle, settings, whether it was aborted and
    // whether its result has been given.
    int m_nHandle = -1;
    const DownloadSettings* m_pSettings = nullptr;
    std::atomic<bool> m_bAborted{false};
    bool m_bResultGiven = false;
    run::UtcTime m_startedUtc;
    std::chrono::steady_clock::time_point m_started;
};

} // namespace download
