#include "platform/console.h"

#include "platform/text.h"

#include <chrono>
#include <mutex>

namespace platform {
namespace {

bool IsUsable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// The handler runs on a thread of the system's while the program goes on.
struct Interrupt {
    std::mutex mutex;
    std::function<void()> action;
    bool watching = false;
};

Interrupt& TheInterrupt() {
    static Interrupt interrupt;
    return interrupt;
}

// A closed console ends the process once the handler returns (Windows allows
// it 5 s): the handler holds it until the run is aborted and told.
const auto kCloseGrace = std::chrono::milliseconds(4500);

BOOL WINAPI OnControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    Interrupt& interrupt = TheInterrupt();
    {
        std::lock_guard<std::mutex> lock(interrupt.mutex);
        if (!interrupt.action) {
            return FALSE;
        }
        interrupt.action();
    }
    if (type == CTRL_CLOSE_EVENT) {
        const auto until = std::chrono::steady_clock::now() + kCloseGrace;
        while (std::chrono::steady_clock::now() < until) {
            {
                std::lock_guard<std::mutex> lock(interrupt.mutex);
                if (!interrupt.watching) {
                    break;
                }
            }
            Sleep(50);
        }
    }
    return TRUE;
}

} // namespace

ConsoleOutput::ConsoleOutput() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (IsUsable(output)) {
        m_handle = output;
        return;
    }
    // A program with windows gets no console of its own: it borrows the one
    // of the command prompt or PowerShell it was started from.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        m_handle = console;
        m_bOwned = true;
    }
}

ConsoleOutput::~ConsoleOutput() {
    if (m_bOwned) {
        CloseHandle(m_handle);
    }
}

void ConsoleOutput::WriteLine(const std::string& text) const {
    if (m_handle == nullptr) {
        return;
    }
    std::string utf8; // the lines of a message end in CR LF, as in any Windows text
    for (char c : text) {
        if (c == '\n' && (utf8.empty() || utf8.back() != '\r')) {
            utf8 += '\r';
        }
        utf8 += c;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(m_handle, &mode)) {
        // A console shows any character this way, whatever its code page.
        const std::wstring wide = Widen(utf8 + "\r\n");
        WriteConsoleW(m_handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        const std::string line = utf8 + "\r\n";
        WriteFile(m_handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

void OnConsoleInterrupt(std::function<void()> action) {
    const bool watch = static_cast<bool>(action);
    Interrupt& interrupt = TheInterrupt();
    {
        std::lock_guard<std::mutex> lock(interrupt.mutex);
        interrupt.action = std::move(action);
        interrupt.watching = watch;
    }
    if (watch) {
        // Ctrl+C reaches only the processes attached to the console; one
        // whose output is redirected had no need to attach for its lines.
        // Fails harmlessly when attached already or started without one.
        AttachConsole(ATTACH_PARENT_PROCESS);
    }
    SetConsoleCtrlHandler(OnControl, watch ? TRUE : FALSE);
}

PHANDLER_ROUTINE ConsoleControlHandler() {
    return OnControl;
}

} // namespace platform
