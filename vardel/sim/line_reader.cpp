#include "sim/line_reader.h"

#include <cstring>

namespace vardel {
namespace {

const size_t kChunkBytes = 64 * 1024;

} // namespace

LineReader::LineReader(ByteSource& source, size_t maxLength)
    : m_source(source), m_maxLength(maxLength), m_buffer(kChunkBytes) {}

bool LineReader::Refill() {
    const std::optional<size_t> count = m_source.Read(m_buffer.data(), m_buffer.size());
    m_failed = !count;
    m_next = 0;
    m_end = count.value_or(0);
    return m_end > 0;
}

LineReader::Outcome LineReader::Next(std::string& line) {
    line.clear();
    for (;;) {
        if (m_next == m_end && !Refill()) {
            if (m_failed) {
                return Outcome::ReadError;
            }
            m_bytesRead += line.size();
            return line.empty() ? Outcome::End : Outcome::Line;
        }
        const char* start = m_buffer.data() + m_next;
        const size_t available = m_end - m_next;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        const size_t length = lf ? static_cast<size_t>(lf - start) : available;
        // A character beyond the limit that is no LF: getline would fail.
        if (length > m_maxLength - line.size()) {
            return Outcome::TooLong;
        }
        line.append(start, length);
        m_next += length;
        if (lf) {
            ++m_next;
            m_bytesRead += line.size() + 1;
            return Outcome::Line;
        }
    }
}

} // namespace vardel
