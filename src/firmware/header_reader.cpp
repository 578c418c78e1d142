#include "firmware/header_reader.h"

namespace firmware {
namespace {

const char* const kNoInfo = "-- no info --";
const char kEndOfText = 0x1A; // Ctrl-Z

// Characters of the bytes with CR LF read as LF and Ctrl-Z as the end of the
// text, as in a file opened in text mode; a CR on its own stays.
class TextModeReader {
public:
    explicit TextModeReader(std::string_view bytes) : m_bytes(bytes) {}

    // The next character; false at the end of the text.
    bool Get(char& c) {
        if (m_at == m_bytes.size() || m_bytes[m_at] == kEndOfText) {
            m_at = m_bytes.size(); // nothing after Ctrl-Z is text
            return false;
        }
        c = m_bytes[m_at++];
        if (c == '\r' && m_at < m_bytes.size() && m_bytes[m_at] == '\n') {
            c = m_bytes[m_at++];
        }
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

// One display line: the rest of the current line when it fits, else as much
// of it as fits. False at the end of the input when nothing was left.
bool ReadPiece(TextModeReader& in, std::string& piece) {
    piece.clear();
    char c = 0;
    while (piece.size() < kMaxHeaderLineLength) {
        if (!in.Get(c)) {
            return !piece.empty();
        }
        if (c == '\n') {
            return true;
        }
        piece.push_back(c);
    }
    // Full: a line end right behind it is read as the next piece, an empty
    // line, so a line of exactly the maximum length shows as two.
    return true;
}

} // namespace

std::vector<std::string> ReadHeaderLines(std::string_view bytes) {
    TextModeReader text(bytes);
    std::vector<std::string> lines;
    std::string piece;
    while (static_cast<int>(lines.size()) < kMaxHeaderLines && ReadPiece(text, piece)) {
        if (!piece.empty() && piece[0] == ':') {
            break; // the first data record: the header is over
        }
        lines.push_back(piece);
    }
    return lines;
}

std::string HeaderDisplayText(const std::vector<std::string>& lines) {
    if (lines.empty()) {
        return kNoInfo;
    }
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace firmware
