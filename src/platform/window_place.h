#pragma once

#include <windows.h>

namespace platform {

// Centres window over another one, kept inside the work area of the monitor
// that shows most of the other window. Without the other window: centred in
// the work area of the primary monitor.
void CenterWindowOver(HWND window, HWND over);

} // namespace platform
