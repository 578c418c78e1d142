#include "sim/intel_hex.h"

#include <algorithm>
#include <vector>

namespace vardel {
namespace {

enum RecordType : uint8_t {
    kData = 0x00,
    kEndOfFile = 0x01,
    kSegmentBase = 0x02,
    kSegmentStart = 0x03,
    kLinearBase = 0x04,
    kLinearStart = 0x05,
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool IsBlank(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

} // namespace

bool IntelHexReader::Fail(const std::string& why) {
    m_error = "line " + std::to_string(m_lineNumber) + ": " + why;
    return false;
}

bool IntelHexReader::Feed(const std::string& line) {
    if (!m_error.empty()) {
        return false;
    }
    ++m_lineNumber;
    if (m_inHeader) {
        if (line.empty() || line[0] != ':') {
            ++m_headerLines;
            return true;
        }
        m_inHeader = false;
    }
    if (IsBlank(line)) {
        return true;
    }
    if (m_ended) {
        return Fail("text after the end record");
    }
    if (line[0] != ':') {
        return Fail("not a record");
    }
    return Record(line.data() + 1, line.find_last_not_of(" \t\r"));
}

bool IntelHexReader::Record(const char* text, size_t length) {
    if (length % 2 != 0 || length < 10) {
        return Fail("record of odd or too short length");
    }
    std::vector<uint8_t>& bytes = m_bytes;
    bytes.resize(length / 2);
    unsigned sum = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return Fail("not a hexadecimal digit");
        }
        bytes[i] = static_cast<uint8_t>(high * 16 + low);
        sum += bytes[i];
    }
    const uint32_t count = bytes[0];
    if (bytes.size() != count + 5) {
        return Fail("byte count does not match the record");
    }
    if ((sum & 0xFF) != 0) {
        return Fail("checksum error");
    }
    const uint32_t offset = (uint32_t{bytes[1]} << 8) | bytes[2];
    const uint32_t value = count >= 2 ? (uint32_t{bytes[4]} << 8) | bytes[5] : 0;
    switch (bytes[3]) {
    case kData:
        AddData(offset, count);
        return true;
    case kEndOfFile:
        m_ended = true;
        return count == 0 || Fail("end record with data");
    case kSegmentBase:
        m_segmented = true;
        m_base = value << 4;
        return count == 2 || Fail("segment address record of wrong length");
    case kLinearBase:
        m_segmented = false;
        m_base = value << 16;
        return count == 2 || Fail("linear address record of wrong length");
    case kSegmentStart:
    case kLinearStart:
        return count == 4 || Fail("start address record of wrong length");
    default:
        return Fail("unknown record type");
    }
}

void IntelHexReader::AddData(uint32_t offset, uint32_t count) {
    // With segment addressing a record wraps within its 64 KB segment; with
    // linear addressing it wraps at the end of the 4 GB address space.
    const uint64_t limit = m_segmented ? 0x10000 : 0x100000000ull - m_base;
    const uint64_t before = std::min<uint64_t>(count, limit - offset);
    m_image.Add(m_base + offset, static_cast<uint32_t>(before));
    if (before < count) {
        m_image.Add(m_segmented ? m_base : 0, static_cast<uint32_t>(count - before));
    }
}

bool IntelHexReader::Finish() {
    if (!m_error.empty()) {
        return false;
    }
    m_image.Finish();
    if (!m_ended) {
        return Fail("no end record");
    }
    if (m_image.Bytes() == 0) {
        return Fail("no data");
    }
    return true;
}

} // namespace vardel
