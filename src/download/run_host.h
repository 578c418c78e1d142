#pragma once

#include "run/run_result.h"
#include "settings/download_settings.h"

#include <windows.h>

#include <string>

class CDownloadStatusDlg;

namespace download {

// What a download run needs of the window it was started from.
class RunHost {
public:
    virtual ~RunHost() = default;
    // Owner of the status window and of the run's message boxes; its
    // taskbar button shows the progress. Null: none (a script's runs).
    virtual HWND Window() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // The window takes no input while the run is polled.
    virtual void EnableInput(bool enable) = 0;
    virtual void FocusDownloadButton() = 0;
    // Polling has ended: what was put off until then (a port list refill) is done.
    virtual void RunEnded() = 0;
    // Repeat Download once no run is polled: a new run from the window's
    // fields as they are now. Not while the window is busy with a dialog of
    // its own (the file dialog, a message): a run would bring the window back
    // to life under it.
    virtual bool CanStartAgain() const = 0;
    virtual void StartAgain() = 0;

    // Whether the run may show message boxes. A script that nobody watches
    // says what they would have said from the run's result instead.
    virtual bool MessageBoxesAllowed() const { return true; }
    // Whether the run shows a status window at all (a script may want none).
    virtual bool ShowsStatusWindow() const { return true; }
    // The top-level window that Windows asks whether the session may end.
    virtual HWND SessionWindow() const { return Window(); }
    // One status read of a run in progress: status 0..499, phase a row of
    // the phase table or none (-1); for what shows it beside the windows.
    virtual void Progress(int status, int phase) {
        (void)status;
        (void)phase;
    }
    // The run's status window has been made and is about to be shown.
    virtual void StatusWindowOpened(CDownloadStatusDlg& dlg) { (void)dlg; }
    // Every run's end, once: the library refused it, it ended, nobody could
    // watch it, or the session ended. For the download record and a
    // script's exit code.
    virtual void RunFinished(const DownloadSettings& settings, const run::RunResult& result) {
        (void)settings;
        (void)result;
    }
};

} // namespace download
