#pragma once

#include <windows.h>

#include <string>

namespace platform {

// The program keeps its texts in UTF-8 and talks to Windows in UTF-16.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

// A string of the program's string table, empty when it has none.
std::string LoadResString(UINT id);
// The string table as the portable rules look texts up.
inline std::string ResourceText(int id) {
    return LoadResString(static_cast<UINT>(id));
}
// The same with its "%s" replaced by the text given (a path, of any length).
std::string LoadResString(UINT id, const std::string& insert);

std::string GetWindowTextUtf8(HWND hwnd);
void SetWindowTextUtf8(HWND hwnd, const std::string& text);

// Full path of the running program (or of the module given).
std::wstring ModulePath(HMODULE module = nullptr);
// Folder of the running program, with a trailing backslash.
std::wstring ProgramFolder();

} // namespace platform
