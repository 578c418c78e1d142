#include "platform/message_box.h"

#include "platform/text.h"

namespace platform {
namespace {
MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}
} // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    if (Hook()) {
        return Hook()(owner, text, caption, type);
    }
    return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
}

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform
