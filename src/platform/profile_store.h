#pragma once

#include <string>

// Access to the settings file in the INI format. The program uses the Win32
// profile functions behind this interface; tests use an in-memory profile.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    // Missing key or empty value: defaultValue.
    virtual int GetInt(const std::string& section, const std::string& key, int defaultValue) = 0;
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) = 0;
    // Results of writes are not reported: a read-only file simply keeps its content.
    virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};
