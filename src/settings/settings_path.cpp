#include "settings/settings_path.h"

namespace settings {
namespace {

bool IsAbsolutePath(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') ||
           (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

} // namespace

std::string SettingsPathForProgram(const std::string& programPath) {
    std::string path = programPath;
    for (char& c : path) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos) {
        path.erase(dot);
    }
    return path + ".ini";
}

std::string FirmwarePathFromCommandLine(const std::string& commandLine) {
    const size_t first = commandLine.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    std::string path;
    if (commandLine[first] == '"') {
        const size_t close = commandLine.find('"', first + 1);
        path = commandLine.substr(first + 1, close == std::string::npos ? std::string::npos
                                                                        : close - first - 1);
    } else {
        path = commandLine.substr(first);
    }
    const size_t last = path.find_last_not_of(" \t");
    path.erase(last == std::string::npos ? 0 : last + 1);
    return path;
}

std::string PathBesideSettings(const std::string& path, const std::string& settingsPath) {
    if (path.empty() || IsAbsolutePath(path)) {
        return path;
    }
    const size_t slash = settingsPath.find_last_of("\\/");
    return (slash == std::string::npos ? "" : settingsPath.substr(0, slash + 1)) + path;
}

} // namespace settings
