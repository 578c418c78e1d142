#include "platform/int_text.h"

#include <climits>

namespace platform {
namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

bool ParseIntegerText(const std::string& text, int& value) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size() || !IsDigit(text[i])) {
        return false;
    }
    long long magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (magnitude <= INT_MAX) {
            magnitude = magnitude * 10 + (text[i] - '0');
        }
    }
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    if (i != text.size()) {
        return false;
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    value = signedValue > INT_MAX   ? INT_MAX
            : signedValue < INT_MIN ? INT_MIN
                                    : static_cast<int>(signedValue);
    return true;
}

} // namespace platform
