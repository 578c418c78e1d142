#pragma once

#include <string>

namespace settings {

// The settings file sits beside the program: its path lower-cased, with the
// last '.' onwards replaced by ".ini" (".ini" appended when there is no '.').
// Only ASCII letters are lowered here; the caller lowers the rest first.
std::string SettingsPathForProgram(const std::string& programPath);

// The firmware path from the command line (the text after the program name).
// Windows quotes a path with blanks when a file is dropped on the program or
// opened with it; the quotes and trailing blanks are not part of the path.
std::string FirmwarePathFromCommandLine(const std::string& commandLine);

// A path that the settings file names (a record, a list): a relative one lies
// beside the settings file, so it does not depend on the current folder.
std::string PathBesideSettings(const std::string& path, const std::string& settingsPath);

} // namespace settings
