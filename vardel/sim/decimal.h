#pragma once

#include <optional>
#include <string>

namespace vardel {

// A decimal number as `>>` reads a double with the classic locale, when
// blanks alone may follow: an optional sign, digits with at most one point
// (one digit at least), an optional exponent "e" or "E" with an optional sign
// and one digit at least. No hexadecimal, "inf" or "nan"; blanks around it
// are allowed. The value as strtod rounds it, whatever the C locale.
std::optional<double> ParseDecimal(const std::string& text);

} // namespace vardel
