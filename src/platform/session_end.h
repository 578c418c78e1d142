#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace platform {

// While it lives, Windows asks before it ends the session (logging off,
// shutting down) and shows the reason to the user who tries: a CPM left
// halfway through a flash has no working firmware. The window may belong to
// another thread: only that thread may give its reason, and is asked to.
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
// It lives on a thread of its own, so that it answers at once whatever the
// program waits for meanwhile (a library call, a file); Windows ends a
// program without a visible window that does not answer within 5 s. The
// handlers run on that thread.
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
    static DWORD WINAPI Serve(void* self);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    Handlers m_handlers;
    HWND m_hWnd = nullptr;
    HANDLE m_thread = nullptr;
    HANDLE m_made = nullptr; // set once the window has been made, or could not be
};

// Whether the process shows a window. Windows waits for the answer of one
// that does, and shows the reason it gives for not ending yet; one that
// shows none, a console program included, is ended soon after it was asked,
// whatever it answers.
bool ProcessShowsAWindow();

// The class of that window, for whoever looks for it from outside.
inline const wchar_t* const kSessionWindowClass = L"TavroDownloadSession";

} // namespace platform
