#include "sim/decimal.h"

#include <cstdlib>

namespace vardel {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Moves `at` past the digits there; appends them to `digits`.
void TakeDigits(const std::string& text, size_t& at, std::string& digits) {
    while (at < text.size() && IsDigit(text[at])) {
        digits += text[at++];
    }
}

void TakeSign(const std::string& text, size_t& at, std::string& sign) {
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        sign = text[at++];
    }
}

// The exponent's digits as a number, held far from overflow: a larger one
// makes the value 0 or infinite all the same.
long long ExponentValue(const std::string& digits) {
    long long value = 0;
    for (const char digit : digits) {
        if (value < 1000000000000LL) {
            value = value * 10 + (digit - '0');
        }
    }
    return value;
}

} // namespace

std::optional<double> ParseDecimal(const std::string& text) {
    const char* const blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const std::string number = text.substr(first, text.find_last_not_of(blanks) - first + 1);
    size_t at = 0;
    std::string sign, digits, exponentSign, exponentDigits;
    TakeSign(number, at, sign);
    TakeDigits(number, at, digits);
    size_t fractionDigits = 0;
    if (at < number.size() && number[at] == '.') {
        ++at;
        const size_t before = digits.size();
        TakeDigits(number, at, digits);
        fractionDigits = digits.size() - before;
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    if (at < number.size() && (number[at] == 'e' || number[at] == 'E')) {
        ++at;
        TakeSign(number, at, exponentSign);
        TakeDigits(number, at, exponentDigits);
        if (exponentDigits.empty()) {
            return std::nullopt;
        }
    }
    if (at != number.size()) {
        return std::nullopt;
    }
    // Digits and an exponent without a decimal point: strtod reads them alike
    // in every C locale, and rounds them as it would the text itself.
    long long exponent = ExponentValue(exponentDigits);
    exponent =
        (exponentSign == "-" ? -exponent : exponent) - static_cast<long long>(fractionDigits);
    const std::string plain = sign + digits + "e" + std::to_string(exponent);
    return std::strtod(plain.c_str(), nullptr);
}

} // namespace vardel
