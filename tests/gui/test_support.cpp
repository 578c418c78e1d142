#include "test_support.h"

#include "platform/text.h"

#include <shellapi.h>

#include <atomic>
#include <sstream>

namespace testsupport {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    for (;;) {
        m_path = std::wstring(base) + L"tavro-test-" + std::to_wstring(GetCurrentProcessId()) +
                 L"-" + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter) + L"\\";
        if (CreateDirectoryW(m_path.c_str(), nullptr)) {
            return;
        }
    }
}

TempDir::~TempDir() {
    // Double zero-terminated, without the trailing backslash.
    std::wstring from = m_path.substr(0, m_path.size() - 1);
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

std::string TempDir::FileUtf8(const std::wstring& name) const {
    return platform::Narrow(File(name));
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadFileBytes(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring BinFolder() {
    return platform::ProgramFolder();
}

void CopyFromBin(const std::wstring& name, const std::wstring& toFolder,
                 const std::wstring& asName) {
    CopyFileW((BinFolder() + name).c_str(), (toFolder + (asName.empty() ? name : asName)).c_str(),
              FALSE);
}

std::vector<std::vector<std::string>> LibraryCalls(const std::wstring& logPath,
                                                   const std::string& name) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream log(ReadFileBytes(logPath));
    for (std::string line; std::getline(log, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<std::string> fields;
        std::istringstream fieldStream(line);
        for (std::string field; std::getline(fieldStream, field, '\t');) {
            fields.push_back(field);
        }
        if (!fields.empty() && fields[0] != "GetCOMsStatus" &&
            (name.empty() || fields[0] == name)) {
            lines.push_back(fields);
        }
    }
    return lines;
}

StandInConfig::StandInConfig(const std::string& iniText) {
    WriteFileBytes(m_dir.File(L"Vardel.ini"), iniText);
    SetEnvironmentVariableW(L"VARDEL_CONFIG", m_dir.File(L"Vardel.ini").c_str());
}

StandInConfig::~StandInConfig() {
    // Only when no newer configuration has taken its place.
    wchar_t current[MAX_PATH * 2] = {};
    GetEnvironmentVariableW(L"VARDEL_CONFIG", current, MAX_PATH * 2);
    if (m_dir.File(L"Vardel.ini") == current) {
        SetEnvironmentVariableW(L"VARDEL_CONFIG", nullptr);
    }
}

const std::vector<SerialDevice> kSerialDevices = {
    {L"ACPI\\PNP0501\\1", L"COM1", L"Communications Port (COM1)", L"(Standard port types)"},
    {L"USB\\VID_0403&PID_6001\\A12345", L"COM3", L"USB Serial Port (COM3)", L"FTDI"},
    {L"USB\\VID_067B&PID_2303\\5&2A3C6F1&0&2", L"COM4", L"Prolific USB-to-Serial Comm Port (COM4)",
     L"Prolific"},
    {L"USB\\VID_1A86&PID_7523\\5&1B2C3D4&0&3", L"COM17", L"USB-SERIAL CH340 (COM17)", L"wch.cn"},
};

namespace {

const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\";

void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

SerialDevicesInRegistry::SerialDevicesInRegistry(const std::vector<SerialDevice>& devices) {
    for (const SerialDevice& device : devices) {
        const std::wstring key = kEnum + device.instanceId;
        SetText(key, L"ClassGUID", L"{4D36E978-E325-11CE-BFC1-08002BE10318}"); // Ports
        SetText(key, L"FriendlyName", device.friendlyName);
        SetText(key, L"Mfg", device.manufacturer);
        SetText(key + L"\\Device Parameters", L"PortName", device.portName);
        m_keys.push_back(key.substr(0, key.rfind(L'\\')));
    }
}

// The device's key ("USB\\VID_0403&PID_6001") with its instances, and its
// enumerator's ("USB") when that holds nothing else.
SerialDevicesInRegistry::~SerialDevicesInRegistry() {
    for (const std::wstring& key : m_keys) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.substr(0, key.rfind(L'\\')).c_str());
    }
}

} // namespace testsupport
