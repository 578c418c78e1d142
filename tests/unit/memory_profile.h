#pragma once

#include "platform/profile_store.h"

#include <cctype>
#include <string>
#include <utility>
#include <vector>

// An INI file in memory that behaves like the Win32 profile functions for the
// program's use: keys compared without case, a written key replaced in place
// or appended at the end of its section, empty values read as missing ints.
class MemoryProfile : public ProfileStore {
public:
    struct Entry {
        std::string section, key, value;
    };

    void Set(const std::string& key, const std::string& value) { Put("DOWNLOAD", key, value); }

    int GetInt(const std::string& section, const std::string& key, int defaultValue) override {
        const Entry* entry = Find(section, key);
        if (!entry || entry->value.empty()) {
            return defaultValue;
        }
        return ParseLikeWindows(entry->value);
    }
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) override {
        const Entry* entry = Find(section, key);
        return entry ? entry->value : defaultValue;
    }
    bool WriteInt(const std::string& section, const std::string& key, int value) override {
        return WriteString(section, key, std::to_string(value));
    }
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (readOnly) {
            return false;
        }
        Put(section, key, value);
        return true;
    }

    // The file as Windows would write it.
    std::string Text() const {
        std::string text, section;
        for (const Entry& e : m_entries) {
            if (e.section != section) {
                section = e.section;
                text += "[" + section + "]\n";
            }
            text += e.key + "=" + e.value + "\n";
        }
        return text;
    }
    int writes = 0;
    bool readOnly = false; // every write is refused

private:
    static bool SameName(const std::string& a, const std::string& b) {
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
    const Entry* Find(const std::string& section, const std::string& key) const {
        for (const Entry& e : m_entries) {
            if (SameName(e.section, section) && SameName(e.key, key)) {
                return &e;
            }
        }
        return nullptr;
    }
    void Put(const std::string& section, const std::string& key, const std::string& value) {
        ++writes;
        for (Entry& e : m_entries) {
            if (SameName(e.section, section) && SameName(e.key, key)) {
                e.value = value;
                return;
            }
        }
        size_t at = m_entries.size();
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (SameName(m_entries[i].section, section)) {
                at = i + 1;
            }
        }
        m_entries.insert(m_entries.begin() + static_cast<long>(at), Entry{section, key, value});
    }
    // Sign and leading digits; the rest of the text is ignored.
    static int ParseLikeWindows(const std::string& text) {
        size_t i = 0;
        bool negative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            negative = text[i++] == '-';
        }
        unsigned value = 0;
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
            value = value * 10u + static_cast<unsigned>(text[i] - '0');
        }
        return static_cast<int>(negative ? 0u - value : value);
    }
    std::vector<Entry> m_entries;
};
