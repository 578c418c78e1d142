#pragma once

#include <string>
#include <vector>

namespace run {

// "prim" or "red", as the run's description and the status window name the target.
const char* ShortTargetName(int target);

// The part of a path after its last backslash; the whole path without one.
std::string FileNameOfPath(const std::string& path);

// One line naming the run, the caption of its error messages:
// "CPM 5 (red) on COM 2 <app.fdl>" or "Broadcast (prim) on COM 1 <app.fdl>".
std::string DownloadInfo(int cpmAddress, int target, int port, const std::string& fileName);

// The library's fourth argument: target in the high byte, address in the low one.
int TargetAndAddress(int target, int cpmAddress);

// A zero-terminated, writable copy of text with room for at least minChars
// characters, and for the whole text however long it is.
std::vector<char> LibraryBuffer(const std::string& text, size_t minChars);

} // namespace run
