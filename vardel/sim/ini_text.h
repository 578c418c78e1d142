#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vardel {

// An INI file's text, looked up the way the Win32 profile functions do it:
// section and key names without case, the first of repeated keys wins, blanks
// around names and values and one pair of quotes around a value dropped.
class IniText {
public:
    static IniText Parse(const std::string& text);

    std::optional<std::string> Get(const std::string& section, const std::string& key) const;
    // All keys of a section, in file order.
    std::vector<std::string> Keys(const std::string& section) const;

private:
    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> m_entries;
};

// A number as C writes it: decimal, 0x hexadecimal or 0 octal, with an
// optional sign; blanks around it are allowed, anything else fails.
std::optional<int64_t> ParseCNumber(const std::string& text);

bool EqualNoCase(const std::string& a, const std::string& b);

} // namespace vardel
