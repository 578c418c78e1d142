#pragma once

#include "platform/string_table.h"

#include <string>

namespace run {

// String ids of a library error code: the prefix ("Download error !" or, for
// the library's own failures from -700 down, "Download init error! ") and the
// entry text, stored under the code's low 16 bits.
int PrefixStringId(int code);
int EntryStringId(int code);

// For a message box: the prefix's own line feed separates the two lines.
std::string ErrorBoxText(int code, const platform::TextLookup& text);
// For the status window's text field, which needs CR LF for a line break.
std::string ErrorStatusText(int code, const platform::TextLookup& text);

} // namespace run
