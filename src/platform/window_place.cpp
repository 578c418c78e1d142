#include "platform/window_place.h"

namespace platform {

void CenterWindowOver(HWND window, HWND over) {
    RECT rect = {}, overRect = {};
    GetWindowRect(window, &rect);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(over ? MonitorFromWindow(over, MONITOR_DEFAULTTONEAREST)
                         : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    const RECT& work = monitor.rcWork;
    if (over) {
        GetWindowRect(over, &overRect);
    } else {
        overRect = work;
    }
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    LONG x = (overRect.left + overRect.right - width) / 2;
    LONG y = (overRect.top + overRect.bottom - height) / 2;
    x = x + width > work.right ? work.right - width : x;
    y = y + height > work.bottom ? work.bottom - height : y;
    x = x < work.left ? work.left : x;
    y = y < work.top ? work.top : y;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace platform
