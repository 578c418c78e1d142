#include "platform/session_end.h"

#include "platform/app_message.h"
#include "platform/text.h"

namespace platform {
namespace {

// Asks the window's own thread to give or withdraw its reason: lParam is the
// reason (const std::string*), null to withdraw it.
const UINT kSetBlockReason = WM_APP + 1;

SessionBlockHook& Hook() {
    static SessionBlockHook hook;
    return hook;
}

void SetBlockReason(HWND window, const std::string* reason) {
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
        // Only the thread that made the window may give its reason. Sent, so
        // that the reason outlives the call; that thread always answers soon.
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, kSetBlockReason, 0, reinterpret_cast<LPARAM>(reason),
                            SMTO_NORMAL, 5000, &result);
    } else if (Hook()) {
        Hook()(window, reason);
    } else if (reason) {
        ShutdownBlockReasonCreate(window, Widen(*reason).c_str());
    } else {
        ShutdownBlockReasonDestroy(window);
    }
}

// For EnumWindows: found (bool*) is set, and the search ended, at a visible
// window of this process.
BOOL CALLBACK IsShownWindowOfThisProcess(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    // A console's window is the console's, which Windows never waits for,
    // though it may name this process as its owner.
    if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
        window != GetConsoleWindow()) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool ProcessShowsAWindow() {
    bool shows = false;
    EnumWindows(IsShownWindowOfThisProcess, reinterpret_cast<LPARAM>(&shows));
    return shows;
}

SessionEndBlock::SessionEndBlock(HWND window, const std::string& reason) : m_window(window) {
    if (m_window != nullptr) {
        SetBlockReason(m_window, &reason);
    }
}

SessionEndBlock::~SessionEndBlock() {
    if (m_window != nullptr) {
        SetBlockReason(m_window, nullptr);
    }
}

void SetSessionBlockHook(SessionBlockHook hook) {
    Hook() = std::move(hook);
}

SessionWindow::SessionWindow(Handlers handlers) : m_handlers(std::move(handlers)) {
    m_made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
    if (m_thread != nullptr) {
        WaitForSingleObject(m_made, INFINITE);
    }
}

SessionWindow::~SessionWindow() {
    if (m_hWnd != nullptr) {
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    }
    if (m_thread != nullptr) {
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
    CloseHandle(m_made);
}

// The window's thread: makes it, then answers its messages until it is closed.
DWORD WINAPI SessionWindow::Serve(void* parameter) {
    auto* self = static_cast<SessionWindow*>(parameter);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kSessionWindowClass;
    RegisterClassExW(&windowClass); // fails harmlessly when already registered
    // Not a message-only window: those are not asked whether the session may end.
    self->m_hWnd = CreateWindowExW(0, kSessionWindowClass, Widen(ApplicationName()).c_str(),
                                   WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, self);
    const bool made = self->m_hWnd != nullptr;
    SetEvent(self->m_made);
    MSG msg;
    while (made && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}

LRESULT CALLBACK SessionWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<SessionWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case kSetBlockReason:
        SetBlockReason(hwnd, reinterpret_cast<const std::string*>(lParam));
        return 0;
    case WM_QUERYENDSESSION:
        if (self != nullptr && self->m_handlers.mayEnd) {
            return self->m_handlers.mayEnd() ? TRUE : FALSE;
        }
        break;
    case WM_ENDSESSION:
        if (self != nullptr && self->m_handlers.sessionEnd) {
            self->m_handlers.sessionEnd(wParam != FALSE);
            return 0;
        }
        break;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace platform
