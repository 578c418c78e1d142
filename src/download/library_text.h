#pragma once

#include <optional>
#include <string>

namespace download {

// The library takes char* texts in the system's ANSI code page. A path is
// passed as it is when every character fits, else in its short (8.3) form
// when that fits; otherwise it cannot be passed without pointing elsewhere.
std::optional<std::string> PathForLibrary(const std::string& utf8Path);

// Other texts (the init telegram) in the ANSI code page; characters that do
// not fit become '?', which the library then rejects.
std::string TextForLibrary(const std::string& utf8Text);

} // namespace download
