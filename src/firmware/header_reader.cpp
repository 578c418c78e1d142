#include "firmware/header_reader.h"

namespace firmware {
namespace {

using Traits = std::istream::traits_type;

const char* const kNoInfo = "-- no info --";

// Characters of a stream with CR LF read as LF and Ctrl-Z as the end of the
// text, as in a file opened in text mode; a CR on its own stays. Reads the
// stream's buffer one character at a time, so nothing past the last
// character taken is asked for but one.
class TextModeStream {
public:
    explicit TextModeStream(std::istream& in) : m_buffer(in.rdbuf()) {}

    // The next character, or Traits::eof().
    int Get() {
        if (m_buffer == nullptr) {
            return Traits::eof();
        }
        const int c = m_buffer->sbumpc();
        if (c == kEndOfText) {
            m_buffer = nullptr; // nothing after it is text
            return Traits::eof();
        }
        if (c == '\r' && m_buffer->sgetc() == '\n') {
            return m_buffer->sbumpc();
        }
        return c;
    }

private:
    static const int kEndOfText = 0x1A; // Ctrl-Z
    std::streambuf* m_buffer;
};

// One display line: the rest of the current line when it fits, else as much
// of it as fits. False at the end of the input when nothing was left.
bool ReadPiece(TextModeStream& in, std::string& piece) {
    piece.clear();
    while (piece.size() < kMaxHeaderLineLength) {
        const int c = in.Get();
        if (c == Traits::eof()) {
            return !piece.empty();
        }
        if (c == '\n') {
            return true;
        }
        piece.push_back(Traits::to_char_type(c));
    }
    // Full: a line end right behind it is read as the next piece, an empty
    // line, so a line of exactly the maximum length shows as two.
    return true;
}

} // namespace

std::vector<std::string> ReadHeaderLines(std::istream& in) {
    TextModeStream text(in);
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
