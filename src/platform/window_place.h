#pragma once

#include <windows.h>

namespace platform {

// Centres window over another one, kept inside the work area of the monitor
// that shows most of the other window.
void CenterWindowOver(HWND window, HWND over);

} // namespace platform
