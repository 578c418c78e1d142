#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Who ran a download where, for the download record.
std::string ComputerName();
std::string UserName();

// The full path of a file named relative to the current folder.
std::string FullPath(const std::string& path);

// The text after the program name split into arguments by the rules of
// Windows' own command-line splitting (quotes, backslashes before quotes);
// nothing when the system could not split it.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& arguments);

} // namespace platform
