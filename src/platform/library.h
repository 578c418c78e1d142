#pragma once

#include <windows.h>

namespace platform {

// Loads a DLL by file name from the program's folder or the system's search
// order (system folders, PATH), never from the current directory: a DLL
// planted in the working folder of a document must not be run.
HMODULE LoadLibrarySafely(const wchar_t* fileName);

// An entry point by plain name, cast to its function pointer type; null when
// the library does not export it.
template <typename Function> Function GetEntryPoint(HMODULE module, const char* name) {
    // Through a generic function pointer: GCC warns on a direct cast.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

} // namespace platform
