#include "platform/library.h"

#include "platform/text.h"

#include <string>
#include <vector>

namespace platform {
namespace {

bool IsAbsolute(const std::wstring& folder) {
    return (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) ||
           (folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\');
}

void AddFolder(std::vector<std::wstring>& folders, std::wstring folder) {
    if (!IsAbsolute(folder)) {
        return; // "." or a relative PATH entry would bring the current directory back
    }
    if (folder.back() != L'\\' && folder.back() != L'/') {
        folder += L'\\';
    }
    folders.push_back(folder);
}

// Where Windows looks for a DLL by name, less the current directory.
std::vector<std::wstring> TrustedFolders() {
    std::vector<std::wstring> folders;
    AddFolder(folders, ProgramFolder());
    wchar_t buffer[MAX_PATH] = {};
    if (GetSystemDirectoryW(buffer, MAX_PATH)) {
        AddFolder(folders, buffer);
    }
    if (GetWindowsDirectoryW(buffer, MAX_PATH)) {
        AddFolder(folders, buffer);
    }
    const DWORD pathLength = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(pathLength, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), pathLength));
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = path.find(L';', start);
        AddFolder(folders, path.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos) {
            break;
        }
        start = end + 1;
    }
    return folders;
}

} // namespace

HMODULE LoadLibrarySafely(const wchar_t* fileName) {
    // Also keeps the current directory out of the search for the library's
    // own imports.
    SetDllDirectoryW(L"");
    for (const std::wstring& folder : TrustedFolders()) {
        const std::wstring path = folder + fileName;
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            // Its imports are looked for beside it first, like the maker's pair.
            return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
    return nullptr;
}

} // namespace platform
