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
    std::function<void(bool)> action;
    bool watching = false;
};

Interrupt& TheInterrupt() {
    static Interrupt interrupt;
    return interrupt;
}

// A closed console ends the process about 5 s after the event, whatever the
// handler does (SPI_GETHUNGAPPTIMEOUT): until a little before that, the
// handler lets the program end the run and itself.
const auto kCloseGrace = std::chrono::milliseconds(4500);

BOOL WINAPI OnControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    const auto until = std::chrono::steady_clock::now() + kCloseGrace;
    Interrupt& interrupt = TheInterrupt();
    {
        std::lock_guard<std::mutex> lock(interrupt.mutex);
        if (!interrupt.action) {
            return FALSE;
        }
        interrupt.action(type == CTRL_CLOSE_EVENT);
    }
    while (type == CTRL_CLOSE_EVENT && std::chrono::steady_clock::now() < until) {
        {
            std::lock_guard<std::mutex> lock(interrupt.mutex);
            if (!interrupt.watching) {
                break;
            }
        }
        Sleep(50);
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

void OnConsoleInterrupt(std::function<void(bool)> action) {
    const bool watch = static_cast<bool>(action);
    Interrupt& interrupt = TheInterrupt();
    {
        std::lock_guard<std::mutex> lock(interrupt.mutex);
        interrupt.action = std::move(action);
        interrupt.watching = watch;
    }
    SetConsoleCtrlHandler(OnControl, watch ? TRUE : FALSE);
    if (watch) {
        // Started by `start /b`, or by any parent in a process group of its
        // own, the program inherited "ignore Ctrl+C": Ctrl+C stops a
        // sequence as surely as Ctrl+Break does.
        SetConsoleCtrlHandler(nullptr, FALSE);
    }
}

PHANDLER_ROUTINE ConsoleControlHandler() {
    return OnControl;
}

} // namespace platform
