#pragma once

// Builds firmware file text for the tests: records with their checksums
// computed, so a test names only what it is about.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace hextext {

inline std::string Record(int type, uint32_t offset, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()),
                                  static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset),
                                  static_cast<uint8_t>(type)};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string text = ":";
    char hex[3];
    for (uint8_t b : bytes) {
        sum += b;
        std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
    }
    std::snprintf(hex, sizeof hex, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return text + hex + "\r\n";
}

inline std::vector<uint8_t> Bytes(size_t count, uint8_t first = 0) {
    std::vector<uint8_t> data(count);
    for (size_t i = 0; i < count; ++i) {
        data[i] = static_cast<uint8_t>(first + i);
    }
    return data;
}

inline std::string Linear(uint32_t address) {
    return Record(0x04, 0,
                  {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16)});
}

inline std::string Segment(uint32_t base) {
    return Record(0x02, 0, {static_cast<uint8_t>(base >> 12), static_cast<uint8_t>(base >> 4)});
}

// `count` bytes from `address` on, in records of `perRecord` bytes, linear
// addressing; no 64 KB boundary may lie inside.
inline std::string Data(uint32_t address, size_t count, size_t perRecord = 32) {
    std::string text = Linear(address);
    for (size_t done = 0; done < count; done += perRecord) {
        const size_t n = count - done < perRecord ? count - done : perRecord;
        text += Record(0x00, static_cast<uint16_t>(address + done), Bytes(n));
    }
    return text;
}

inline std::string End() {
    return Record(0x01, 0, {});
}

const char* const kHeader = "Product : test firmware\r\nVersion : 1.0\r\n\r\n";

// A whole file: header, the data, end record.
inline std::string File(const std::string& records) {
    return kHeader + records + End();
}

} // namespace hextext
