#include "platform/message_pump.h"

namespace platform {
namespace {

bool IsDialogWindow(HWND hwnd) {
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    return lstrcmpW(className, L"#32770") == 0;
}

} // namespace

bool PumpMessage() {
    MSG msg;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogWindow(root) && IsDialogMessageW(root, &msg)) {
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

bool PumpMessagesUntil(std::chrono::steady_clock::time_point deadline,
                       const std::function<bool()>& wake) {
    // steady_clock rather than GetTickCount64: the tick count moves in steps of
    // about 16 ms, which would let two waits end closer than asked.
    using Clock = std::chrono::steady_clock;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!PumpMessage()) {
                return false;
            }
            if (wake()) {
                return true;
            }
        }
        // A message sent from another thread was handled inside PeekMessage.
        if (wake()) {
            return true;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            return true;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

void WakeThread(DWORD threadId) {
    PostThreadMessageW(threadId, WM_NULL, 0, 0);
}

} // namespace platform
