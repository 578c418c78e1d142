#pragma once

#include "platform/profile_store.h"

#include <cstdint>
#include <functional>
#include <string>

// The download parameters kept in the settings file. The main window inherits
// them, so they are its members under these names.
struct DownloadSettings {
    int m_nTarget = -1; // 0 primary, 1 redundant
    std::string m_strPrimaryInit;
    std::string m_strRedundantInit;
    int m_nPort = 0;   // 1..16; 17 when no usable port was found
    int m_nParity = 0; // 0 none, 1 odd, 2 even
    int m_nStopBits = 0;
    int m_nDataBits = 0;
    int m_nBaudRate = 0;
    int m_nCpmAddress = 0;   // 0..127, 255 broadcast, -1 empty field
    int m_nDownloadMode = 1; // 0 allows the broadcast address
    int m_nRetry = 4;
    std::string m_strFilePath;
};

namespace settings {

inline const char* const kSection = "DOWNLOAD";
inline const int kMissingInt = -65535; // marker for a missing integer key
inline const int kNoUsablePort = 17;
inline const int kBroadcastAddress = 255;
inline const char* const kDefaultPrimaryInit = "0xFD Adr 0x08 0x00 0x01 0xFF LRC";
inline const char* const kDefaultRedundantInit = "0xFD Adr 0x09 0x00 0x01 0xFF LRC";

// Called when the stored port is not usable now, before the lowest usable
// port is taken instead.
using PortNotAvailableNotice = std::function<void()>;

// Returns 0 when every entry was taken, -1 at the first missing or invalid one.
// A non-empty commandLinePath replaces the stored file name.
int ReadSettings(DownloadSettings& s, ProfileStore& profile, uint16_t comPorts,
                 const std::string& commandLinePath, const PortNotAvailableNotice& notice);
void SetDefaultSettings(DownloadSettings& s);
// Precondition: m_nParity is 0..2 and m_nTarget 0..1. false when the file
// could not be written.
bool WriteSettings(const DownloadSettings& s, ProfileStore& profile);

bool IsValidCpmAddress(int address, int downloadMode);
bool IsValidBaudRate(int baudRate);
// "COM" followed by a decimal number, as stored under PORT; 0 when it does not parse.
int ParsePortName(const std::string& text);
std::string PortName(int port); // "COM%d"
// Lowest port 1..16 whose bit is set in the mask, 17 when none is.
int LowestUsablePort(uint16_t comPorts);
bool IsPortUsable(uint16_t comPorts, int port);
const char* ParityName(int parity);
const char* TargetName(int target);

} // namespace settings
