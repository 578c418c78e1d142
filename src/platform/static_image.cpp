#include "platform/static_image.h"

#include <algorithm>

namespace platform {
namespace {

HandedBackBitmapHook& Hook() {
    static HandedBackBitmapHook hook;
    return hook;
}

} // namespace

void SetStaticBitmap(HWND control, HBITMAP bitmap, std::initializer_list<HBITMAP> kept) {
    const HBITMAP before = reinterpret_cast<HBITMAP>(
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (before == nullptr) {
        return;
    }
    if (Hook()) {
        Hook()(before);
    }
    if (before != bitmap && std::find(kept.begin(), kept.end(), before) == kept.end()) {
        DeleteObject(before);
    }
}

void SetHandedBackBitmapHook(HandedBackBitmapHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform
