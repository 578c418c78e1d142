#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace platform {

// Every message box of the program goes through here, so a test can answer
// it instead of a user.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// A hook gets what the box would show and returns the button pressed; an
// empty hook restores real message boxes.
using MessageBoxHook =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);

} // namespace platform
