#pragma once

#include <windows.h>

#include <functional>

struct ITaskbarList3;

namespace platform {

// What a running download shows outside its windows: the computer stays
// awake with the display on, and the taskbar button carries the progress.
class RunIndicators {
public:
    enum class End { Finished, Cancelled, Failed };

    explicit RunIndicators(HWND taskbarWindow);
    ~RunIndicators(); // lets the computer sleep again, however the run ended
    RunIndicators(const RunIndicators&) = delete;
    RunIndicators& operator=(const RunIndicators&) = delete;

    void Progress(int status); // 0..500
    void Ended(End end);

private:
    HWND m_window;
    ::ITaskbarList3* m_taskbar = nullptr;
    int m_status = 0;
};

// Removes the taskbar progress of a window once its run's result is closed.
void ClearTaskbarProgress(HWND window);

// Tests watch the execution-state requests through this hook; without one
// the system's SetThreadExecutionState is called.
using ExecutionStateHook = std::function<void(EXECUTION_STATE flags)>;
void SetExecutionStateHook(ExecutionStateHook hook);

} // namespace platform
