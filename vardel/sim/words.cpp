#include "sim/words.h"

namespace vardel {

std::vector<std::string> SplitWords(const std::string& text) {
    // Spelt out rather than std::isspace, whose set follows the C locale
    // that the host process may have changed.
    const char* const blanks = " \t\r\n\v\f";
    std::vector<std::string> words;
    size_t start = text.find_first_not_of(blanks);
    while (start != std::string::npos) {
        const size_t end = text.find_first_of(blanks, start);
        words.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(blanks, end);
    }
    return words;
}

} // namespace vardel
