// The CPM address field: whatever the user types or a program sends.
#include "fields/cpm_address.h"
#include "platform/int_text.h"
#include "settings/download_settings.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bool empty = fields::IsCpmAddressFieldEmpty(text);
    int value = 12345;
    const bool number = platform::ParseIntegerText(text, value);
    // A field counted as empty must start with blanks (or be short), and a
    // number must be made of digits: a parse may never invent one.
    if (empty && text.size() >= 2 && text[0] != ' ' && text[0] != '\t' && text[0] != '\r' &&
        text[0] != '\n') {
        std::abort();
    }
    if (number && text.find_first_of("0123456789") == std::string::npos) {
        std::abort();
    }
    if (!number && value != 12345) {
        std::abort(); // a failed parse leaves the value alone
    }
    for (int mode : {0, 1}) {
        const bool valid = settings::IsValidCpmAddress(value, mode);
        if (valid && !(value == 255 ? mode == 0 : value >= 0 && value <= 127)) {
            std::abort();
        }
    }
    return 0;
}
