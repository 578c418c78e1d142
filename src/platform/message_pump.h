#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

namespace platform {

// Takes and dispatches one message with dialog keyboard handling (Tab, Enter,
// Escape) for the dialog it belongs to. Returns false when it was WM_QUIT,
// which is posted again so the outer loop ends too.
bool PumpMessage();

// Handles messages as they arrive until the deadline, sleeping (no CPU) while
// none arrives, or until wake() is true after a message. Returns false when
// WM_QUIT was taken.
bool PumpMessagesUntil(std::chrono::steady_clock::time_point deadline,
                       const std::function<bool()>& wake);

// Makes a thread that waits in PumpMessagesUntil look at wake() now; callable
// from any thread.
void WakeThread(DWORD threadId);

} // namespace platform
