#include "platform/file_filter.h"

namespace platform {

std::string CommonDialogFilter(const std::string& filter) {
    std::string result = filter;
    for (char& c : result) {
        if (c == '|') {
            c = '\0';
        }
    }
    // A list written without its closing "||" still has to end.
    while (result.size() < 2 || result[result.size() - 1] != '\0' ||
           result[result.size() - 2] != '\0') {
        result.push_back('\0');
    }
    return result;
}

} // namespace platform
