#include "platform/console.h"

#include "platform/text.h"

#include <chrono>

namespace platform {
namespace {

bool IsUsable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

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

// The console's width in characters; 0 when it cannot be had.
size_t ConsoleWidth(HANDLE console) {
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    return GetConsoleScreenBufferInfo(console, &info) && info.dwSize.X > 0
               ? static_cast<size_t>(info.dwSize.X)
               : 0;
}

} // namespace

ConsoleOutput::ConsoleOutput() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (IsUsable(output)) {
        m_handle = output;
    } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        // A program with windows gets no console of its own: it borrows the
        // one of the command prompt or PowerShell it was started from.
        const HANDLE console =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            m_handle = console;
            m_bOwned = true;
        }
    }
    m_bConsole = m_handle != nullptr && IsConsole(m_handle);
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
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bConsole) {
        const std::string line = utf8 + "\r\n";
        DWORD written = 0;
        WriteFile(m_handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    // The progress line is blanked and the line written in its place.
    std::wstring line;
    if (m_nProgressLength > 0) {
        line = L"\r" + std::wstring(m_nProgressLength, L' ') + L"\r";
        m_nProgressLength = 0;
    }
    Write(line + Widen(utf8 + "\r\n"));
}

void ConsoleOutput::ShowProgress(const std::string& text) const {
    if (!m_bConsole) {
        return;
    }
    std::wstring line = Widen(text);
    // The last column would move the cursor to the next row on some consoles.
    const size_t width = ConsoleWidth(m_handle);
    if (width > 0 && line.size() >= width) {
        line.resize(width - 1);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t length = line.size();
    if (length < m_nProgressLength) { // what the longer line before showed is blanked
        line.append(m_nProgressLength - length, L' ');
    }
    m_nProgressLength = length;
    Write(L"\r" + line);
}

// A console shows any character this way, whatever its code page.
void ConsoleOutput::Write(const std::wstring& text) const {
    DWORD written = 0;
    WriteConsoleW(m_handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

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
    if (watch) {
        // Ctrl+C reaches only the processes attached to the console; one
        // whose output is redirected had no need to attach for its lines.
        // Fails harmlessly when attached already or started without one.
        AttachConsole(ATTACH_PARENT_PROCESS);
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
