#pragma once

#include <windows.h>

#include <string>

namespace download {

// What a download run needs of the window it was started from.
class RunHost {
public:
    virtual ~RunHost() = default;
    // Owner of the status window, of the run's message boxes and of the
    // taskbar progress.
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
};

} // namespace download
