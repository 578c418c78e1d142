#pragma once

#include <optional>
#include <string>

namespace platform {

// The download library and ANSI settings files hold texts in the system's
// ANSI code page, where not every character of a Windows path exists.

// The path (UTF-8) as the ANSI code page can hold it: as it is when every
// character fits, else its short (8.3) form when that fits. Nothing when
// neither does: any other text would name another file or none.
std::optional<std::string> AnsiCompatiblePath(const std::string& utf8Path);

// A text in the ANSI code page's bytes; characters without an exact
// equivalent become '?'.
std::string ToAnsi(const std::string& utf8Text);

} // namespace platform
