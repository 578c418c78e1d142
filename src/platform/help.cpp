#include "platform/help.h"

#include "platform/app_message.h"
#include "platform/com.h"
#include "platform/library.h"
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
    // The shell hands the page to whatever opens it through COM, which must
    // be begun on this thread first (apartment-threaded, without OLE1 DDE).
    UseCom();
    static const auto execute = TAVRO_SYSTEM_FUNCTION(L"shell32.dll", ShellExecuteW);
    return execute && reinterpret_cast<INT_PTR>(execute(owner, L"open", path.c_str(), nullptr,
                                                        nullptr, SW_SHOWNORMAL)) > 32;
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
