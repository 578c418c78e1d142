#include "platform/profile_file.h"

#include "platform/text.h"

#include <windows.h>

namespace platform {
namespace {
// Longer values are cut here; no setting is anywhere near this long.
const DWORD kMaxValueChars = 1u << 20;
} // namespace

int ProfileFile::GetInt(const std::string& section, const std::string& key, int defaultValue) {
    return static_cast<int>(GetPrivateProfileIntW(Widen(section).c_str(), Widen(key).c_str(),
                                                  defaultValue, Widen(m_path).c_str()));
}

std::string ProfileFile::GetString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) {
    const std::wstring wsection = Widen(section), wkey = Widen(key), wpath = Widen(m_path);
    const std::wstring wdefault = Widen(defaultValue);
    std::wstring buffer(256, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetPrivateProfileStringW(
            wsection.c_str(), wkey.c_str(), wdefault.c_str(), buffer.data(), size, wpath.c_str());
        // size - 1 means the value was cut to fit: read again with more room.
        if (length + 1 < size || size >= kMaxValueChars) {
            buffer.resize(length);
            return Narrow(buffer);
        }
        buffer.assign(static_cast<size_t>(size) * 4, L'\0');
    }
}

bool ProfileFile::WriteInt(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                      Widen(value).c_str(), Widen(m_path).c_str()) != FALSE;
}

} // namespace platform
