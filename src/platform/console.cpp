#include "platform/console.h"

#include <chrono>
#include <mutex>

namespace platform {
namespace {

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}

// The handler runs on a thread of the system's while the program goes on.
struct Interrupt {
    std::mutex mutex;
    std::function<int(bool)> action;
    std::chrono::milliseconds closeWait{0};
    std::function<void(UINT)> endHook;
};

Interrupt& TheInterrupt() {
    static Interrupt interrupt;
    return interrupt;
}

// Ends the process from the handler's thread with the program's exit code.
// Not ExitProcess: the runs' thread may be inside the library or hold a
// lock that the DLLs' detaching would wait for until Windows kills it.
void EndProcess(UINT exitCode) {
    std::function<void(UINT)> hook;
    {
        std::lock_guard<std::mutex> lock(TheInterrupt().mutex);
        hook = TheInterrupt().endHook;
    }
    if (hook) {
        hook(exitCode);
        return;
    }
    TerminateProcess(GetCurrentProcess(), exitCode);
}

BOOL WINAPI OnControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    const auto start = std::chrono::steady_clock::now();
    Interrupt& interrupt = TheInterrupt();
    int exitCode = 0;
    std::chrono::milliseconds wait{0};
    {
        std::lock_guard<std::mutex> lock(interrupt.mutex);
        if (!interrupt.action) {
            return FALSE;
        }
        exitCode = interrupt.action(type == CTRL_CLOSE_EVENT);
        wait = interrupt.closeWait;
    }
    if (type == CTRL_CLOSE_EVENT) {
        // The program ends itself meanwhile, with this code as a rule. This
        // thread does not return before: Windows would end the process at
        // once, racing the program's own exit code.
        const auto left = wait - (std::chrono::steady_clock::now() - start);
        if (left > std::chrono::milliseconds(0)) {
            Sleep(static_cast<DWORD>(
                std::chrono::duration_cast<std::chrono::milliseconds>(left).count()));
        }
        EndProcess(static_cast<UINT>(exitCode));
    }
    return TRUE;
}

} // namespace

void LeaveOwnConsole() {
    // Its own: no other process uses it. A console without a visible window
    // (a terminal's, a scheduler's) shows nothing that could stay behind.
    DWORD processes[2] = {};
    const HWND window = GetConsoleWindow();
    if (window != nullptr && IsWindowVisible(window) && GetConsoleProcessList(processes, 2) == 1) {
        LeaveConsole();
    }
}

void LeaveConsole() {
    // The standard handles that lead to the console are gone with it: no
    // later line may go to a handle that by then means something else.
    const DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    bool console[3] = {};
    for (int i = 0; i < 3; ++i) {
        console[i] = IsConsole(GetStdHandle(kinds[i]));
    }
    if (!FreeConsole()) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        if (console[i]) {
            SetStdHandle(kinds[i], nullptr);
        }
    }
}

void OnConsoleInterrupt(std::function<int(bool)> action, std::chrono::milliseconds closeWait) {
    const bool watch = static_cast<bool>(action);
    Interrupt& interrupt = TheInterrupt();
    {
        std::lock_guard<std::mutex> lock(interrupt.mutex);
        interrupt.action = std::move(action);
        interrupt.closeWait = closeWait;
    }
    SetConsoleCtrlHandler(OnControl, watch ? TRUE : FALSE);
    if (watch) {
        // Started by `start /b`, or by any parent in a process group of its
        // own, the program inherited "ignore Ctrl+C": Ctrl+C stops a
        // sequence as surely as Ctrl+Break does.
        SetConsoleCtrlHandler(nullptr, FALSE);
    }
}

void SetProcessEndHook(std::function<void(UINT)> hook) {
    std::lock_guard<std::mutex> lock(TheInterrupt().mutex);
    TheInterrupt().endHook = std::move(hook);
}

PHANDLER_ROUTINE ConsoleControlHandler() {
    return OnControl;
}

} // namespace platform
