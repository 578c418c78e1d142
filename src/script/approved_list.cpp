#include "script/approved_list.h"

#include "settings/settings_path.h"

#include <cctype>

namespace script {
namespace {

const char kBlanks[] = " \t";

// One line without its end: true when it is a comment or an entry (added).
bool TakeLine(const std::string& line, ApprovedList& list) {
    if (line.find_first_not_of(kBlanks) == std::string::npos || line[0] == '#') {
        return true;
    }
    const std::optional<std::string> hash = Sha256Value(line.substr(0, 64));
    if (!hash || (line.size() > 64 && line.find_first_of(kBlanks, 64) != 64)) {
        return false;
    }
    const size_t nameStart = line.find_first_not_of(kBlanks, 64);
    std::string name = nameStart == std::string::npos ? "" : line.substr(nameStart);
    name.erase(name.find_last_not_of(kBlanks) + 1);
    list.names.emplace(*hash, name); // a hash listed twice keeps its first name
    return true;
}

} // namespace

std::optional<std::string> Sha256Value(const std::string& text) {
    if (text.size() != 64) {
        return std::nullopt;
    }
    std::string value;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        value += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return value;
}

std::optional<std::string> ApprovedList::NameOf(const std::string& sha256) const {
    const auto found = names.find(sha256);
    if (found == names.end()) {
        return std::nullopt;
    }
    return found->second;
}

ApprovedListParse ParseApprovedList(const std::string& text) {
    ApprovedListParse parse;
    ApprovedList list;
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!TakeLine(line, list)) {
            parse.badLineNumber = number;
            parse.badLine = line;
            return parse;
        }
        start = end + 1;
    }
    parse.list = list;
    return parse;
}

std::string ApprovedListSetting(ProfileStore& profile, const std::string& settingsPath) {
    return settings::PathBesideSettings(profile.GetString("FIRMWARE", "APPROVED", ""),
                                        settingsPath);
}

} // namespace script
