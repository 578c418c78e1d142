#include "platform/console.h"

#include "platform/text.h"

namespace platform {
namespace {

bool IsUsable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

std::function<void()>& InterruptAction() {
    static std::function<void()> action;
    return action;
}

BOOL WINAPI OnControl(DWORD type) {
    if ((type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) && InterruptAction()) {
        InterruptAction()();
        return TRUE;
    }
    return FALSE;
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
    if (!watch) {
        SetConsoleCtrlHandler(OnControl, FALSE);
    }
    InterruptAction() = std::move(action);
    if (watch) {
        SetConsoleCtrlHandler(OnControl, TRUE);
    }
}

} // namespace platform
