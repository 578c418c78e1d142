#include "platform/output_text.h"

#include "platform/text.h"

#include <cstdio>

namespace platform {
namespace {

// In the code page, or nothing when it has no such character.
bool Encode(const wchar_t* text, int length, UINT codePage, std::string& out) {
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text, length, nullptr, 0,
                                         nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
        return false;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text, length, bytes.data(), size, nullptr,
                        nullptr);
    out += bytes;
    return true;
}

// A few code pages (ISO 2022, ISCII...) take no flags: converted as Windows
// converts them, since they cannot tell what is missing.
std::string EncodeUnchecked(const std::wstring& text, UINT codePage) {
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return Narrow(text);
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

UINT RedirectedCodePage(UINT consoleCodePage) {
    return consoleCodePage != 0 ? consoleCodePage : CP_UTF8;
}

std::string EncodeForOutput(const std::wstring& text, UINT codePage) {
    if (codePage == CP_UTF8) {
        return Narrow(text);
    }
    std::string out;
    if (text.empty() || Encode(text.data(), static_cast<int>(text.size()), codePage, out)) {
        return out;
    }
    BOOL usedDefault = FALSE;
    if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, L"a", 1, nullptr, 0, nullptr,
                            &usedDefault) <= 0) {
        return EncodeUnchecked(text, codePage);
    }
    // Character by character: only the missing ones are spelt out.
    for (size_t i = 0; i < text.size();) {
        const bool pair =
            IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
        const int length = pair ? 2 : 1;
        if (!Encode(text.data() + i, length, codePage, out)) {
            const unsigned long point =
                pair ? 0x10000UL + ((static_cast<unsigned long>(text[i]) - 0xD800UL) << 10) +
                           (static_cast<unsigned long>(text[i + 1]) - 0xDC00UL)
                     : static_cast<unsigned long>(text[i]);
            char spelt[16] = {};
            std::snprintf(spelt, sizeof spelt, "<U+%04lX>", point);
            out += spelt;
        }
        i += static_cast<size_t>(length);
    }
    return out;
}

} // namespace platform
