#include "download/error_messages.h"

#include <cstdint>

namespace download {
namespace {
const int kDownloadErrorPrefix = 103;
const int kInitErrorPrefix = 104;
} // namespace

int PrefixStringId(int code) {
    return code <= -700 ? kInitErrorPrefix : kDownloadErrorPrefix;
}

int EntryStringId(int code) {
    return static_cast<int>(static_cast<uint32_t>(code) & 0xFFFFu);
}

std::string ErrorBoxText(int code, const app::TextLookup& text) {
    return text(PrefixStringId(code)) + text(EntryStringId(code));
}

std::string ErrorStatusText(int code, const app::TextLookup& text) {
    std::string prefix = text(PrefixStringId(code));
    if (!prefix.empty()) {
        prefix.pop_back(); // the line feed
    }
    return prefix + "\r\n" + text(EntryStringId(code));
}

} // namespace download
