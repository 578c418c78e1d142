#pragma once

#include "sim/byte_source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vardel {

// Splits a source's bytes into lines the way istream::getline does into a
// buffer of maxLength + 1 characters: the LF ends a line and is not kept (a
// CR before it is), the last line needs none, and a line of more than
// maxLength characters is not read at all.
class LineReader {
public:
    enum class Outcome { Line, TooLong, End, ReadError };

    LineReader(ByteSource& source, size_t maxLength);

    Outcome Next(std::string& line);
    // The bytes of the lines read so far, with their LFs.
    uint64_t BytesRead() const { return m_bytesRead; }

private:
    bool Refill();

    ByteSource& m_source;
    const size_t m_maxLength;
    std::vector<char> m_buffer;
    size_t m_next = 0;
    size_t m_end = 0;
    bool m_failed = false;
    uint64_t m_bytesRead = 0;
};

} // namespace vardel
