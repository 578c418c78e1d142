#pragma once

#include "platform/dialog.h"

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

struct ShownMessage {
    std::string text;
    std::string caption;
    UINT type;
    bool ownerEnabled; // or no owner
};

// Answers the program's message boxes with OK (or the given answer) and keeps
// what they said, so no box ever waits for a user in a test.
class MessageBoxCapture {
public:
    explicit MessageBoxCapture(int answer = IDOK);
    ~MessageBoxCapture();
    std::vector<ShownMessage> Messages() const;
    std::vector<std::string> Texts() const;

private:
    mutable std::mutex m_mutex;
    std::vector<ShownMessage> m_messages;
};

// Runs a modal dialog on this thread while script drives it from a second
// thread through window messages, as a user's clicks would. When the script
// is done and the dialog is still open, it is closed. Returns DoModal's result.
INT_PTR RunModal(platform::Dialog& dialog, const std::function<void(HWND dialog)>& script);

// Polls until the condition holds; false after the timeout.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// A visible top-level dialog window of the thread whose caption starts with
// the text given (any caption when empty).
HWND FindDialogOfThread(DWORD threadId, const std::string& captionStart = "");
// The window that has the thread's keyboard focus, or null.
HWND FocusOf(DWORD threadId);

// The status window of the main window's run (in this process or another),
// or null after the wait.
HWND WaitForStatusWindow(HWND mainWindow);
bool WaitForCaption(HWND window, const std::string& caption);
// Position of the status window's progress bar (0..500).
int ProgressOf(HWND statusWindow);

std::string TextOf(HWND window);
std::string ItemTextOf(HWND dialog, int id);
void SetItemTextOf(HWND dialog, int id, const std::string& text);
// Clicks a button the way the dialog sees a click, and waits for the
// handler unless it opens a window of its own (then use PostClick).
void Click(HWND dialog, int id);
void PostClick(HWND dialog, int id);
// Gives a control the focus, with the notifications a user's Tab would cause.
void Focus(HWND dialog, int id);
std::vector<std::string> ComboItems(HWND dialog, int id);
std::vector<LRESULT> ComboItemData(HWND dialog, int id);
int ComboSelection(HWND dialog, int id);

} // namespace testsupport
