#pragma once

#include "platform/profile_store.h"

#include <string>

namespace platform {

// The settings file, through the Win32 profile functions.
class ProfileFile : public ProfileStore {
public:
    explicit ProfileFile(std::string path) : m_path(std::move(path)) {}

    int GetInt(const std::string& section, const std::string& key, int defaultValue) override;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace platform
