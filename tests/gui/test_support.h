#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the temp folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return m_path; } // with trailing backslash
    std::wstring File(const std::wstring& name) const { return m_path + name; }
    std::string FileUtf8(const std::wstring& name) const;

private:
    std::wstring m_path;
};

void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path); // empty when missing
bool FileExists(const std::wstring& path);
std::wstring BinFolder(); // where the test exe, the program and the DLLs are built
void CopyFromBin(const std::wstring& name, const std::wstring& toFolder,
                 const std::wstring& asName = L"");

// The stand-in library's calls of one name from its call log, each split at
// its tabs; all but the port scans when no name is given.
std::vector<std::vector<std::string>> LibraryCalls(const std::wstring& logPath,
                                                   const std::string& name = "");

// Points the stand-in library at a configuration written for one test.
class StandInConfig {
public:
    explicit StandInConfig(const std::string& iniText);
    ~StandInConfig();

private:
    TempDir m_dir;
};

} // namespace testsupport
