#pragma once

#include <string>

namespace firmware {

// True when the path names a firmware file: its file name ends in ".fdl", in
// any case, as Windows compares names. A folder called "x.fdl" on the way
// does not make the files inside it firmware files.
bool IsFirmwareFilePath(const std::string& path);

// The folder the file dialog starts in for the current file: everything before
// the path's last backslash ("C:" for a file in a drive's root), or empty
// when there is none, which leaves the choice to the dialog.
std::string InitialFolderOf(const std::string& filePath);

} // namespace firmware
