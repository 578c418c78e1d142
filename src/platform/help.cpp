#include "platform/help.h"

#include "platform/app_message.h"
#include "platform/text.h"
#include "res/resource.h"

#include <shellapi.h>

namespace platform {
namespace {

OpenDocumentHook& Hook() {
    static OpenDocumentHook hook;
    return hook;
}

bool OpenDocument(HWND owner, const std::wstring& path) {
    if (Hook()) {
        return Hook()(path);
    }
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const HINSTANCE result =
        ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace

void ShowHelpContents(HWND owner) {
    if (!OpenDocument(owner, platform::ProgramFolder() + kHelpFileName)) {
        platform::ShowAppMessage(owner, platform::LoadResString(IDS_HELP_FAILED));
    }
}

void SetOpenDocumentHook(OpenDocumentHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform
