#include "platform/dpi.h"

namespace platform {
namespace {

// GetDpiForWindow and GetSystemMetricsForDpi exist from Windows 10 1607 on;
// older systems have one DPI for everything.
template <typename Function> Function User32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int MetricForDpi(int index, UINT dpi) {
    using GetMetric = int(WINAPI*)(int, UINT);
    static const GetMetric getMetric = User32Function<GetMetric>("GetSystemMetricsForDpi");
    return getMetric ? getMetric(index, dpi) : GetSystemMetrics(index);
}

} // namespace

UINT WindowDpi(HWND window) {
    using GetDpi = UINT(WINAPI*)(HWND);
    static const GetDpi getDpi = User32Function<GetDpi>("GetDpiForWindow");
    if (getDpi && window) {
        if (const UINT dpi = getDpi(window)) {
            return dpi;
        }
    }
    const HDC screen = GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    return dpi ? dpi : 96;
}

HBITMAP ScaleBitmap(HBITMAP bitmap, int factor) {
    BITMAP info = {};
    if (!bitmap || factor < 1 || !GetObjectW(bitmap, sizeof info, &info)) {
        return nullptr;
    }
    const HDC screen = GetDC(nullptr);
    const HDC source = CreateCompatibleDC(screen);
    const HDC target = CreateCompatibleDC(screen);
    const HBITMAP scaled =
        CreateCompatibleBitmap(screen, info.bmWidth * factor, info.bmHeight * factor);
    const HGDIOBJ oldSource = SelectObject(source, bitmap);
    const HGDIOBJ oldTarget = SelectObject(target, scaled);
    SetStretchBltMode(target, COLORONCOLOR); // whole pixels, no smoothing
    StretchBlt(target, 0, 0, info.bmWidth * factor, info.bmHeight * factor, source, 0, 0,
               info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source, oldSource);
    SelectObject(target, oldTarget);
    DeleteDC(source);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
    return scaled;
}

int MetricForWindow(HWND window, int index) {
    return MetricForDpi(index, WindowDpi(window));
}

HICON LoadIconForDpi(HWND window, int iconId, bool small) {
    const UINT dpi = WindowDpi(window);
    const int width = MetricForDpi(small ? SM_CXSMICON : SM_CXICON, dpi);
    const int height = MetricForDpi(small ? SM_CYSMICON : SM_CYICON, dpi);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId),
                                         IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

} // namespace platform
