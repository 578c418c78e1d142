#pragma once

#include "sim/firmware_image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vardel {

// Reads a firmware file line by line: the text header (every line before the
// first one that begins with ':'), then Intel HEX records. Checks each
// record's form and checksum and adds its data to the image.
class IntelHexReader {
public:
    explicit IntelHexReader(FirmwareImage& image) : m_image(image) {}

    // False once the file has turned out broken; Error() says why.
    bool Feed(const std::string& line);
    // At the end of the file: an end record must have come, after some data.
    bool Finish();

    size_t HeaderLines() const { return m_headerLines; }
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& why);
    // The record's characters after the colon.
    bool Record(const char* text, size_t length);
    void AddData(uint32_t offset, uint32_t count);

    FirmwareImage& m_image;
    size_t m_lineNumber = 0;
    size_t m_headerLines = 0;
    bool m_inHeader = true;
    bool m_ended = false;
    bool m_segmented = false;
    uint32_t m_base = 0;
    std::string m_error;
    std::vector<uint8_t> m_bytes; // kept between records, to spare an allocation each
};

} // namespace vardel
