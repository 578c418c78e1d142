#pragma once

#include <windows.h>

#include <functional>

struct ITaskbarList3;

namespace platform {

// The progress a window's taskbar button shows for a run, from its start
// until its result is closed. Kept, so that a button the taskbar makes only
// later (a script's status window is shown just before its run is polled;
// Explorer restarted) is given it again: the taskbar sends
// TaskbarButtonCreated once the button is there.
class TaskbarProgress {
public:
    enum class End { Finished, Cancelled, Failed };

    TaskbarProgress() = default;
    ~TaskbarProgress();
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    void Start(HWND window);   // at 0; a null window has no button
    void Progress(int status); // 0..500
    void Ended(End end);
    // The button of the window was made (anew): it shows what it should.
    void ShowAgain();
    void Clear(); // before the window goes or takes another run

private:
    void Show(int state, int status);
    void Apply() const;

    HWND m_window = nullptr;
    ::ITaskbarList3* m_taskbar = nullptr;
    int m_state = 0; // TBPF_*
    int m_status = 0;
};

// The message the taskbar sends a window once its button is there.
UINT TaskbarButtonCreatedMessage();

// Tests watch the buttons through this hook (TBPF_* state, status 0..500);
// without one the taskbar is told.
using TaskbarHook = std::function<void(HWND window, int state, int status)>;
void SetTaskbarHook(TaskbarHook hook);

} // namespace platform
