#include "platform/app_message.h"

#include "platform/message_box.h"

namespace platform {
namespace {
std::string& Name() {
    static std::string name;
    return name;
}
} // namespace

void SetApplicationName(const std::string& name) {
    Name() = name;
}
const std::string& ApplicationName() {
    return Name();
}

int ShowAppMessage(HWND owner, const std::string& text, UINT type) {
    if ((type & MB_ICONMASK) == 0 && (type & MB_TYPEMASK) <= MB_OKCANCEL) {
        type |= MB_ICONEXCLAMATION;
    }
    return ShowMessageBox(owner, text, Name(), type);
}

} // namespace platform
