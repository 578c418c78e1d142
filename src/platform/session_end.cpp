#include "platform/session_end.h"

#include "platform/app_message.h"
#include "platform/text.h"

namespace platform {
namespace {

SessionBlockHook& Hook() {
    static SessionBlockHook hook;
    return hook;
}

} // namespace

SessionEndBlock::SessionEndBlock(HWND window, const std::string& reason) : m_window(window) {
    if (m_window == nullptr) {
        return;
    }
    if (Hook()) {
        Hook()(m_window, &reason);
    } else {
        ShutdownBlockReasonCreate(m_window, Widen(reason).c_str());
    }
}

SessionEndBlock::~SessionEndBlock() {
    if (m_window == nullptr) {
        return;
    }
    if (Hook()) {
        Hook()(m_window, nullptr);
    } else {
        ShutdownBlockReasonDestroy(m_window);
    }
}

void SetSessionBlockHook(SessionBlockHook hook) {
    Hook() = std::move(hook);
}

SessionWindow::SessionWindow(Handlers handlers) : m_handlers(std::move(handlers)) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kSessionWindowClass;
    RegisterClassExW(&windowClass); // fails harmlessly when already registered
    // Not a message-only window: those are not asked whether the session may end.
    m_hWnd = CreateWindowExW(0, kSessionWindowClass, Widen(ApplicationName()).c_str(),
                             WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, this);
}

SessionWindow::~SessionWindow() {
    if (m_hWnd != nullptr) {
        DestroyWindow(m_hWnd);
    }
}

LRESULT CALLBACK SessionWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<SessionWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && message == WM_QUERYENDSESSION && self->m_handlers.mayEnd) {
        return self->m_handlers.mayEnd() ? TRUE : FALSE;
    }
    if (self != nullptr && message == WM_ENDSESSION && self->m_handlers.sessionEnd) {
        self->m_handlers.sessionEnd(wParam != FALSE);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace platform
