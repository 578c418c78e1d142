#pragma once

#include <windows.h>

namespace platform {

// The DPI the window is shown at (96 is 100 %).
UINT WindowDpi(HWND window);

// A bitmap grown by a whole factor, pixel by pixel: small pictures such as
// the LEDs stay crisp instead of blurring. The caller owns the result.
HBITMAP ScaleBitmap(HBITMAP bitmap, int factor);

// The program icon at the sizes the window's DPI asks for.
HICON LoadIconForDpi(HWND window, int iconId, bool small);

// A system metric (SM_CXVSCROLL, say) at the window's DPI.
int MetricForWindow(HWND window, int index);

} // namespace platform
