#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace platform {

// How a DLL is kept to trusted folders: with LoadLibraryEx's search flags
// where the system has them (Windows 8 and later, Windows 7 with KB2533623),
// else by full paths.
enum class DllSearch { SearchFlags, FullPaths };
DllSearch AvailableDllSearch();

// The folders a DLL is loaded from, in turn: the program's and the system's.
std::vector<std::wstring> TrustedDllFolders();
// The DLL's full path in the first of them that has it; empty when none does.
std::wstring TrustedDllPath(const wchar_t* fileName);

// Loads a DLL by file name from the program's folder, else from the system
// folder, and the DLLs it imports (named in imports) from those two as well;
// never from the current folder, the Windows folder or a folder on PATH,
// where anybody may have put a DLL of that name. The search is the system's
// best unless a test chooses.
HMODULE LoadLibrarySafely(const wchar_t* fileName, std::initializer_list<const wchar_t*> imports);
HMODULE LoadLibrarySafely(const wchar_t* fileName, std::initializer_list<const wchar_t*> imports,
                          DllSearch search);

// An entry point by plain name, cast to its function pointer type; null when
// the library does not export it.
template <typename Function> Function GetEntryPoint(HMODULE module, const char* name) {
    // Through a generic function pointer: GCC warns on a direct cast.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

} // namespace platform
