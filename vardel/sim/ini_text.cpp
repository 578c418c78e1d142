#include "sim/ini_text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace vardel {
namespace {

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

IniText IniText::Parse(const std::string& text) {
    IniText ini;
    std::string section;
    size_t start = 0;
    // Files saved by Notepad may start with a byte order mark.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        start = 3;
    }
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            const size_t close = line.find(']');
            section = Trim(line.substr(1, close == std::string::npos ? close : close - 1));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        ini.m_entries.push_back(
            {section, Trim(line.substr(0, equals)), Unquote(Trim(line.substr(equals + 1)))});
    }
    return ini;
}

std::optional<std::string> IniText::Get(const std::string& section, const std::string& key) const {
    for (const Entry& entry : m_entries) {
        if (EqualNoCase(entry.section, section) && EqualNoCase(entry.key, key)) {
            return entry.value;
        }
    }
    return std::nullopt;
}

std::vector<std::string> IniText::Keys(const std::string& section) const {
    std::vector<std::string> keys;
    for (const Entry& entry : m_entries) {
        if (EqualNoCase(entry.section, section)) {
            keys.push_back(entry.key);
        }
    }
    return keys;
}

std::optional<int64_t> ParseCNumber(const std::string& text) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(trimmed.c_str(), &end, 0);
    if (errno == ERANGE || end != trimmed.c_str() + trimmed.size()) {
        // strtoll saturates at the signed range, so 0xFFFFFFFFFFFFFFFF is
        // refused rather than read as something else.
        return std::nullopt;
    }
    return static_cast<int64_t>(value);
}

} // namespace vardel
