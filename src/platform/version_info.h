#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

// What a file's version resource says: its file version and the values of
// its string table, read with the system's version functions.
class VersionInfo {
public:
    explicit VersionInfo(const std::wstring& path);

    // "2.2.0.0", from the fixed part; "" when the file has none.
    std::string FileVersion() const;
    // A value of its string table, in the first of the file's languages that
    // has it; "" when none has.
    std::string Value(const std::wstring& name) const;

private:
    std::vector<unsigned char> m_data; // empty: no version resource
};

// The system's words for an error code (GetLastError's).
std::string SystemErrorText(DWORD error);

} // namespace platform
