#include "platform/library.h"

#include "platform/text.h"

#include <string>
#include <vector>

namespace platform {
namespace {

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::wstring folder(buffer, length);
    return folder.back() == L'\\' ? folder : folder + L'\\';
}

HMODULE LoadFromTrustedPath(const wchar_t* fileName) {
    const std::wstring path = TrustedDllPath(fileName);
    return path.empty() ? nullptr
                        : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// A full path alone would still let the DLL's imports come from the Windows
// folder or PATH. Loaded first from the trusted folders, they are the ones
// the DLL gets: a module already loaded is used by its name.
HMODULE LoadByFullPaths(const wchar_t* fileName, std::initializer_list<const wchar_t*> imports) {
    std::vector<HMODULE> loaded;
    for (const wchar_t* name : imports) {
        const HMODULE dependency = LoadFromTrustedPath(name);
        if (dependency == nullptr) {
            break;
        }
        loaded.push_back(dependency);
    }
    const HMODULE module =
        loaded.size() == imports.size() ? LoadFromTrustedPath(fileName) : nullptr;
    for (HMODULE dependency : loaded) {
        FreeLibrary(dependency); // the DLL holds its own reference
    }
    return module;
}

} // namespace

std::vector<std::wstring> TrustedDllFolders() {
    return {ProgramFolder(), SystemFolder()};
}

std::wstring TrustedDllPath(const wchar_t* fileName) {
    for (const std::wstring& folder : TrustedDllFolders()) {
        const std::wstring path = folder + fileName;
        if (!folder.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return path;
        }
    }
    return {};
}

DllSearch AvailableDllSearch() {
    // The flags came with AddDllDirectory: where it exists, they work.
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel && GetProcAddress(kernel, "AddDllDirectory") ? DllSearch::SearchFlags
                                                               : DllSearch::FullPaths;
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    return LoadSystemLibrary(fileName, AvailableDllSearch());
}

HMODULE LoadSystemLibrary(const wchar_t* fileName, DllSearch search) {
    if (search == DllSearch::SearchFlags) {
        return LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    const std::wstring folder = SystemFolder();
    if (folder.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return LoadLibraryExW((folder + fileName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadLibrarySafely(const wchar_t* fileName, std::initializer_list<const wchar_t*> imports) {
    return LoadLibrarySafely(fileName, imports, AvailableDllSearch());
}

HMODULE LoadLibrarySafely(const wchar_t* fileName, std::initializer_list<const wchar_t*> imports,
                          DllSearch search) {
    // Keeps the current folder out of what the library itself loads later.
    SetDllDirectoryW(L"");
    if (search == DllSearch::SearchFlags) {
        // These folders are searched for its imports too.
        return LoadLibraryExW(fileName, nullptr,
                              LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return LoadByFullPaths(fileName, imports);
}

} // namespace platform
