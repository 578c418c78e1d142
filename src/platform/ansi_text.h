#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace platform {

// The download library and ANSI settings files hold texts in the system's
// ANSI code page, where not every character of a Windows path exists.

// The path (UTF-8) as the ANSI code page can hold it: as it is when every
// character fits, else its short (8.3) form when that fits. Nothing when
// neither does (no such file, or short names switched off on its volume):
// any other text would name another file or none.
std::optional<std::string> AnsiCompatiblePath(const std::string& utf8Path);

// A text in the ANSI code page's bytes; characters without an exact
// equivalent become '?'.
std::string ToAnsi(const std::string& utf8Text);

// A code page and the conversion into it. The functions above take the
// system's (GetACP) and WideCharToMultiByte; tests give each kind of code page
// on any system, and a conversion that keeps to the documented rules where
// Wine lets more pass.
using WideToMultiByteFunction = int(WINAPI*)(UINT codePage, DWORD flags, LPCWCH text, int chars,
                                             LPSTR bytes, int size, LPCCH defaultChar,
                                             LPBOOL usedDefaultChar);
struct CodePage {
    UINT id;
    WideToMultiByteFunction convert = &WideCharToMultiByte;
};
std::optional<std::string> AnsiCompatiblePath(const std::string& utf8Path,
                                              const CodePage& codePage);
std::string ToAnsi(const std::string& utf8Text, const CodePage& codePage);

} // namespace platform
