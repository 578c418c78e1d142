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

} // namespace platform
