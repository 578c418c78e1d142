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

// Windows DLLs that only some of the work needs (the file dialogs, a file's
// hash, the COM ports' devices, a file's version resource, COM, the shell)
// are loaded when that work is first done, not before the first window, and
// only from the system folder: a DLL of the same name beside the program, in
// the current folder or on PATH is never taken for it. Null when it cannot be
// loaded, with the system's reason in GetLastError.
HMODULE LoadSystemLibrary(const wchar_t* fileName);
HMODULE LoadSystemLibrary(const wchar_t* fileName, DllSearch search);

// A function of such a DLL, by the type its header declares; null when the
// DLL or the function cannot be had, which its caller takes as the call's
// failure. Looked up by hand rather than imported by the linker, whose
// delay-loading leaves the 32-bit program's slots of functions declared
// dllimport empty.
template <typename Function> Function* SystemFunction(const wchar_t* dll, const char* name) {
    const HMODULE module = LoadSystemLibrary(dll);
    return module ? GetEntryPoint<Function*>(module, name) : nullptr;
}

} // namespace platform

// The function Name of a system DLL, named once: its type comes from the
// declaration, which the program never calls, so nothing imports it.
#define TAVRO_SYSTEM_FUNCTION(dll, name) ::platform::SystemFunction<decltype(name)>(dll, #name)
