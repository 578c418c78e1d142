#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace firmware {

// A firmware file starts with a readable header; its data records begin with
// ':'. The preview shows at most this many display lines of at most this many
// characters each.
constexpr int kMaxHeaderLines = 50;
constexpr std::size_t kMaxHeaderLineLength = 255;

// The header's display lines, read from a stream opened in binary mode. CR LF
// counts as one line end and Ctrl-Z ends the text, as for a file read in text
// mode. A line longer than
// the maximum is cut into several display lines; every one of them counts
// toward the limit, and reading stops at the first one that starts with ':'.
// Reads no further than the lines it returns (plus one character).
std::vector<std::string> ReadHeaderLines(std::istream& in);

// The lines as one text for a multi-line edit field, each ended by CR LF, or
// "-- no info --" when there is none.
std::string HeaderDisplayText(const std::vector<std::string>& lines);

} // namespace firmware
