#pragma once

#include <windows.h>

#include <string>

namespace platform {

// The application's name: the caption of its plain message boxes.
void SetApplicationName(const std::string& name);
const std::string& ApplicationName();

// A message box captioned with the application's name. Without an icon in
// type, OK boxes get the exclamation icon, as users of such tools know them.
int ShowAppMessage(HWND owner, const std::string& text, UINT type = MB_OK);

} // namespace platform
