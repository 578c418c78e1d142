#pragma once

#include <string>
#include <vector>

namespace vardel {

// The words of a text, as `>>` reads them into a string with the classic
// locale: any run of space, tab, CR, LF, VT or FF separates them.
std::vector<std::string> SplitWords(const std::string& text);

} // namespace vardel
