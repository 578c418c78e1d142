#include "download/library_text.h"

#include "platform/text.h"

#include <windows.h>

namespace download {
namespace {

// The text in the ANSI code page, or nothing when a character has no exact
// equivalent there (no "best fit" look-alikes either).
std::optional<std::string> ExactAnsi(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(text.size());
    BOOL lossy = FALSE;
    const int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr,
                                          0, nullptr, &lossy);
    if (count <= 0 || lossy) {
        return std::nullopt;
    }
    std::string result(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, result.data(), count,
                        nullptr, &lossy);
    if (lossy) {
        return std::nullopt;
    }
    return result;
}

} // namespace

std::optional<std::string> PathForLibrary(const std::string& utf8Path) {
    const std::wstring path = platform::Widen(utf8Path);
    if (std::optional<std::string> ansi = ExactAnsi(path)) {
        return ansi;
    }
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0) {
        return std::nullopt; // no such file, or short names are switched off
    }
    std::wstring shortPath(length, L'\0');
    shortPath.resize(GetShortPathNameW(path.c_str(), shortPath.data(), length));
    return ExactAnsi(shortPath);
}

std::string TextForLibrary(const std::string& utf8Text) {
    const std::wstring text = platform::Widen(utf8Text);
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

} // namespace download
