#include "run/error_messages.h"

#include <cstdint>

namespace run {
namespace {
const int kDownloadErrorPrefix = 103;
const int kInitErrorPrefix = 104;
// The library's codes are -(100 x phase + condition), phases 0 to 7. The low
// 16 bits of any other code name some other text of the program (-3824 gives
// "Please enter an integer."), which must not pass for the library's words.
const int kLowestLibraryCode = -799;

std::string EntryText(int code, const platform::TextLookup& text) {
    return code >= kLowestLibraryCode && code < 0 ? text(EntryStringId(code)) : std::string();
}
} // namespace

int PrefixStringId(int code) {
    return code <= -700 ? kInitErrorPrefix : kDownloadErrorPrefix;
}

int EntryStringId(int code) {
    return static_cast<int>(static_cast<uint32_t>(code) & 0xFFFFu);
}

std::string ErrorBoxText(int code, const platform::TextLookup& text) {
    return text(PrefixStringId(code)) + EntryText(code, text);
}

std::string ErrorStatusText(int code, const platform::TextLookup& text) {
    std::string prefix = text(PrefixStringId(code));
    if (!prefix.empty()) {
        prefix.pop_back(); // the line feed
    }
    return prefix + "\r\n" + EntryText(code, text);
}

} // namespace run
