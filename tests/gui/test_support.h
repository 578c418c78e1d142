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

// A serial port's device as Windows' device list holds it.
struct SerialDevice {
    const wchar_t* instanceId; // "USB\\VID_0403&PID_6001\\A12345"
    const wchar_t* portName;
    const wchar_t* friendlyName;
    const wchar_t* manufacturer;
};

// A built-in COM1, an FTDI adapter with a serial number on COM3, a Prolific
// one without on COM4, and a CH340 adapter on COM17.
extern const std::vector<SerialDevice> kSerialDevices;

// Devices of the Ports class for one test: under Wine, SetupAPI lists the
// keys of HKLM\SYSTEM\CurrentControlSet\Enum; they are removed after.
class SerialDevicesInRegistry {
public:
    explicit SerialDevicesInRegistry(const std::vector<SerialDevice>& devices);
    ~SerialDevicesInRegistry();
    SerialDevicesInRegistry(const SerialDevicesInRegistry&) = delete;
    SerialDevicesInRegistry& operator=(const SerialDevicesInRegistry&) = delete;

private:
    std::vector<std::wstring> m_keys; // each device's key, above its instance
};

} // namespace testsupport
