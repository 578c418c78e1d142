#include "platform/ansi_text.h"

#include "platform/text.h"

#include <windows.h>

namespace platform {
namespace {

// Whether every character has an exact equivalent (no "best fit" look-alikes).
bool FitsAnsi(const std::wstring& text) {
    if (text.empty()) {
        return true;
    }
    BOOL lossy = FALSE;
    const int count =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                            static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    return count > 0 && !lossy;
}

} // namespace

std::optional<std::string> AnsiCompatiblePath(const std::string& utf8Path) {
    const std::wstring path = Widen(utf8Path);
    if (FitsAnsi(path)) {
        return utf8Path;
    }
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0) {
        return std::nullopt; // no such file, or short names are switched off
    }
    std::wstring shortPath(length, L'\0');
    shortPath.resize(GetShortPathNameW(path.c_str(), shortPath.data(), length));
    if (!FitsAnsi(shortPath)) {
        return std::nullopt;
    }
    return Narrow(shortPath);
}

std::string ToAnsi(const std::string& utf8Text) {
    const std::wstring text = Widen(utf8Text);
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr,
                                          0, "?", nullptr);
    std::string result(static_cast<size_t>(count > 0 ? count : 0), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, result.data(), count, "?",
                        nullptr);
    return result;
}

} // namespace platform
