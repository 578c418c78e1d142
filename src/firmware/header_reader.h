#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace firmware {

// A firmware file starts with a readable header; its data records begin with
// ':'. The preview shows at most this many display lines of at most this many
// characters each.
constexpr int kMaxHeaderLines = 50;
constexpr std::size_t kMaxHeaderLineLength = 255;
// The most of a file's beginning that those lines can take: every display
// line with a CR LF behind it, and the one character looked at after a CR.
// However large the file, no more of it is read.
constexpr std::size_t kMaxHeaderBytes = kMaxHeaderLines * (kMaxHeaderLineLength + 2) + 1;

// The header's display lines, from the file's first bytes: no more than
// kMaxHeaderBytes of them are ever needed. CR LF counts as one line end and Ctrl-Z
// ends the text, as for a file read in text mode. A line longer than the
// maximum is cut into several display lines; every one of them counts toward
// the limit, and reading stops at the first one that starts with ':'.
std::vector<std::string> ReadHeaderLines(std::string_view bytes);

// The lines as one text for a multi-line edit field, each ended by CR LF, or
// "-- no info --" when there is none.
std::string HeaderDisplayText(const std::vector<std::string>& lines);

} // namespace firmware
