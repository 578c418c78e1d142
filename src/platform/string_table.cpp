#include "platform/string_table.h"

namespace platform {
namespace {

struct Entry {
    int id;
    const char* text;
};

#define TAVRO_STRING(id, text) {id, text},
const Entry kEntries[] = {
#include "res/strings.def"
};
#undef TAVRO_STRING

} // namespace

std::string StringTableText(int id) {
    for (const Entry& entry : kEntries) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return {};
}

std::string FormatText(const std::string& format, const std::vector<std::string>& arguments) {
    std::string result;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 2, "%s") == 0 && next < arguments.size()) {
            result += arguments[next++];
            ++i;
        } else {
            result += format[i];
        }
    }
    return result;
}

} // namespace platform
