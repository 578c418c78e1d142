#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace platform {

// While it lives, Windows asks before it ends the session (logging off,
// shutting down) and shows the reason to the user who tries: a CPM left
// halfway through a flash has no working firmware.
class SessionEndBlock {
public:
    SessionEndBlock(HWND window, const std::string& reason);
    ~SessionEndBlock();
    SessionEndBlock(const SessionEndBlock&) = delete;
    SessionEndBlock& operator=(const SessionEndBlock&) = delete;

private:
    HWND m_window;
};

// Tests watch the reasons given through this hook (reason null: removed);
// without one the system's ShutdownBlockReasonCreate/Destroy are called.
using SessionBlockHook = std::function<void(HWND window, const std::string* reason)>;
void SetSessionBlockHook(SessionBlockHook hook);

// A hidden top-level window, for a program that shows none while it
// downloads: only top-level windows are asked whether the session may end.
class SessionWindow {
public:
    struct Handlers {
        std::function<bool()> mayEnd;         // WM_QUERYENDSESSION
        std::function<void(bool)> sessionEnd; // WM_ENDSESSION: whether it ends
    };
    explicit SessionWindow(Handlers handlers);
    ~SessionWindow();
    SessionWindow(const SessionWindow&) = delete;
    SessionWindow& operator=(const SessionWindow&) = delete;

    HWND Handle() const { return m_hWnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    Handlers m_handlers;
    HWND m_hWnd = nullptr;
};

// The class of that window, for whoever looks for it from outside.
inline const wchar_t* const kSessionWindowClass = L"TavroDownloadSession";

} // namespace platform
