#pragma once

#include <windows.h>

namespace platform {

// Takes and dispatches one message with dialog keyboard handling (Tab, Enter,
// Escape) for the dialog it belongs to. Returns false when it was WM_QUIT,
// which is posted again so the outer loop ends too.
bool PumpMessage();

// Handles every message waiting in the thread's queue.
bool PumpWaitingMessages();

// Handles messages as they arrive until timeoutMs have passed, sleeping (no
// CPU) while none arrives. Returns false when WM_QUIT was taken.
bool PumpMessagesFor(DWORD timeoutMs);

} // namespace platform
