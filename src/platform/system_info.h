#pragma once

#include <windows.h>

#include <chrono>
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

// How long Windows waits for a program that it is about to end
// (SPI_GETHUNGAPPTIMEOUT); nothing when it does not say.
std::optional<std::chrono::milliseconds> HungAppTimeout();

} // namespace platform
