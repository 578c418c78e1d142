#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace platform {

inline const wchar_t* const kHelpFileName = L"TavroDownload.html";

// Opens the program's help page, which lies beside the exe, in the default
// browser. Tells the user when it cannot.
void ShowHelpContents(HWND owner);

// Tests replace the browser: the hook gets the page's path and reports success.
using OpenDocumentHook = std::function<bool(const std::wstring& path)>;
void SetOpenDocumentHook(OpenDocumentHook hook);

} // namespace platform
