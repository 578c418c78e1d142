#include "fields/cpm_address.h"

namespace fields {
namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
// Length in bytes of the UTF-8 character that starts with lead.
size_t CharLength(unsigned char lead) {
    return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}
} // namespace

bool IsCpmAddressFieldEmpty(const std::string& fieldText) {
    size_t end = 0;
    for (int chars = 0; chars < 2 && end < fieldText.size(); ++chars) {
        end += CharLength(static_cast<unsigned char>(fieldText[end]));
    }
    end = end < fieldText.size() ? end : fieldText.size();
    for (size_t i = 0; i < end; ++i) {
        if (!IsBlank(fieldText[i])) {
            return false;
        }
    }
    return true;
}

} // namespace fields
