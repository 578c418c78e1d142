#include "platform/text.h"

#include "platform/string_table.h"

namespace platform {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring result(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), count);
    return result;
}

std::string Narrow(const std::wstring& utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf16.size());
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, result.data(), count, nullptr, nullptr);
    return result;
}

std::string LoadResString(UINT id) {
    // With a zero buffer size LoadString hands out a pointer to the resource itself.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return Narrow(std::wstring(text, static_cast<size_t>(length)));
}

std::string LoadResString(UINT id, const std::string& insert) {
    return FormatText(LoadResString(id), {insert});
}

std::string GetWindowTextUtf8(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return Narrow(text);
}

void SetWindowTextUtf8(HWND hwnd, const std::string& text) {
    SetWindowTextW(hwnd, Widen(text).c_str());
}

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2); // truncated: try again with more room
    }
}

std::wstring ProgramFolder() {
    std::wstring path = ModulePath();
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

} // namespace platform
