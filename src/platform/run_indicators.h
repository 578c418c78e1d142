#pragma once

#include "platform/taskbar_progress.h"

#include <windows.h>

#include <functional>

namespace platform {

// What a running download shows outside its windows: the computer stays
// awake with the display on, and the taskbar button carries the progress.
class RunIndicators {
public:
    using End = TaskbarProgress::End;

    // taskbarWindow: the window whose button shows the run (null: none).
    RunIndicators(TaskbarProgress& taskbar, HWND taskbarWindow);
    ~RunIndicators(); // lets the computer sleep again, however the run ended
    RunIndicators(const RunIndicators&) = delete;
    RunIndicators& operator=(const RunIndicators&) = delete;

    void Progress(int status) { m_taskbar.Progress(status); } // 0..500
    void Ended(End end) { m_taskbar.Ended(end); }             // the button keeps it until cleared

private:
    TaskbarProgress& m_taskbar;
};

// Tests watch the execution-state requests through this hook; without one
// the system's SetThreadExecutionState is called.
using ExecutionStateHook = std::function<void(EXECUTION_STATE flags)>;
void SetExecutionStateHook(ExecutionStateHook hook);

} // namespace platform
