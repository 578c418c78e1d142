#include "platform/ansi_text.h"

#include "platform/text.h"

#include <windows.h>

namespace platform {
namespace {

// Where the system code page is UTF-8 (the "Use Unicode UTF-8" option of
// Windows 10 and later) the ANSI bytes of a text are its UTF-8 bytes, which
// hold every character. There WideCharToMultiByte refuses the flags and the
// default-character arguments used below (only 0 or WC_ERR_INVALID_CHARS, and
// null pointers), so it is not asked at all.
bool HoldsEveryCharacter(UINT codePage) {
    return codePage == CP_UTF8;
}

// Whether every character has an exact equivalent (no "best fit" look-alikes).
bool FitsAnsi(const std::wstring& text, const CodePage& codePage) {
    if (text.empty() || HoldsEveryCharacter(codePage.id)) {
        return true;
    }
    BOOL lossy = FALSE;
    const int count = codePage.convert(codePage.id, WC_NO_BEST_FIT_CHARS, text.data(),
                                       static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    return count > 0 && !lossy;
}

} // namespace

std::optional<std::string> AnsiCompatiblePath(const std::string& utf8Path) {
    return AnsiCompatiblePath(utf8Path, CodePage{GetACP()});
}

std::string ToAnsi(const std::string& utf8Text) {
    return ToAnsi(utf8Text, CodePage{GetACP()});
}

std::optional<std::string> AnsiCompatiblePath(const std::string& utf8Path,
                                              const CodePage& codePage) {
    const std::wstring path = Widen(utf8Path);
    if (FitsAnsi(path, codePage)) {
        return utf8Path;
    }
    // 0 also where the volume keeps no short names: there is no other name
    // that the code page could hold.
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0) {
        return std::nullopt;
    }
    std::wstring shortPath(length, L'\0');
    shortPath.resize(GetShortPathNameW(path.c_str(), shortPath.data(), length));
    if (shortPath.empty() || !FitsAnsi(shortPath, codePage)) {
        return std::nullopt;
    }
    return Narrow(shortPath);
}

std::string ToAnsi(const std::string& utf8Text, const CodePage& codePage) {
    if (HoldsEveryCharacter(codePage.id)) {
        return utf8Text;
    }
    const std::wstring text = Widen(utf8Text);
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int count = codePage.convert(codePage.id, WC_NO_BEST_FIT_CHARS, text.data(), size,
                                       nullptr, 0, "?", nullptr);
    std::string result(static_cast<size_t>(count > 0 ? count : 0), '\0');
    codePage.convert(codePage.id, WC_NO_BEST_FIT_CHARS, text.data(), size, result.data(), count,
                     "?", nullptr);
    return result;
}

} // namespace platform
