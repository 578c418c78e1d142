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
    // false when the file could not be written (read-only, a folder in its
    // place, no room): it then keeps what it held.
    virtual bool WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual bool WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};
