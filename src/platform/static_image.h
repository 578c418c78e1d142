#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>

namespace platform {

// Shows a bitmap in a static control (SS_BITMAP). The control hands back the
// bitmap it showed before, and that one is the caller's to delete: the one
// its template loaded, a copy it made of a bitmap with alpha, or one set
// before. It is deleted unless it is one of kept, the caller's own that it
// still uses. A null bitmap empties the control.
void SetStaticBitmap(HWND control, HBITMAP bitmap, std::initializer_list<HBITMAP> kept);

// Tests see every bitmap a control hands back, to check that none outlives
// its window: a few a window add up to the process's limit of GDI objects
// over a long shift.
using HandedBackBitmapHook = std::function<void(HBITMAP handedBack)>;
void SetHandedBackBitmapHook(HandedBackBitmapHook hook);

} // namespace platform
